#include "core/commandline.h"

#include "commandmenu/commandwindow.h"
#include "core/window1.h"
#include "platform/desktop.h"
#include "preferences/preferenceswindow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace commandline {

namespace {

constexpr auto CommandPrefix = "command:";

// A desktop shortcut starts us while its keys are still down. Held Ctrl asks the print command
// for its page-setup variant, so a selection command waits for the keys to go up (at most a
// second and a half), and starts at once when none is held.
void clickWhenKeysAreUp(QPushButton *button)
{
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [button, waited, poll] {
        if (platform::commandKeyDown() && waited->elapsed() < 1500) {
            QTimer::singleShot(20, button, *poll);
            return;
        }
        button->click();
    };
    (*poll)();
}

} // namespace

QStringList commands()
{
    return {QStringLiteral("print"),       QStringLiteral("print-stamp"),
            QStringLiteral("print-note"),  QStringLiteral("add-single"),
            QStringLiteral("add-double"),  QStringLiteral("toggle-menu"),
            QStringLiteral("preferences"), QStringLiteral("quit")};
}

QString helpText()
{
    return QStringLiteral(
        "Usage: quillo [COMMAND]\n"
        "\n"
        "Prints any part of the screen. Without a command, starts Quillo (or brings the menus\n"
        "of the running Quillo to the front). With a command, the running Quillo carries it\n"
        "out, and one is started first when none runs:\n"
        "\n"
        "  print          print a selection\n"
        "  print-stamp    print a selection with a time-date stamp\n"
        "  print-note     print a selection with a note and a time-date stamp\n"
        "  add-single     add a selection to the active project, a blank line after it\n"
        "  add-double     add a selection to the active project, two blank lines after it\n"
        "  toggle-menu    show the command window at the mouse pointer, or hide it\n"
        "  preferences    open the preferences\n"
        "  quit           quit the running Quillo\n"
        "\n"
        "  --help         show this text\n"
        "  --version      show the version\n"
        "\n"
        "Bind these commands to keys in your desktop's keyboard settings to use them where\n"
        "Quillo's own Ctrl+Alt shortcuts cannot work (under Wayland).\n");
}

Parsed parse(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return {};
    if (arguments.size() > 1)
        return {Parsed::Error,
                {},
                QStringLiteral("quillo: one command at a time; \"%1\" is one too many.\nTry "
                               "\"quillo --help\".")
                    .arg(arguments.at(1))};
    const QString &word = arguments.first();
    if (word == QLatin1String("--help") || word == QLatin1String("-h"))
        return {Parsed::Help, {}, {}};
    if (word == QLatin1String("--version"))
        return {Parsed::Version, {}, {}};
    if (commands().contains(word))
        return {Parsed::Command, word.toUtf8(), {}};
    return {Parsed::Error,
            {},
            QStringLiteral("quillo: unknown command \"%1\".\nTry \"quillo --help\".").arg(word)};
}

QByteArray message(const Parsed &parsed)
{
    if (parsed.kind == Parsed::Command)
        return CommandPrefix + parsed.command;
    return "front";
}

bool carryOut(Window1 &w, const QByteArray &message)
{
    if (!message.startsWith(CommandPrefix))
        return false;
    const QByteArray command = message.mid(int(strlen(CommandPrefix)));
    if (command == "print")
        clickWhenKeysAreUp(w.PrintPushButton);
    else if (command == "print-stamp")
        clickWhenKeysAreUp(w.PrintWithStampPushButton);
    else if (command == "print-note")
        clickWhenKeysAreUp(w.PrintWithNotePushButton);
    else if (command == "add-single")
        clickWhenKeysAreUp(w.AddToPrintJobPushButton1);
    else if (command == "add-double")
        clickWhenKeysAreUp(w.AddToPrintJobPushButton2);
    else if (command == "toggle-menu")
        commandmenu::toggleCommandWindow(false);
    else if (command == "preferences")
        PreferencesWindow::instance()->showWindow();
    else if (command == "quit")
        QCoreApplication::quit();
    else
        return false;
    return true;
}

} // namespace commandline
