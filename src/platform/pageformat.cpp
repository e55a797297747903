#include "platform/pageformat.h"

#include <QRectF>
#include <QSizeF>
#include <QStringList>

namespace {

constexpr auto Magic = "quillo-page-format";
constexpr int Version = 1;

// Largest paper side we accept, in points (200 inches): anything beyond is a damaged string,
// not a page.
constexpr qreal MaxSidePt = 14400;

// Custom paper is written as "Custom.<width>x<height>" in points, the shape of Qt's own key.
QString paperKey(const QPageSize &size)
{
    if (size.id() != QPageSize::Custom)
        return QPageSize::key(size.id());
    const QSizeF pt = size.size(QPageSize::Point);
    return QStringLiteral("Custom.%1x%2").arg(pt.width()).arg(pt.height());
}

std::optional<QPageSize> paperFromKey(const QString &key)
{
    if (key.startsWith(QLatin1String("Custom."))) {
        const QStringList wh = key.mid(7).split(QLatin1Char('x'));
        if (wh.size() != 2)
            return std::nullopt;
        bool okW = false;
        bool okH = false;
        const qreal w = wh[0].toDouble(&okW);
        const qreal h = wh[1].toDouble(&okH);
        if (!okW || !okH || w < 1 || h < 1 || w > MaxSidePt || h > MaxSidePt)
            return std::nullopt;
        return QPageSize(QSizeF(w, h), QPageSize::Point, QString(), QPageSize::ExactMatch);
    }
    // QPageSize has no lookup from key to id, and the table is small.
    for (int id = 0; id <= QPageSize::LastPageSize; ++id) {
        const auto pid = static_cast<QPageSize::PageSizeId>(id);
        if (pid != QPageSize::Custom && QPageSize::key(pid) == key)
            return QPageSize(pid);
    }
    return std::nullopt;
}

std::optional<QMarginsF> marginsFromText(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    qreal v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].toDouble(&ok);
        if (!ok || v[i] < 0 || v[i] > MaxSidePt)
            return std::nullopt;
    }
    return QMarginsF(v[0], v[1], v[2], v[3]);
}

} // namespace

QString PageFormat::toString() const
{
    return QStringLiteral("%1 %2;paper=%3;orientation=%4;scale=%5;margins=%6,%7,%8,%9")
        .arg(QLatin1String(Magic))
        .arg(Version)
        .arg(paperKey(pageSize), orientation == QPageLayout::Landscape ? QStringLiteral("landscape")
                                                                       : QStringLiteral("portrait"))
        .arg(scalePercent)
        .arg(marginsPt.left())
        .arg(marginsPt.top())
        .arg(marginsPt.right())
        .arg(marginsPt.bottom());
}

std::optional<PageFormat> PageFormat::fromString(const QString &text)
{
    const QStringList fields = text.trimmed().split(QLatin1Char(';'));
    const QStringList header = fields.value(0).split(QLatin1Char(' '));
    if (header.size() != 2 || header[0] != QLatin1String(Magic))
        return std::nullopt;
    bool ok = false;
    if (header[1].toInt(&ok) != Version || !ok)
        return std::nullopt;

    std::optional<QPageSize> paper;
    std::optional<QPageLayout::Orientation> orientation;
    std::optional<int> scale;
    std::optional<QMarginsF> margins;
    for (qsizetype i = 1; i < fields.size(); ++i) {
        const qsizetype eq = fields[i].indexOf(QLatin1Char('='));
        if (eq <= 0)
            return std::nullopt;
        const QString key = fields[i].left(eq);
        const QString value = fields[i].mid(eq + 1);
        if (key == QLatin1String("paper") && !paper) {
            paper = paperFromKey(value);
            if (!paper)
                return std::nullopt;
        } else if (key == QLatin1String("orientation") && !orientation) {
            if (value == QLatin1String("portrait"))
                orientation = QPageLayout::Portrait;
            else if (value == QLatin1String("landscape"))
                orientation = QPageLayout::Landscape;
            else
                return std::nullopt;
        } else if (key == QLatin1String("scale") && !scale) {
            const int s = value.toInt(&ok);
            if (!ok || s < MinScale || s > MaxScale)
                return std::nullopt;
            scale = s;
        } else if (key == QLatin1String("margins") && !margins) {
            margins = marginsFromText(value);
            if (!margins)
                return std::nullopt;
        } else {
            // An unknown or repeated field: not something version 1 writes.
            return std::nullopt;
        }
    }
    if (!paper || !orientation || !scale || !margins)
        return std::nullopt;

    PageFormat format;
    format.pageSize = *paper;
    format.orientation = *orientation;
    format.scalePercent = *scale;
    format.marginsPt = *margins;
    // Margins that leave no printable area cannot come from the dialog.
    const QSizeF full = format.pageLayout().fullRect(QPageLayout::Point).size();
    if (full.width() - margins->left() - margins->right() < 1 ||
        full.height() - margins->top() - margins->bottom() < 1)
        return std::nullopt;
    return format;
}

QPageLayout PageFormat::pageLayout() const
{
    // No minimum margins here: the printer's own minimum applies when the layout is handed to
    // a QPrinter.
    return QPageLayout(pageSize, orientation, marginsPt, QPageLayout::Point, QMarginsF());
}

QSizeF PageFormat::contentSizeAtScale() const
{
    const QSizeF printable = pageLayout().paintRect(QPageLayout::Point).size();
    return printable / (scalePercent / 100.0);
}
