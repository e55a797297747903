#pragma once

#include <QFont>
#include <functional>

namespace infowindows {

// The windows' sizes and font sizes come from a design for a 72-dpi screen, where a point is a
// pixel: an 11-point caption there is 11 pixels high. The desktop's font at the same point size is
// a third larger on a 96-dpi screen and would be cut off by the design's boxes. This gives the
// desktop's UI font at the largest size not above `points`, in quarter points and not below
// MinPoints, for which `fits` holds.
inline constexpr qreal MinPoints = 6;
[[nodiscard]] QFont fittingFont(qreal points, const std::function<bool(const QFont &)> &fits);

} // namespace infowindows
