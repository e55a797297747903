#pragma once

#include <QImage>
#include <QRect>
#include <QString>

class OverlayWindow;
class Window1;

// One screen selection: the overlay over the main screen, one press-drag-release, the check of
// the rectangle, the capture onto the clipboard and the hand-over to the command that asked for
// it, chosen by Module1::SelectTimer.
namespace selection {

inline const QString RejectedMessage = QStringLiteral(
    "Either the selected area is too small to process or you are not starting your selection "
    "from the top, left corner of the area you want to select.");

void start(Window1 &window);
void mouseDown(OverlayWindow &overlay, double x, double y);
void mouseDragged(OverlayWindow &overlay, double x, double y);
void mouseUp(OverlayWindow &overlay, double x, double y);
// Escape: the overlay goes away and nothing is captured or continued.
void cancel(OverlayWindow &overlay);

// The part of a screen picture under `area` (points from the picture's top-left), at the
// picture's full device resolution.
[[nodiscard]] QImage cutPicture(const QImage &screen, const QRect &area);
// Replaces the clipboard with the picture; its logical size travels along so that it prints at
// the size the user saw.
void putPictureOnClipboard(const QImage &picture);

} // namespace selection
