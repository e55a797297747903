#pragma once

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QString>

#include <optional>

// The page format a document prints with: paper, orientation, a scale percentage and margins.
// Sizes are in points (1/72 inch). At 100 % one logical screen pixel prints as one point; the
// scale multiplies that. The default margins leave a printable area of 520 x 678 points on a
// US Letter page, the area the selection's oversize test measures against.
struct PageFormat
{
    QPageSize pageSize{QPageSize::Letter};
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    int scalePercent = 100;
    QMarginsF marginsPt{46, 57, 46, 57};

    static constexpr int MinScale = 5;
    static constexpr int MaxScale = 400;

    // A small versioned text, e.g.
    // "quillo-page-format 1;paper=Letter;orientation=portrait;scale=100;margins=46,57,46,57".
    [[nodiscard]] QString toString() const;
    // nullopt for text that is not a page format of a version we know, or has values out of range.
    [[nodiscard]] static std::optional<PageFormat> fromString(const QString &text);

    [[nodiscard]] QPageLayout pageLayout() const;
    // The area content is laid out in, in points at 100 % (the printable area divided by the scale).
    [[nodiscard]] QSizeF contentSizeAtScale() const;

    friend bool operator==(const PageFormat &, const PageFormat &) = default;
};
