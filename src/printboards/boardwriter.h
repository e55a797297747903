#pragma once

#include "platform/styleddocument.h"

#include <QHash>
#include <QMutex>
#include <QObject>
#include <QThreadPool>

// Writes PrintBoard files on a thread of their own, one at a time in the order asked, so that
// adding to a board of a hundred screenshots does not wait for tens of megabytes to reach the
// disk. A write that a newer one for the same board has overtaken is skipped: only the latest
// state of a board matters.
class BoardWriter final : public QObject
{
    Q_OBJECT
public:
    static BoardWriter &instance();

    // Writes `snapshot` to `path` (atomically).
    void save(int slot, StyledDocument::Snapshot snapshot, const QString &path);
    // Removes the board's file; one that cannot be removed is emptied (an empty file is an empty
    // board), so that the next start does not bring deleted contents back.
    void remove(int slot, const QString &path);
    // Returns when every write asked for so far has been done.
    void waitForDone();

Q_SIGNALS:
    // On the thread the writer lives on (the program's), after each write that ran.
    void finished(int slot, bool ok, const QString &error);

private:
    BoardWriter();
    quint64 next(int slot);
    bool isLatest(int slot, quint64 generation);

    QThreadPool m_pool;
    QMutex m_mutex;
    QHash<int, quint64> m_latest;
};
