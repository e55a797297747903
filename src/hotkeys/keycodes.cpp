#include "hotkeys/keycodes.h"

#include <array>

namespace hotkeys {

int keyCodeForLetter(const QString &letter)
{
    // Indexed by letter: the Mac layout's codes follow the physical keys, not the alphabet.
    static constexpr std::array<int, 26> codes{
        0,  11, 8,  2,  14, 3, 5,  4,  34, 38, 40, 37, 46, // a..m
        45, 31, 35, 12, 15, 1, 17, 32, 9,  13, 7,  16, 6,  // n..z
    };
    if (letter.size() != 1)
        return NoKeyCode;
    // Only the ASCII letters: a case-insensitive compare in Unicode would also let the Kelvin
    // sign pass for k and the long s for s.
    const char16_t c = letter.front().unicode();
    if (c >= u'a' && c <= u'z')
        return codes[c - u'a'];
    if (c >= u'A' && c <= u'Z')
        return codes[c - u'A'];
    return NoKeyCode;
}

} // namespace hotkeys
