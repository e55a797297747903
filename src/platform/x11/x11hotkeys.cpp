#include "platform/hotkeys.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

namespace {

using KeySymbols = std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)>;
template<typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

constexpr xcb_keysym_t NumLockKeysym = 0xff7f;
constexpr uint16_t HotKeyModifiers = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr uint8_t BadAccess = 10;
// The repeat press that cancels a release comes in the same burst from the server; this only
// has to outlast one pass of Qt's event processing, and it delays `released` by as much.
constexpr int RepeatWindowMs = 25;

// XKB's events share one event code and tell their kind in the second byte.
constexpr uint8_t XkbNewKeyboardNotify = 0;
constexpr uint8_t XkbMapNotify = 1;

xcb_connection_t *applicationConnection()
{
    if (!qGuiApp)
        return nullptr;
    auto *x11App = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11App ? x11App->connection() : nullptr;
}

// The keysym X gives a character: Latin-1 is its own code, the rest of Unicode is offset.
xcb_keysym_t keysymFor(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || (u >= 0x7f && u < 0xa0) || c.isSurrogate())
        return XCB_NO_SYMBOL;
    return u <= 0xff ? xcb_keysym_t(u) : xcb_keysym_t(0x01000000 | u);
}

// The keys that type `letter` in the first group of the keyboard map. Later groups are left
// out because there the same key is another letter (with "us,de", z is where us has y), and a
// grab cannot tell groups apart; only when the first group lacks the letter are they used.
QList<xcb_keycode_t> keycodesFor(xcb_key_symbols_t *symbols, QChar letter)
{
    const xcb_keysym_t lower = keysymFor(letter.toLower());
    const xcb_keysym_t upper = keysymFor(letter.toUpper());
    if (lower == XCB_NO_SYMBOL)
        return {};
    QList<xcb_keycode_t> firstGroup;
    QList<xcb_keycode_t> anyGroup;
    for (const xcb_keysym_t sym : {lower, upper}) {
        std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
            xcb_key_symbols_get_keycode(symbols, sym), &std::free);
        for (const xcb_keycode_t *k = codes.get(); k && *k != XCB_NO_SYMBOL; ++k) {
            if (!anyGroup.contains(*k))
                anyGroup << *k;
            const xcb_keysym_t level1 = xcb_key_symbols_get_keysym(symbols, *k, 0);
            const xcb_keysym_t level2 = xcb_key_symbols_get_keysym(symbols, *k, 1);
            const bool inFirst =
                level1 == lower || level1 == upper || level2 == lower || level2 == upper;
            if (inFirst && !firstGroup.contains(*k))
                firstGroup << *k;
        }
    }
    QList<xcb_keycode_t> result = firstGroup.isEmpty() ? anyGroup : firstGroup;
    std::sort(result.begin(), result.end());
    return result;
}

// The modifier bit Num Lock sets in this keyboard map (Mod2 on most), 0 when it sets none.
uint16_t numLockMask(xcb_connection_t *c, xcb_key_symbols_t *symbols)
{
    Reply<xcb_get_modifier_mapping_reply_t> mapping(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr), &std::free);
    std::unique_ptr<xcb_keycode_t, decltype(&std::free)> numLock(
        xcb_key_symbols_get_keycode(symbols, NumLockKeysym), &std::free);
    if (!mapping || !numLock)
        return 0;
    const xcb_keycode_t *table = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    // Shift, Lock, Control and Mod1 are ours or fixed; Num Lock can only be one of Mod2..Mod5.
    for (int mod = 4; mod < 8; ++mod) {
        for (int i = 0; i < perModifier; ++i) {
            const xcb_keycode_t kc = table[mod * perModifier + i];
            for (const xcb_keycode_t *k = numLock.get(); kc && *k != XCB_NO_SYMBOL; ++k) {
                if (*k == kc)
                    return uint16_t(1u << mod);
            }
        }
    }
    return 0;
}

} // namespace

class GlobalHotKeys::Private final : public QAbstractNativeEventFilter
{
public:
    struct Registration
    {
        QChar letter;
        // The keys that typed the letter when it was last grabbed; they are grabbed when Ok.
        QList<xcb_keycode_t> keycodes;
        Grab state = Grab::NoKey;
    };

    explicit Private(GlobalHotKeys *q);
    ~Private() override;

    Grab registerKey(int id, QChar letter);
    void unregisterKey(int id);
    void unregisterAll();

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override;

private:
    [[nodiscard]] KeySymbols keySymbols() const;
    [[nodiscard]] QList<uint16_t> modifierVariants() const;
    [[nodiscard]] bool heldByAnother(xcb_keycode_t kc, int id) const;
    [[nodiscard]] QList<int> idsFor(xcb_keycode_t kc) const;
    [[nodiscard]] bool isRoot(xcb_window_t w) const { return m_roots.contains(w); }

    Grab grab(int id, Registration &r, xcb_key_symbols_t *symbols);
    void ungrab(xcb_keycode_t kc);
    void ungrabAll();
    void regrabIfMapChanged();

    bool keyPressed(const xcb_key_press_event_t *e);
    bool keyReleased(const xcb_key_release_event_t *e);
    void emitLater(void (GlobalHotKeys::*signal)(int), xcb_keycode_t kc);
    void emitPendingReleases();

    GlobalHotKeys *q;
    xcb_connection_t *m_connection = nullptr;
    QList<xcb_window_t> m_roots;
    uint8_t m_xkbEventBase = 0;
    uint16_t m_numLockMask = 0;
    QMap<int, Registration> m_registrations;
    // Keys of ours that are down, and releases waiting to see whether a repeat press follows
    // (X auto-repeat sends release and press with one timestamp).
    QSet<xcb_keycode_t> m_down;
    QHash<xcb_keycode_t, xcb_timestamp_t> m_pendingReleases;
    QTimer m_releaseTimer;
    // Map changes come in bursts (xdotool alone remaps a spare key for each odd keysym).
    QTimer m_remapTimer;
};

GlobalHotKeys::Private::Private(GlobalHotKeys *q) : q(q), m_connection(applicationConnection())
{
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(RepeatWindowMs);
    QObject::connect(&m_releaseTimer, &QTimer::timeout, q, [this] { emitPendingReleases(); });
    m_remapTimer.setSingleShot(true);
    m_remapTimer.setInterval(0);
    QObject::connect(&m_remapTimer, &QTimer::timeout, q, [this] { regrabIfMapChanged(); });

    if (!m_connection)
        return;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(m_connection)); it.rem;
         xcb_screen_next(&it))
        m_roots << it.data->root;

    // Qt listens to XKB; clients that do are not always sent the core MappingNotify.
    constexpr char xkbName[] = "XKEYBOARD";
    Reply<xcb_query_extension_reply_t> xkb(
        xcb_query_extension_reply(m_connection,
                                  xcb_query_extension(m_connection, std::strlen(xkbName), xkbName),
                                  nullptr),
        &std::free);
    if (xkb && xkb->present)
        m_xkbEventBase = xkb->first_event;

    m_numLockMask = numLockMask(m_connection, keySymbols().get());
    QCoreApplication::instance()->installNativeEventFilter(this);
}

GlobalHotKeys::Private::~Private()
{
    // The server drops a client's grabs when it disconnects, but the application object (and
    // with it this one) may go long before the process does.
    unregisterAll();
}

KeySymbols GlobalHotKeys::Private::keySymbols() const
{
    return KeySymbols(xcb_key_symbols_alloc(m_connection), &xcb_key_symbols_free);
}

QList<uint16_t> GlobalHotKeys::Private::modifierVariants() const
{
    // A passive grab matches its modifiers exactly, so the locks need a grab each.
    QList<uint16_t> variants{HotKeyModifiers, HotKeyModifiers | XCB_MOD_MASK_LOCK};
    if (m_numLockMask) {
        variants << (HotKeyModifiers | m_numLockMask)
                 << (HotKeyModifiers | XCB_MOD_MASK_LOCK | m_numLockMask);
    }
    return variants;
}

bool GlobalHotKeys::Private::heldByAnother(xcb_keycode_t kc, int id) const
{
    for (auto it = m_registrations.cbegin(); it != m_registrations.cend(); ++it) {
        if (it.key() != id && it->state == Grab::Ok && it->keycodes.contains(kc))
            return true;
    }
    return false;
}

QList<int> GlobalHotKeys::Private::idsFor(xcb_keycode_t kc) const
{
    QList<int> ids;
    for (auto it = m_registrations.cbegin(); it != m_registrations.cend(); ++it) {
        if (it->state == Grab::Ok && it->keycodes.contains(kc))
            ids << it.key();
    }
    return ids;
}

GlobalHotKeys::Grab GlobalHotKeys::Private::registerKey(int id, QChar letter)
{
    unregisterKey(id);
    if (!m_connection)
        return Grab::Unavailable;
    Registration &r = m_registrations[id];
    r.letter = letter;
    return grab(id, r, keySymbols().get());
}

GlobalHotKeys::Grab GlobalHotKeys::Private::grab(int id, Registration &r,
                                                 xcb_key_symbols_t *symbols)
{
    r.keycodes = keycodesFor(symbols, r.letter);
    if (r.keycodes.isEmpty())
        return r.state = Grab::NoKey;

    // A key another id of ours holds is already grabbed; grabbing it again would succeed
    // (same client) and undoing a refusal would take it from that id.
    QList<xcb_keycode_t> fresh;
    for (const xcb_keycode_t kc : r.keycodes) {
        if (!heldByAnother(kc, id))
            fresh << kc;
    }
    std::vector<xcb_void_cookie_t> cookies;
    const QList<uint16_t> variants = modifierVariants();
    for (const xcb_window_t root : m_roots) {
        for (const xcb_keycode_t kc : fresh) {
            for (const uint16_t mods : variants) {
                // owner_events false: while the grab is active every key event goes to the
                // root window, never to one of our own windows that happens to have the focus.
                cookies.push_back(xcb_grab_key_checked(m_connection, 0, root, mods, kc,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
            }
        }
    }
    bool refused = false;
    for (const xcb_void_cookie_t cookie : cookies) {
        Reply<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie), &std::free);
        if (!error)
            continue;
        if (error->error_code != BadAccess)
            qWarning("GlobalHotKeys: grabbing Ctrl+Alt+%s failed with X error %d",
                     qPrintable(QString(r.letter)), error->error_code);
        refused = true;
    }
    if (refused) {
        for (const xcb_keycode_t kc : fresh)
            ungrab(kc);
        xcb_flush(m_connection);
        return r.state = Grab::Taken;
    }
    return r.state = Grab::Ok;
}

void GlobalHotKeys::Private::ungrab(xcb_keycode_t kc)
{
    // AnyModifier releases every variant at once, whichever Num Lock bit they were made with.
    for (const xcb_window_t root : m_roots)
        xcb_ungrab_key(m_connection, kc, root, XCB_MOD_MASK_ANY);
    m_down.remove(kc);
    m_pendingReleases.remove(kc);
}

void GlobalHotKeys::Private::ungrabAll()
{
    QSet<xcb_keycode_t> grabbed;
    for (const Registration &r : std::as_const(m_registrations)) {
        if (r.state == Grab::Ok)
            grabbed.unite(QSet<xcb_keycode_t>(r.keycodes.cbegin(), r.keycodes.cend()));
    }
    for (const xcb_keycode_t kc : std::as_const(grabbed))
        ungrab(kc);
    if (m_connection)
        xcb_flush(m_connection);
}

void GlobalHotKeys::Private::unregisterKey(int id)
{
    const auto it = m_registrations.constFind(id);
    if (it == m_registrations.cend())
        return;
    const Registration r = *it;
    m_registrations.erase(it);
    if (r.state != Grab::Ok)
        return;
    for (const xcb_keycode_t kc : r.keycodes) {
        if (!heldByAnother(kc, id))
            ungrab(kc);
    }
    xcb_flush(m_connection);
}

void GlobalHotKeys::Private::unregisterAll()
{
    ungrabAll();
    m_registrations.clear();
}

void GlobalHotKeys::Private::regrabIfMapChanged()
{
    if (!m_connection || m_registrations.isEmpty())
        return;
    const KeySymbols symbols = keySymbols();
    const uint16_t mask = numLockMask(m_connection, symbols.get());
    bool changed = mask != m_numLockMask;
    for (const Registration &r : std::as_const(m_registrations))
        changed = changed || keycodesFor(symbols.get(), r.letter) != r.keycodes;
    // Regrabbing leaves a moment in which the key reaches other programs; skip it when the
    // change (often a spare key remapped by some tool) does not touch our keys.
    if (!changed)
        return;
    ungrabAll();
    m_numLockMask = mask;
    for (Registration &r : m_registrations)
        r.state = Grab::NoKey;
    for (auto it = m_registrations.begin(); it != m_registrations.end(); ++it)
        grab(it.key(), it.value(), symbols.get());
}

bool GlobalHotKeys::Private::nativeEventFilter(const QByteArray &eventType, void *message,
                                               qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // Events another client sent (the high bit) cannot be told from forged ones: ignored.
    if (event->response_type & 0x80)
        return false;
    const uint8_t type = event->response_type;
    switch (type) {
    case XCB_KEY_PRESS:
        return keyPressed(reinterpret_cast<const xcb_key_press_event_t *>(event));
    case XCB_KEY_RELEASE:
        return keyReleased(reinterpret_cast<const xcb_key_release_event_t *>(event));
    case XCB_MAPPING_NOTIFY:
        if (reinterpret_cast<const xcb_mapping_notify_event_t *>(event)->request !=
            XCB_MAPPING_POINTER)
            m_remapTimer.start();
        return false;
    default:
        if (m_xkbEventBase && type == m_xkbEventBase) {
            const uint8_t xkbType = reinterpret_cast<const uint8_t *>(event)[1];
            if (xkbType == XkbNewKeyboardNotify || xkbType == XkbMapNotify)
                m_remapTimer.start();
        }
        return false;
    }
}

bool GlobalHotKeys::Private::keyPressed(const xcb_key_press_event_t *e)
{
    const xcb_keycode_t kc = e->detail;
    if (!isRoot(e->event) || idsFor(kc).isEmpty())
        return false;
    const auto pending = m_pendingReleases.constFind(kc);
    if (pending != m_pendingReleases.cend()) {
        const bool repeat = *pending == e->time;
        m_pendingReleases.erase(pending);
        if (repeat) {
            m_down.insert(kc);
            return true;
        }
        emitLater(&GlobalHotKeys::released, kc);
    }
    if (m_down.contains(kc))
        return true;
    // While a grab is active every key comes here; only Ctrl+Alt with nothing else but the
    // locks is a hot key.
    const uint16_t ignored = XCB_MOD_MASK_LOCK | m_numLockMask;
    if ((e->state & 0xff & ~ignored) != HotKeyModifiers)
        return false;
    m_down.insert(kc);
    emitLater(&GlobalHotKeys::pressed, kc);
    return true;
}

bool GlobalHotKeys::Private::keyReleased(const xcb_key_release_event_t *e)
{
    const xcb_keycode_t kc = e->detail;
    if (!isRoot(e->event) || !m_down.remove(kc))
        return false;
    m_pendingReleases.insert(kc, e->time);
    m_releaseTimer.start();
    return true;
}

void GlobalHotKeys::Private::emitLater(void (GlobalHotKeys::*signal)(int), xcb_keycode_t kc)
{
    // Not from inside X event processing: a slot that opens a modal dialog would nest an event
    // loop in Qt's dispatch of the X queue.
    for (const int id : idsFor(kc)) {
        QMetaObject::invokeMethod(
            q, [q = q, signal, id] { (q->*signal)(id); }, Qt::QueuedConnection);
    }
}

void GlobalHotKeys::Private::emitPendingReleases()
{
    const QList<xcb_keycode_t> keys = m_pendingReleases.keys();
    m_pendingReleases.clear();
    for (const xcb_keycode_t kc : keys) {
        for (const int id : idsFor(kc))
            Q_EMIT q->released(id);
    }
}

GlobalHotKeys::GlobalHotKeys(QObject *parent) : QObject(parent), d(std::make_unique<Private>(this))
{}

GlobalHotKeys::~GlobalHotKeys() = default;

GlobalHotKeys *GlobalHotKeys::instance()
{
    // Owned by the application object, whose children go while the X connection is still open.
    static QPointer<GlobalHotKeys> self;
    if (!self) {
        Q_ASSERT_X(QCoreApplication::instance(), "GlobalHotKeys", "needs an application object");
        self = new GlobalHotKeys(QCoreApplication::instance());
    }
    return self;
}

GlobalHotKeys::Grab GlobalHotKeys::registerKey(int id, QChar letter)
{
    return d->registerKey(id, letter);
}

void GlobalHotKeys::unregisterKey(int id)
{
    d->unregisterKey(id);
}

void GlobalHotKeys::unregisterAll()
{
    d->unregisterAll();
}
