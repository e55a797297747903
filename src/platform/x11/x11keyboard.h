#pragma once

// Direct questions to the X server about the keyboard. The rest of the program never includes
// xcb headers; these return false when the program does not run on X11.
namespace x11 {

[[nodiscard]] bool available();
// The key that produces the Latin letter (a..z) in the current keyboard map is down now.
[[nodiscard]] bool letterKeyDown(char letter);

} // namespace x11
