#pragma once

#include <QString>

class QDateTime;

namespace printing {

// The time-date stamp of stamp and note prints and of PrintBoard notes: the moment's date and
// time in the system locale's short forms, joined by two blanks, e.g. "1/5/24  3:45 PM". The
// moment is shown in local time, whatever time zone it is given in.
[[nodiscard]] QString stamp(const QDateTime &moment);

} // namespace printing
