#include "selection/geometry.h"

#include <algorithm>
#include <cmath>

namespace selection {

DrawRect selectionRect(int px, int py, int rx, int ry, double overlayHeight)
{
    return DrawRect{double(px), overlayHeight - py, double(rx - px + 2), double(-(ry - py))};
}

bool isOversize(const DrawRect &r, PageLimits limits)
{
    return r.width > limits.width || r.height + limits.height < 0;
}

bool isAcceptable(const DrawRect &r)
{
    return r.width >= MinimumWidth && r.height < 0;
}

QRect captureArea(int px, int py, int rx, int ry)
{
    return QRect(px, py, rx - px, ry - py);
}

QRectF toWidgetRect(const DrawRect &r, double overlayHeight)
{
    const double x0 = std::min(r.left, r.left + r.width);
    const double y0 = std::min(r.top, r.top + r.height);
    const double w = std::abs(r.width);
    const double h = std::abs(r.height);
    return QRectF(x0, overlayHeight - (y0 + h), w, h);
}

} // namespace selection
