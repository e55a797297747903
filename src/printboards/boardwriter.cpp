#include "printboards/boardwriter.h"

#include <QFile>
#include <QMetaObject>
#include <QSaveFile>

BoardWriter &BoardWriter::instance()
{
    static BoardWriter writer;
    return writer;
}

BoardWriter::BoardWriter()
{
    m_pool.setMaxThreadCount(1);
    // Idle between adds; the thread is made again when needed.
    m_pool.setExpiryTimeout(5000);
}

quint64 BoardWriter::next(int slot)
{
    QMutexLocker lock(&m_mutex);
    return ++m_latest[slot];
}

bool BoardWriter::isLatest(int slot, quint64 generation)
{
    QMutexLocker lock(&m_mutex);
    return m_latest.value(slot) == generation;
}

void BoardWriter::save(int slot, StyledDocument::Snapshot snapshot, const QString &path)
{
    const quint64 generation = next(slot);
    m_pool.start([this, slot, generation, snapshot = std::move(snapshot), path] {
        if (!isLatest(slot, generation))
            return;
        const StyledDocument::FileResult written = StyledDocument::writeSnapshot(snapshot, path);
        QMetaObject::invokeMethod(
            this, [this, slot, written] { Q_EMIT finished(slot, written.ok, written.reason); });
    });
}

void BoardWriter::remove(int slot, const QString &path)
{
    const quint64 generation = next(slot);
    m_pool.start([this, slot, generation, path] {
        if (!isLatest(slot, generation))
            return;
        bool ok = !QFile::exists(path) || QFile::remove(path);
        QString error;
        if (!ok) {
            QSaveFile empty(path);
            ok = empty.open(QIODevice::WriteOnly) && empty.commit();
            if (!ok)
                error = empty.errorString();
        }
        QMetaObject::invokeMethod(this,
                                  [this, slot, ok, error] { Q_EMIT finished(slot, ok, error); });
    });
}

void BoardWriter::waitForDone()
{
    m_pool.waitForDone();
}
