#include "core/application.h"

#include "commandmenu/commandwindow.h"
#include "commandmenu/helpwindow.h"
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

int runApplication(int &argc, char **argv, const std::function<void()> &idle)
{
    platform::keepScreenBuffersInHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLO_VERSION));
    // The program lives in the background: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    platform::quitOnTerminationSignals();

    if (SingleInstance::sendToRunning("front")) {
        std::fprintf(stderr, "Quillo is already running; its menus were brought to the front.\n");
        return 0;
    }
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
    PreferencesWindow::setCloseCommandWindow([] { ContextualMenuWindow::closeIfOpen(); });
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
                     [&menus](const QByteArray &message) {
                         if (message == "front")
                             menus.bringToFront();
                     });

    // Quit, a termination signal and the end of the desktop session all end here.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &engine,
                     [&engine] { startup::shutdown(engine); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &engine,
                     [&engine] { startup::shutdown(engine); });
    if (idle)
        QTimer::singleShot(0, &app, idle);
    return QApplication::exec();
}
