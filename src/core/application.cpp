#include "core/application.h"

#include "commandmenu/commandwindow.h"
#include "commandmenu/helpwindow.h"
#include "core/commandline.h"
#include "core/menu.h"
#include "core/menuhost.h"
#include "core/resources.h"
#include "core/startup.h"
#include "core/window1.h"
#include "hotkeys/shortcutwindow.h"
#include "hotkeys/window2.h"
#include "infowindows/aboutwindow.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "platform/signals.h"
#include "platform/singleinstance.h"
#include "preferences/preferenceswindow.h"
#include "printboards/boards.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <cstdio>

namespace {

bool waylandSession()
{
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// Said once per user, not at every start: a file in the resources folder remembers it.
void tellAboutWaylandOnce()
{
    const QString told = QStringLiteral("Quillo WaylandNotice");
    if (resources::exists(told))
        return;
    platform::host().message(
        QStringLiteral("Quillo is running under Wayland, through XWayland. There it can capture "
                       "only the windows of X11 programs, and its Ctrl+Alt keyboard shortcuts "
                       "work only while an X11 program has the keyboard."),
        QStringLiteral("To start Quillo's commands from the keyboard, bind \"quillo print\" and "
                       "the other commands (\"quillo --help\" lists them) to keys in your "
                       "desktop's keyboard settings."));
    if (resources::writeText(told, QStringLiteral("told")))
        resources::markHidden(told);
}

} // namespace

int runApplication(int &argc, char **argv, const std::function<void()> &idle)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const commandline::Parsed parsed = commandline::parse(arguments);
    switch (parsed.kind) {
    case commandline::Parsed::Help:
        std::fputs(qPrintable(commandline::helpText()), stdout);
        return 0;
    case commandline::Parsed::Version:
        std::printf("Quillo %s\n", QUILLO_VERSION);
        return 0;
    case commandline::Parsed::Error:
        std::fprintf(stderr, "%s\n", qPrintable(parsed.message));
        return 2;
    default:
        break;
    }

    // Under Wayland the program runs through XWayland: the screen grab, the overlay and the key
    // grabs are X11's.
    const bool wayland = waylandSession();
    if (wayland && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // A running Quillo is asked first, from a bare core application: a command bound to a
    // desktop shortcut reaches it without this process ever connecting to the display.
    {
        QCoreApplication probe(argc, argv);
        if (SingleInstance::sendToRunning(commandline::message(parsed))) {
            if (parsed.kind == commandline::Parsed::Start)
                std::fprintf(stderr,
                             "Quillo is already running; its menus were brought to the front.\n");
            return 0;
        }
        if (parsed.command == "quit") {
            std::fprintf(stderr, "Quillo is not running.\n");
            return 0;
        }
    }

    // Only the X11 platform needs a display; the offscreen one (tests) does not.
    if (const QByteArray qpa = qgetenv("QT_QPA_PLATFORM"); qpa.isEmpty() || qpa.startsWith("xcb")) {
        if (QString why; !platform::displayReachable(&why)) {
            std::fprintf(stderr, "quillo: %s\n", qPrintable(why));
            return 1;
        }
    }

    platform::keepScreenBuffersInHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLO_VERSION));
    // The program lives in the background: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::quitOnTerminationSignals();

    SingleInstance instance;
    if (QString error; !instance.listen(&error))
        std::fprintf(stderr, "quillo: a second start will not find this one: %s\n",
                     qPrintable(error));

    const resources::Location &folder = resources::folder();
    if (!folder.ok)
        platform::host().message(folder.problem);

    Menu menu;
    startup::openApplication(menu);
    Window1 engine;
    startup::openEngine(engine, menu);
    printboards::install(engine, menu);
    commandmenu::installHelp(engine);
    commandmenu::install(engine, menu);
    PreferencesWindow::setCloseCommandWindow([] {
        if (!hotkeys::registeringAtStartUp())
            ContextualMenuWindow::closeIfOpen();
    });
    PreferencesWindow::setOpenShortcutEditor(
        [] { KeyboardShortcutWindow::instance()->showWindow(); });
    hotkeys::install(engine);
    QObject::connect(menu.item(QStringLiteral("FilePreferences")), &QAction::triggered, &engine,
                     [] { PreferencesWindow::instance()->showWindow(); });
    QObject::connect(menu.item(QStringLiteral("AppleAboutQuillo")), &QAction::triggered, &engine,
                     [] { AboutQuilloWindow::instance()->showWindow(); });
    QObject::connect(menu.item(QStringLiteral("HelpViewQuilloHelp")), &QAction::triggered, &engine,
                     [] { commandmenu::showHelpOverview(); });
    MenuHost menus(menu);
    QObject::connect(&instance, &SingleInstance::messageReceived, &menus,
                     [&menus, &engine](const QByteArray &message) {
                         if (message == "front")
                             menus.bringToFront();
                         else
                             commandline::carryOut(engine, message);
                     });

    // Quit, a termination signal and the end of the desktop session all end here.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &engine,
                     [&engine] { startup::shutdown(engine); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &engine,
                     [&engine] { startup::shutdown(engine); });
    if (wayland)
        QTimer::singleShot(0, &app, [] { tellAboutWaylandOnce(); });
    if (parsed.kind == commandline::Parsed::Command) {
        const QByteArray message = commandline::message(parsed);
        QTimer::singleShot(0, &engine,
                           [&engine, message] { commandline::carryOut(engine, message); });
    }
    if (idle)
        QTimer::singleShot(0, &app, idle);
    return QApplication::exec();
}
