#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

class QScreen;
class QWidget;

// What the program asks of the desktop as it is right now: keys held, the main screen, the
// pointer, the screen's pixels. Real everywhere; under the offscreen platform the key state
// reads as nothing held.
namespace platform {

// Ctrl (the "Command" of the program's texts) and Shift, held now, read from the X server
// rather than from our own event stream, so they are right even when we do not have the focus.
[[nodiscard]] bool commandKeyDown();
[[nodiscard]] bool shiftKeyDown();
// Whether the key that types `letter` (a..z) is held now.
[[nodiscard]] bool letterKeyDown(char letter);

[[nodiscard]] QScreen *mainScreen();
// Main screen in logical pixels (points), global coordinates.
[[nodiscard]] QRect mainScreenGeometry();
[[nodiscard]] QPoint pointerPosition();

// The main screen's pixels at full device resolution; devicePixelRatio() says how many device
// pixels make one point. A null image when the screen cannot be read.
[[nodiscard]] QImage grabMainScreen();

} // namespace platform

namespace platform {

// Keeps a small floating window out of the task bar and the pager (window switchers follow
// them). Call before every show: the window manager forgets the states when the window is
// hidden. Nothing happens off X11.
void keepOutOfTaskbar(QWidget *window);

// Makes Qt's idea of a small window's position follow the X server's each time the window is
// mapped. Under a reparenting window manager Qt can ask for the position while the window manager
// still has the new frame at the screen's origin, and nothing corrects it afterwards: menus then
// open in the corner. Call before the window is shown; calling again does nothing.
void keepPositionTrue(QWidget *window);

// Screen-sized pictures (about 33 MB each on a 4K screen) are made at every selection. glibc
// maps such blocks afresh each time, and touching fresh pages costs more than the work done on
// them; keeping them in the heap makes the overlay appear several times faster. Call once, early.
void keepScreenBuffersInHeap();

// Whether the X server of $DISPLAY accepts a connection; `why` says what went wrong. Asked before
// the application object exists, which would otherwise end the process with an abort (and a core
// file) when there is no display.
[[nodiscard]] bool displayReachable(QString *why);

} // namespace platform
