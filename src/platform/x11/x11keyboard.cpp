#include "platform/x11/x11keyboard.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

namespace {

xcb_connection_t *connection()
{
    if (!qGuiApp)
        return nullptr;
    auto *x11App = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11App ? x11App->connection() : nullptr;
}

} // namespace

bool x11::available()
{
    return connection() != nullptr;
}

bool x11::letterKeyDown(char letter)
{
    xcb_connection_t *c = connection();
    if (!c || letter < 'a' || letter > 'z')
        return false;

    // Keysyms of the Latin letters equal their lower-case ASCII codes.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
        xcb_key_symbols_alloc(c), &xcb_key_symbols_free);
    if (!symbols)
        return false;
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
        xcb_key_symbols_get_keycode(symbols.get(), xcb_keysym_t(letter)), &std::free);
    if (!codes)
        return false;

    std::unique_ptr<xcb_query_keymap_reply_t, decltype(&std::free)> keymap(
        xcb_query_keymap_reply(c, xcb_query_keymap(c), nullptr), &std::free);
    if (!keymap)
        return false;
    // The list of keycodes ends with XCB_NO_SYMBOL (0); any of them held counts.
    for (const xcb_keycode_t *k = codes.get(); *k != XCB_NO_SYMBOL; ++k) {
        if (keymap->keys[*k / 8] & (1u << (*k % 8)))
            return true;
    }
    return false;
}
