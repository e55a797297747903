#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QTimer;
class Window1;

namespace hotkeys {

// The four system-wide shortcuts: Ctrl+Alt+letter, the letters in Module1 (PKS, CMKS, PTS, PNS).
enum Id { Print = 1, ContextualDisplay = 2, Stamp = 3, Note = 4 };

// What each shortcut is called in messages to the user.
[[nodiscard]] QString describe(int id);

// Owns the registrations: creating it registers the four shortcuts from the letters, in the
// order print, command window, stamp, note; destroying it unregisters them. Never shown.
class Window2 final : public QObject
{
    Q_OBJECT
public:
    Window2();
    ~Window2() override;
    // The shortcuts another program already holds, as found at creation.
    [[nodiscard]] QList<int> refused() const { return m_refused; }

private:
    QList<int> m_refused;
};

// Brings the registrations in line with the four letters (a new Window2). Returns the ids whose
// combination another program holds.
QList<int> registerAllHotKeys();

// Connects releases of the shortcuts to their commands, and IntializePKSTimer to the start-up
// registration.
void install(Window1 &w);

// The start-up registration (IntializePKSTimer): the editor's hidden button, then the editor
// and the preferences window closed; one message for the shortcuts other programs hold.
void registerAtStartUp();
// True while registerAtStartUp() runs: the windows it closes were never seen by the user, and
// their closing must not take away a command window the user has just shown.
[[nodiscard]] bool registeringAtStartUp();

} // namespace hotkeys
