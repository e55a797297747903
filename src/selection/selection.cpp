#include "selection/selection.h"

#include "core/module1.h"
#include "core/window1.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "platform/styleddocument.h"
#include "printing/addnotewindow.h"
#include "selection/geometry.h"
#include "selection/overlaywindow.h"
#include "selection/scaledisplaywindow.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <cmath>

namespace {

int truncated(double v)
{
    return int(std::trunc(v));
}

void continueWith(Window1 &w, int code)
{
    switch (code) {
    case 1:
        w.Timer1->start();
        break;
    case 2:
        w.Timer2->start();
        break;
    case 3:
        w.Timer3->start();
        break;
    case 4:
        w.Timer4->start();
        break;
    case 5:
        AddNoteWindow::instance()->showIn(AddNoteWindow::Layout::Print);
        break;
    case 6:
        w.Timer9->start();
        break;
    default:
        break;
    }
}

} // namespace

namespace selection {

void start(Window1 &w)
{
    Module1::px = Module1::py = Module1::rx = Module1::ry = 0;

    // One overlay window serves every selection: a new X window with a new screen-sized
    // backing store at each command would cost more than everything else the overlay does.
    if (!w.o)
        w.o = new OverlayWindow;
    else if (w.o->isVisible())
        w.o->closeOverlay(); // a selection started while another is on screen replaces it
    Module1::co = nullptr;
    OverlayWindow *overlay = w.o;

    // The picture is taken before the overlay exists, so nothing of ours can be in it.
    if (overlay->create(platform::mainScreenGeometry(), platform::grabMainScreen()) != 0) {
        platform::host().bringProcessFront();
        platform::host().beep();
        platform::host().message(
            QStringLiteral("Quillo can't read the screen, so nothing can be selected."),
            QStringLiteral("The display server did not give Quillo the picture of the main "
                           "screen. Under Wayland, only windows of X11 programs can be read."));
        return;
    }
    overlay->showOverlay();
    overlay->redraw();
}

void mouseDown(OverlayWindow &overlay, double x, double y)
{
    Module1::px = Module1::rx = truncated(x);
    Module1::py = Module1::ry = truncated(y);
    overlay.redraw();
}

void mouseDragged(OverlayWindow &overlay, double x, double y)
{
    Module1::rx = truncated(x);
    Module1::ry = truncated(y);
    overlay.redraw();
    if (Module1::r.width > PortraitLimits.width)
        overlay.redraw();
}

void mouseUp(OverlayWindow &overlay, double x, double y)
{
    Window1 *w = Window1::instance();
    Module1::rx = truncated(x);
    Module1::ry = truncated(y);

    overlay.closeOverlay();
    ScaleDisplayWindow::closeIfOpen();

    const bool oversize = isOversize(Module1::r, PortraitLimits);
    if (oversize && Module1::co) {
        Module1::co->setRGBFillColor(0, 0, 0, 0);
        Module1::co->fillRect(Module1::r);
        Module1::co->flush();
    }

    if (!isAcceptable(Module1::r)) {
        Host &host = platform::host();
        host.bringProcessFront();
        host.beep();
        host.message(RejectedMessage);
        return;
    }

    const QRect area = captureArea(Module1::px, Module1::py, Module1::rx, Module1::ry);
    putPictureOnClipboard(cutPicture(overlay.grab(), area));

    if (!w)
        return;
    if (oversize && !Module1::AlwaysDisplayPageSetUpP)
        w->PageSetUpPushButton->click();
    continueWith(*w, Module1::SelectTimer);
}

void cancel(OverlayWindow &overlay)
{
    overlay.closeOverlay();
    ScaleDisplayWindow::closeIfOpen();
}

QImage cutPicture(const QImage &screen, const QRect &area)
{
    const qreal dpr = screen.devicePixelRatio();
    const QRect device(QPoint(qRound(area.x() * dpr), qRound(area.y() * dpr)),
                       QSize(qRound(area.width() * dpr), qRound(area.height() * dpr)));
    QImage picture = screen.copy(device.intersected(screen.rect()));
    picture.setDevicePixelRatio(dpr);
    return picture;
}

void putPictureOnClipboard(const QImage &picture)
{
    auto *data = new QMimeData;
    data->setImageData(picture);
    const QSizeF logical = picture.deviceIndependentSize();
    data->setData(QLatin1String(StyledDocument::LogicalSizeMime),
                  QByteArray::number(logical.width()) + ' ' + QByteArray::number(logical.height()));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace selection
