#pragma once

#include "selection/geometry.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <optional>

// The Auto-Scaling Guide and the look of the selected area, as pure functions. Sizes and
// positions are in points; positions are global, with the main screen's top-left at its origin.
namespace selection {

enum class Orientation { Portrait, Landscape };

// The preference picks the default orientation; holding "c" picks the other one.
[[nodiscard]] Orientation orientationFor(bool landscapeByDefault, bool cKeyHeld);
[[nodiscard]] PageLimits limitsFor(Orientation orientation);

// A scaling percentage as the guide shows it: the decimal text cut to two characters (86.67
// gives "86"). Below 10 the whole number alone ("9", not "9.").
[[nodiscard]] QString percentText(double percent);

// What the guide shows for a rectangle that does not fit the page, in the window and in the
// engine window's sentence field (CR is "\r").
struct Guide
{
    int width = 0;  // 150 for one line, 166 when the height is in it
    int height = 0; // 22 for one line, 36 for two
    QString title;
    QString text;
    QString sentence;

    friend bool operator==(const Guide &, const Guide &) = default;
};
// nullopt when the rectangle fits the page in this orientation.
[[nodiscard]] std::optional<Guide> guideFor(const DrawRect &r, Orientation orientation);
[[nodiscard]] QString guideTitle(Orientation orientation);

// Top-left of the guide window for the pointer at `pointer` on a main screen of `screen`: 20
// right and 12 below the pointer; left of it near the right edge; above it near the bottom.
[[nodiscard]] QPoint guidePosition(QPoint pointer, QSize screen);

// How the selected area is filled.
enum class AreaFill {
    Plain, // grey 0.1, alpha 0.1
    Alert, // the colour alert: red 3.0 (clamped to 1), green 1.0, blue 0.1, alpha 0.3
    Dark,  // oversize without the colour alert: grey 0.6, alpha 0.6
};
[[nodiscard]] AreaFill areaFill(bool oversize, bool colorAlert);

} // namespace selection
