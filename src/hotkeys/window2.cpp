#include "hotkeys/window2.h"

#include "commandmenu/commandwindow.h"
#include "core/module1.h"
#include "core/window1.h"
#include "hotkeys/keycodes.h"
#include "hotkeys/shortcutwindow.h"
#include "platform/host.h"
#include "platform/hotkeys.h"
#include "preferences/preferenceswindow.h"

#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace hotkeys {

namespace {

QPointer<Window2> s_window2;
bool s_atStartUp = false;

struct Shortcut
{
    int id;
    QString *letter;
    int *keyCode;
};

const Shortcut Shortcuts[] = {
    {Print, &Module1::PKS, &Module1::PKSValue},
    {ContextualDisplay, &Module1::CMKS, &Module1::CMKSValue},
    {Stamp, &Module1::PTS, &Module1::PTSValue},
    {Note, &Module1::PNS, &Module1::PNSValue},
};

} // namespace

QString describe(int id)
{
    switch (id) {
    case Print:
        return QStringLiteral("printing a selection");
    case ContextualDisplay:
        return QStringLiteral("displaying/hiding the Contextual Menu");
    case Stamp:
        return QStringLiteral("printing a selection with a time-date stamp");
    case Note:
        return QStringLiteral("printing a selection with a note and time-date stamp");
    default:
        return {};
    }
}

Window2::Window2()
{
    setObjectName(QStringLiteral("Window2"));
    GlobalHotKeys *keys = GlobalHotKeys::instance();
    for (const Shortcut &shortcut : Shortcuts) {
        if (const int code = keyCodeForLetter(*shortcut.letter); code != NoKeyCode)
            *shortcut.keyCode = code;
        keys->unregisterKey(shortcut.id);
        // The editor accepts only letters; a file edited by hand may hold anything else, which
        // has no key to grab.
        if (shortcut.letter->isEmpty() || keyCodeForLetter(*shortcut.letter) == NoKeyCode)
            continue;
        if (keys->registerKey(shortcut.id, shortcut.letter->at(0)) == GlobalHotKeys::Grab::Taken)
            m_refused.append(shortcut.id);
    }
}

Window2::~Window2()
{
    for (const Shortcut &shortcut : Shortcuts)
        GlobalHotKeys::instance()->unregisterKey(shortcut.id);
}

QList<int> registerAllHotKeys()
{
    delete s_window2;
    s_window2 = new Window2;
    return s_window2->refused();
}

void install(Window1 &w)
{
    QObject::connect(GlobalHotKeys::instance(), &GlobalHotKeys::released, &w, [&w](int id) {
        switch (id) {
        case Print:
            w.Timer8->start();
            break;
        case ContextualDisplay:
            commandmenu::toggleCommandWindow(false);
            break;
        case Stamp:
            w.PrintWithStampPushButton->click();
            break;
        case Note:
            w.PrintWithNotePushButton->click();
            break;
        default:
            break;
        }
    });
    QObject::connect(w.IntializePKSTimer, &QTimer::timeout, &w, [] { registerAtStartUp(); });
}

bool registeringAtStartUp()
{
    return s_atStartUp;
}

void registerAtStartUp()
{
    // Only the hidden windows of the opening are shrunk and closed. A user can open Preferences
    // or the editor before this runs (`quillo preferences` starting Quillo does it at once), and
    // their window must stay as it is.
    KeyboardShortcutWindow *editor = KeyboardShortcutWindow::instance();
    const bool editorInUse = editor->isVisible();
    PreferencesWindow *preferences = PreferencesWindow::existing();
    const bool preferencesInUse = preferences && preferences->isVisible();
    if (!editorInUse)
        editor->resize(1, 1);
    if (preferences && !preferencesInUse)
        preferences->resize(1, 1);
    editor->SetPKSatLaunchPushButton->click();
    const QList<int> refused = editor->lastRefused();
    s_atStartUp = true;
    if (!editorInUse)
        KeyboardShortcutWindow::closeIfOpen();
    if (!preferencesInUse)
        PreferencesWindow::closeIfOpen();
    s_atStartUp = false;
    if (!refused.isEmpty()) {
        QStringList names;
        for (int id : refused)
            names << QStringLiteral("Ctrl-Alt-%1 for %2")
                         .arg(*Shortcuts[id - 1].letter, describe(id));
        platform::host().message(
            QStringLiteral("Another program already uses a keyboard shortcut of Quillo's, so it "
                           "will not work until that program lets it go or you choose another "
                           "letter in Preferences."),
            names.join(QLatin1Char('\n')));
    }
}

} // namespace hotkeys
