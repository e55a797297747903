#include "selection/guide.h"

#include <cmath>

namespace selection {

Orientation orientationFor(bool landscapeByDefault, bool cKeyHeld)
{
    return landscapeByDefault != cKeyHeld ? Orientation::Landscape : Orientation::Portrait;
}

PageLimits limitsFor(Orientation orientation)
{
    return orientation == Orientation::Landscape ? LandscapeLimits : PortraitLimits;
}

QString percentText(double percent)
{
    if (percent < 10)
        return QString::number(static_cast<long long>(std::trunc(percent)));
    return QString::number(percent, 'f', 6).left(2);
}

QString guideTitle(Orientation orientation)
{
    return orientation == Orientation::Landscape ? QStringLiteral("Scaling Guide:  Landscape")
                                                 : QStringLiteral("Scaling Guide:  Portrait");
}

std::optional<Guide> guideFor(const DrawRect &r, Orientation orientation)
{
    const PageLimits limits = limitsFor(orientation);
    const bool wide = r.width > limits.width;
    const bool tall = r.height + limits.height < 0;
    if (!wide && !tall)
        return std::nullopt;

    // Only an oversize dimension's percentage is shown, and an oversize height is negative, so
    // neither division below can be by zero.
    const QString sw = wide ? percentText(limits.width / r.width * 100) : QString();
    const QString sh = tall ? percentText(limits.height / -r.height * 100) : QString();
    const QString mode = orientation == Orientation::Landscape ? QStringLiteral("Landscape Mode:  ")
                                                               : QStringLiteral("Portrait Mode:  ");
    const QString cr = QStringLiteral("\r");

    Guide g;
    g.title = guideTitle(orientation);
    if (wide && tall) {
        g.width = 166;
        g.height = 36;
        g.text = QStringLiteral("Scale Width To:  ") + sw + QStringLiteral("%") + cr +
                 QStringLiteral("Scale Height To:  ") + sh + QStringLiteral("%");
        g.sentence = cr + cr + mode + QStringLiteral("Scale Width To ") + sw + QStringLiteral("%") +
                     QStringLiteral(", ") + QStringLiteral("Scale Height To ") + sh +
                     QStringLiteral("%") + cr;
    } else if (wide) {
        g.width = 150;
        g.height = 22;
        g.text = QStringLiteral("Scale Width To:  ") + sw + QStringLiteral("%");
        g.sentence =
            cr + cr + mode + QStringLiteral("Scale Width To ") + sw + QStringLiteral("%") + cr;
    } else {
        g.width = 166;
        g.height = 22;
        g.text = QStringLiteral("Scale Height To:  ") + sh + QStringLiteral("%");
        g.sentence =
            cr + cr + mode + QStringLiteral("Scale Height To ") + sh + QStringLiteral("%") + cr;
    }
    return g;
}

QPoint guidePosition(QPoint pointer, QSize screen)
{
    int left = pointer.x() + 20;
    int top = pointer.y() + 12;
    if (screen.width() - 134 < left) {
        left = pointer.x() - 154;
        top = pointer.y() + 30;
    }
    if (screen.height() - 50 < top)
        top = pointer.y() - 60;
    return {left, top};
}

AreaFill areaFill(bool oversize, bool colorAlert)
{
    if (!oversize)
        return AreaFill::Plain;
    return colorAlert ? AreaFill::Alert : AreaFill::Dark;
}

} // namespace selection
