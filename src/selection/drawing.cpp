#include "core/module1.h"
#include "selection/geometry.h"
#include "selection/overlaywindow.h"

// One redraw: the whole overlay dimmed, then the selected area marked over it.
void OverlayWindow::redraw()
{
    OverlayContext *co = context();
    Module1::co = co;

    const selection::DrawRect whole{0, 0, overlayWidth(), overlayHeight()};
    Module1::r = whole;
    co->clearRect(whole);
    co->setGrayFillColor(0.2, 0.2);
    co->fillRect(whole);

    Module1::r = selection::selectionRect(Module1::px, Module1::py, Module1::rx, Module1::ry,
                                          overlayHeight());

    co->setGrayFillColor(0.1, 0.1);
    co->fillRect(Module1::r);
    co->flush();
}
