#pragma once

#include <QString>

namespace hotkeys {

// What keyCodeForLetter() gives for anything but a single letter a..z. The caller then keeps
// the code it had, so the value is never stored.
inline constexpr int NoKeyCode = -1;

// The key code the program's state records for a hot key's letter: the virtual key code of
// that letter's key on the Mac ANSI layout (a = 0, s = 1, ...), which follows the physical keys
// rather than the alphabet. It is not the X keycode that is grabbed. `letter` must be one letter
// as a whole string, in either case ("A" and "a" are the same key); anything else (empty,
// longer, digits, accented letters) gives NoKeyCode.
[[nodiscard]] int keyCodeForLetter(const QString &letter);

} // namespace hotkeys
