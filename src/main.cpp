#include "core/menu.h"
#include "core/menubarwindow.h"
#include "core/window1.h"
#include "platform/desktop.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    platform::keepScreenBuffersInHeap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillo"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLO_VERSION));
    // The program lives in the background: closing its last window must not end it.
    QApplication::setQuitOnLastWindowClosed(false);

    Window1 engine;
    Menu menu;
    MenuBarWindow menus(engine, menu);
    menus.show();
    return QApplication::exec();
}
