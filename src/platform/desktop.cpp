#include "platform/desktop.h"

#include "platform/x11/x11keyboard.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#ifdef __GLIBC__
#include <malloc.h>
#endif

bool platform::commandKeyDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

bool platform::shiftKeyDown()
{
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

bool platform::letterKeyDown(char letter)
{
    return x11::letterKeyDown(letter);
}

QScreen *platform::mainScreen()
{
    return QGuiApplication::primaryScreen();
}

QRect platform::mainScreenGeometry()
{
    QScreen *screen = mainScreen();
    return screen ? screen->geometry() : QRect();
}

QPoint platform::pointerPosition()
{
    return QCursor::pos(mainScreen());
}

QImage platform::grabMainScreen()
{
    QScreen *screen = mainScreen();
    if (!screen)
        return {};
    // Window 0 is the whole screen; on X11 Qt reads the root window's pixels of this screen.
    QImage image = screen->grabWindow(0).toImage();
    if (image.isNull())
        return {};
    image.setDevicePixelRatio(screen->devicePixelRatio());
    return image;
}

void platform::keepScreenBuffersInHeap()
{
#ifdef __GLIBC__
    // Up to a 4K picture with room to spare; memory freed above the trim threshold still goes
    // back to the system, so an idle program keeps at most a few screen pictures.
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    mallopt(M_TRIM_THRESHOLD, 128 << 20);
#endif
}
