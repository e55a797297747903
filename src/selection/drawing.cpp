#include "core/module1.h"
#include "core/window1.h"
#include "platform/desktop.h"
#include "platform/host.h"
#include "selection/geometry.h"
#include "selection/guide.h"
#include "selection/overlaywindow.h"
#include "selection/scaledisplaywindow.h"

#include <QLineEdit>

using namespace selection;

namespace {

void updateGuide(const Guide &guide)
{
    const QRect screen = platform::mainScreenGeometry();
    const QPoint pointer = platform::pointerPosition() - screen.topLeft();
    const QPoint topLeft = guidePosition(pointer, screen.size()) + screen.topLeft();
    ScaleDisplayWindow::instance()->showGuide(guide, topLeft);
    if (Window1 *w = Window1::instance())
        w->ASGValuesEditfield->setText(guide.sentence);
}

} // namespace

// One redraw: the whole overlay dimmed, the rectangle measured against the page, the guide and
// the alerts, and the selected area marked.
void OverlayWindow::redraw()
{
    OverlayContext *co = context();
    Module1::co = co;

    const DrawRect whole{0, 0, overlayWidth(), overlayHeight()};
    Module1::r = whole;
    co->clearRect(whole);
    co->setGrayFillColor(0.2, 0.2);
    co->fillRect(whole);

    Module1::r = selectionRect(Module1::px, Module1::py, Module1::rx, Module1::ry, overlayHeight());

    // The keyboard as it is now, not as our focus saw it: "c" may have gone down anywhere.
    const Orientation orientation =
        orientationFor(Module1::ScaleForLandscapeMode, platform::letterKeyDown('c'));
    const std::optional<Guide> guide = guideFor(Module1::r, orientation);
    const bool oversize = guide.has_value();

    if (Module1::AutoScalingGuideP && oversize)
        updateGuide(*guide);
    else
        ScaleDisplayWindow::closeIfOpen();
    if (!(Module1::AutoScalingGuideP && oversize)) {
        if (Window1 *w = Window1::instance())
            w->ASGValuesEditfield->setText(QString());
    }

    if (oversize && Module1::DisplaySoundAlertP)
        platform::host().beep();

    switch (areaFill(oversize, Module1::DisplayColorAlertP)) {
    case AreaFill::Plain:
        co->setGrayFillColor(0.1, 0.1);
        break;
    case AreaFill::Alert:
        co->setRGBFillColor(3.0, 1.0, 0.1, 0.3);
        break;
    case AreaFill::Dark:
        co->setGrayFillColor(0.6, 0.6);
        break;
    }
    co->fillRect(Module1::r);
    co->flush();
}
