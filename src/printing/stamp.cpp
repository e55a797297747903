#include "printing/stamp.h"

#include <QDateTime>
#include <QLocale>

namespace printing {

QString stamp(const QDateTime &moment)
{
    // The system locale, not QLocale(): a stamp records when something was on the user's
    // screen, in the form the user's desktop writes dates, whatever the program's own default.
    const QLocale locale = QLocale::system();
    const QDateTime local = moment.toLocalTime();
    return locale.toString(local.date(), QLocale::ShortFormat) + QLatin1String("  ") +
           locale.toString(local.time(), QLocale::ShortFormat);
}

} // namespace printing
