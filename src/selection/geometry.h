#pragma once

#include <QRect>

// Geometry of a screen selection, as pure functions.
//
// Two coordinate systems meet here. Mouse points (px, py, rx, ry) are in points with the origin
// at the top-left corner of the primary screen, y downward. The selection rectangle `r` is in the
// overlay's drawing coordinates: points, origin at the bottom-left corner, y upward, so a drag
// down and to the right has a positive width and a negative height.
namespace selection {

struct DrawRect
{
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const DrawRect &, const DrawRect &) = default;
};

struct PageLimits
{
    int width;
    int height;
};
inline constexpr PageLimits PortraitLimits{520, 678};
inline constexpr PageLimits LandscapeLimits{678, 520};

// Narrowest accepted selection rectangle, in points.
inline constexpr int MinimumWidth = 8;

// The rectangle of one redraw: two points wider than the drag, height py - ry.
[[nodiscard]] DrawRect selectionRect(int px, int py, int rx, int ry, double overlayHeight);

// Wider than the page, or taller (the height is negative for a downward drag).
[[nodiscard]] bool isOversize(const DrawRect &r, PageLimits limits);

// A selection is captured only when it is at least 8 points wide and was dragged downward.
[[nodiscard]] bool isAcceptable(const DrawRect &r);

// The area that is captured: top-left at (px, py), rx - px wide and ry - py high, in points
// with the origin at the top-left of the primary screen.
[[nodiscard]] QRect captureArea(int px, int py, int rx, int ry);

// A drawing rectangle in widget coordinates (origin top-left, y downward), normalised.
[[nodiscard]] QRectF toWidgetRect(const DrawRect &r, double overlayHeight);

} // namespace selection
