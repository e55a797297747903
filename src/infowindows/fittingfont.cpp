#include "infowindows/fittingfont.h"

#include <QGuiApplication>

namespace infowindows {

QFont fittingFont(qreal points, const std::function<bool(const QFont &)> &fits)
{
    QFont font = QGuiApplication::font();
    for (qreal size = points; size >= MinPoints; size -= 0.25) {
        font.setPointSizeF(size);
        if (fits(font))
            return font;
    }
    font.setPointSizeF(MinPoints);
    return font;
}

} // namespace infowindows
