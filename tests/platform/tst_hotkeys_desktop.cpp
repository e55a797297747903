// System-wide hot keys against the real X server: keys come from xdotool (XTest), as from a
// keyboard, and a second X connection of this process plays the other program that holds a
// combination first or changes the keyboard map.
#include "platform/hotkeys.h"
#include "support/desktoptools.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QStandardPaths>
#include <QTest>
#include <QWidget>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

using desktoptools::xdo;

namespace {

constexpr xcb_keysym_t KeysymP = 'p';
constexpr xcb_keysym_t KeysymQ = 'q';
constexpr uint16_t CtrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
// Num Lock's modifier in the X server's default keyboard map.
constexpr uint16_t NumLockMask = XCB_MOD_MASK_2;

template<typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

// Another X client: to the server a separate program, even though it lives in this process.
class OtherClient
{
public:
    OtherClient() : m_c(xcb_connect(nullptr, nullptr))
    {
        if (ok())
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~OtherClient() { xcb_disconnect(m_c); }
    OtherClient(const OtherClient &) = delete;
    OtherClient &operator=(const OtherClient &) = delete;

    bool ok() const { return m_c && !xcb_connection_has_error(m_c); }

    xcb_keycode_t keycodeOf(xcb_keysym_t sym) const
    {
        std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(
            xcb_key_symbols_alloc(m_c), &xcb_key_symbols_free);
        Reply<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols.get(), sym), &std::free);
        return codes ? *codes : 0;
    }

    // Keys and buttons held or locked now, as in the state field of X events.
    uint16_t modifierState() const
    {
        Reply<xcb_query_pointer_reply_t> pointer(
            xcb_query_pointer_reply(m_c, xcb_query_pointer(m_c, m_root), nullptr), &std::free);
        return pointer ? pointer->mask : 0;
    }

    bool grabKey(xcb_keycode_t kc, uint16_t modifiers)
    {
        Reply<xcb_generic_error_t> error(
            xcb_request_check(m_c, xcb_grab_key_checked(m_c, 0, m_root, modifiers, kc,
                                                        XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)),
            &std::free);
        return !error;
    }

    // Exchanges what two keys type, as a keyboard-layout tool would.
    bool swapKeys(xcb_keycode_t a, xcb_keycode_t b)
    {
        Reply<xcb_get_keyboard_mapping_reply_t> rowA(
            xcb_get_keyboard_mapping_reply(m_c, xcb_get_keyboard_mapping(m_c, a, 1), nullptr),
            &std::free);
        Reply<xcb_get_keyboard_mapping_reply_t> rowB(
            xcb_get_keyboard_mapping_reply(m_c, xcb_get_keyboard_mapping(m_c, b, 1), nullptr),
            &std::free);
        if (!rowA || !rowB)
            return false;
        const uint8_t perKey = rowA->keysyms_per_keycode;
        const xcb_void_cookie_t first = xcb_change_keyboard_mapping_checked(
            m_c, 1, a, perKey, xcb_get_keyboard_mapping_keysyms(rowB.get()));
        const xcb_void_cookie_t second = xcb_change_keyboard_mapping_checked(
            m_c, 1, b, perKey, xcb_get_keyboard_mapping_keysyms(rowA.get()));
        Reply<xcb_generic_error_t> e1(xcb_request_check(m_c, first), &std::free);
        Reply<xcb_generic_error_t> e2(xcb_request_check(m_c, second), &std::free);
        return !e1 && !e2;
    }

private:
    xcb_connection_t *m_c;
    xcb_window_t m_root = 0;
};

// A window of ours that has the focus: what it receives is what an ordinary application in
// front would get.
class KeySink final : public QWidget
{
public:
    KeySink()
    {
        setFocusPolicy(Qt::StrongFocus);
        setGeometry(100, 100, 300, 120);
        setWindowTitle(QStringLiteral("hot key sink"));
    }

    // X keycodes of the non-modifier keys pressed in this window, with their modifiers.
    QList<QPair<quint32, Qt::KeyboardModifiers>> presses;

    int count(quint32 keycode) const
    {
        int n = 0;
        for (const auto &p : presses)
            n += p.first == keycode;
        return n;
    }

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        switch (e->key()) {
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_Shift:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
            return;
        default:
            presses.append({e->nativeScanCode(), e->modifiers()});
        }
    }
};

// `setxkbmap -query` turned back into the arguments that set that map again.
QStringList setxkbmapArguments(const QString &query)
{
    QStringList args;
    for (const QString &line : query.split(u'\n', Qt::SkipEmptyParts)) {
        const QString name = line.section(u':', 0, 0).trimmed();
        const QString value = line.section(u':', 1).trimmed();
        if (name == u"options") {
            // An empty -option first clears whatever options are set now.
            args << u"-option"_qs << QString();
            for (const QString &option : value.split(u',', Qt::SkipEmptyParts))
                args << u"-option"_qs << option;
        } else if (name == u"rules" || name == u"model" || name == u"layout" ||
                   name == u"variant") {
            args << u'-' + name << value;
        }
    }
    return args;
}

} // namespace

class tst_HotKeys final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void pressedThenReleasedOncePerPress_data();
    void pressedThenReleasedOncePerPress();
    void heldKeyIsOnePress_data();
    void heldKeyIsOnePress();
    void unregisteredKeyReachesOtherPrograms_data();
    void unregisteredKeyReachesOtherPrograms();
    void twoIdsShareALetter();
    void combinationTakenByAnotherProgram();
    void lettersWithoutAKey_data();
    void lettersWithoutAKey();
    void grabFollowsKeyboardMapChange_data();
    void grabFollowsKeyboardMapChange();

private:
    bool setLocks(bool caps, bool num);
    bool eventsSettleTo(const QStringList &expected);
    QString why(const QStringList &expected) const;
    bool sinkGets(quint32 keycode, int times = 1);

    GlobalHotKeys *m_hotKeys = nullptr;
    OtherClient m_x;
    KeySink m_sink;
    QStringList m_events;
    xcb_keycode_t m_p = 0;
    xcb_keycode_t m_q = 0;
    bool m_keysSwapped = false;
    // setxkbmap's arguments that bring back the keyboard map the test found.
    QStringList m_savedLayout;
};

void tst_HotKeys::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    QVERIFY2(m_x.ok(), "no second connection to the X server");
    m_p = m_x.keycodeOf(KeysymP);
    m_q = m_x.keycodeOf(KeysymQ);
    QVERIFY2(m_p && m_q, qPrintable(u"keycodes p %1 q %2"_qs.arg(m_p).arg(m_q)));

    m_hotKeys = GlobalHotKeys::instance();
    connect(m_hotKeys, &GlobalHotKeys::pressed, this,
            [this](int id) { m_events << u"press %1"_qs.arg(id); });
    connect(m_hotKeys, &GlobalHotKeys::released, this,
            [this](int id) { m_events << u"release %1"_qs.arg(id); });
    m_sink.show();
}

void tst_HotKeys::init()
{
    m_sink.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_sink));
    m_sink.setFocus();
    m_sink.presses.clear();
    m_events.clear();
}

void tst_HotKeys::cleanup()
{
    // Everything is put back before anything is checked, so one failure does not leak into
    // the next test.
    m_hotKeys->unregisterAll();
    const bool locksOff = setLocks(false, false);
    const bool swappedBack = !m_keysSwapped || m_x.swapKeys(m_p, m_q);
    m_keysSwapped = false;
    const auto restore = m_savedLayout.isEmpty()
                             ? desktoptools::Output{0, {}, {}}
                             : desktoptools::run(u"setxkbmap"_qs, m_savedLayout);
    m_savedLayout.clear();

    QVERIFY2(locksOff, "Caps Lock or Num Lock stays on");
    QVERIFY2(swappedBack && restore.exitCode == 0, restore.err.constData());
    QVERIFY2(m_x.keycodeOf(KeysymP) == m_p && m_x.keycodeOf(KeysymQ) == m_q,
             "the keyboard map was not put back");
}

// Toggles Caps Lock and Num Lock as the user would, and waits until the server shows them.
bool tst_HotKeys::setLocks(bool caps, bool num)
{
    const uint16_t want = (caps ? XCB_MOD_MASK_LOCK : 0) | (num ? NumLockMask : 0);
    const uint16_t mask = XCB_MOD_MASK_LOCK | NumLockMask;
    const uint16_t now = m_x.modifierState() & mask;
    if ((now ^ want) & XCB_MOD_MASK_LOCK)
        xdo({u"key"_qs, u"Caps_Lock"_qs});
    if ((now ^ want) & NumLockMask)
        xdo({u"key"_qs, u"Num_Lock"_qs});
    return QTest::qWaitFor([&] { return (m_x.modifierState() & mask) == want; }, 2000);
}

// Waits for as many hot-key signals as expected, then a little longer so that any extra one
// (a repeat, a second release) shows up too.
bool tst_HotKeys::eventsSettleTo(const QStringList &expected)
{
    (void)QTest::qWaitFor([&] { return m_events.size() >= expected.size(); }, 3000);
    QTest::qWait(200);
    return m_events == expected;
}

QString tst_HotKeys::why(const QStringList &expected) const
{
    return u"signals [%1], expected [%2]; window got %3 key presses"_qs
        .arg(m_events.join(u", "_qs), expected.join(u", "_qs))
        .arg(m_sink.presses.size());
}

bool tst_HotKeys::sinkGets(quint32 keycode, int times)
{
    return QTest::qWaitFor([&] { return m_sink.count(keycode) >= times; }, 3000);
}

void tst_HotKeys::pressedThenReleasedOncePerPress_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<bool>("capsLock");
    QTest::addColumn<bool>("numLock");

    QTest::newRow("no lock") << QChar(u'p') << false << false;
    QTest::newRow("registered in upper case") << QChar(u'P') << false << false;
    QTest::newRow("Caps Lock on") << QChar(u'p') << true << false;
    QTest::newRow("Num Lock on") << QChar(u'p') << false << true;
    QTest::newRow("both locks on") << QChar(u'p') << true << true;
}

void tst_HotKeys::pressedThenReleasedOncePerPress()
{
    QFETCH(QChar, letter);
    QFETCH(bool, capsLock);
    QFETCH(bool, numLock);

    QCOMPARE(m_hotKeys->registerKey(7, letter), GlobalHotKeys::Grab::Ok);
    QVERIFY2(setLocks(capsLock, numLock),
             qPrintable(u"modifier state %1"_qs.arg(m_x.modifierState(), 0, 16)));
    // xdotool lets Ctrl and Alt go before the letter, so the release must not need them.
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));

    const QStringList expected{u"press 7"_qs, u"release 7"_qs, u"press 7"_qs, u"release 7"_qs};
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
    QVERIFY2(m_sink.count(m_p) == 0, "the grabbed key also reached the window in front");
}

void tst_HotKeys::heldKeyIsOnePress_data()
{
    QTest::addColumn<QStringList>("keys");

    const QString held = u"ctrl+alt+p"_qs;
    QTest::newRow("all held") << QStringList{u"keydown"_qs, held,        u"sleep"_qs,
                                             u"1.2"_qs,     u"keyup"_qs, held};
    // The repeats then come without Ctrl and Alt; they are still the hot key's, and the
    // letter's release alone ends it.
    QTest::newRow("Ctrl and Alt let go first")
        << QStringList{u"keydown"_qs, held,      u"keyup"_qs, u"ctrl+alt"_qs,
                       u"sleep"_qs,   u"1.2"_qs, u"keyup"_qs, u"p"_qs};
}

void tst_HotKeys::heldKeyIsOnePress()
{
    QFETCH(QStringList, keys);

    // Without auto-repeat there would be nothing to swallow.
    QVERIFY(xdo({u"keydown"_qs, u"p"_qs, u"sleep"_qs, u"1.2"_qs, u"keyup"_qs, u"p"_qs}));
    QVERIFY2(sinkGets(m_p, 3),
             qPrintable(
                 u"the X server does not repeat a held key: %1 presses"_qs.arg(m_sink.count(m_p))));
    m_sink.presses.clear();

    QCOMPARE(m_hotKeys->registerKey(7, u'p'), GlobalHotKeys::Grab::Ok);
    QVERIFY(xdo(keys));
    const QStringList expected{u"press 7"_qs, u"release 7"_qs};
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
}

enum class GiveBack { UnregisterKey, UnregisterAll, RegisterAnotherLetter };
Q_DECLARE_METATYPE(GiveBack)

void tst_HotKeys::unregisteredKeyReachesOtherPrograms_data()
{
    QTest::addColumn<GiveBack>("how");
    QTest::newRow("unregisterKey") << GiveBack::UnregisterKey;
    QTest::newRow("unregisterAll") << GiveBack::UnregisterAll;
    QTest::newRow("same id registered with k") << GiveBack::RegisterAnotherLetter;
}

void tst_HotKeys::unregisteredKeyReachesOtherPrograms()
{
    QFETCH(GiveBack, how);

    QCOMPARE(m_hotKeys->registerKey(7, u'p'), GlobalHotKeys::Grab::Ok);
    // Unknown ids are no error and touch nothing.
    m_hotKeys->unregisterKey(99);
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
    QStringList expected{u"press 7"_qs, u"release 7"_qs};
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));

    switch (how) {
    case GiveBack::UnregisterKey:
        m_hotKeys->unregisterKey(7);
        break;
    case GiveBack::UnregisterAll:
        m_hotKeys->unregisterAll();
        break;
    case GiveBack::RegisterAnotherLetter:
        QCOMPARE(m_hotKeys->registerKey(7, u'k'), GlobalHotKeys::Grab::Ok);
        break;
    }
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
    QVERIFY2(sinkGets(m_p), "Ctrl+Alt+p did not reach the window in front");
    QCOMPARE(m_sink.presses.constFirst().second, Qt::ControlModifier | Qt::AltModifier);
    if (how == GiveBack::RegisterAnotherLetter) {
        QVERIFY(xdo({u"key"_qs, u"ctrl+alt+k"_qs}));
        expected << u"press 7"_qs << u"release 7"_qs;
    }
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
}

void tst_HotKeys::twoIdsShareALetter()
{
    QCOMPARE(m_hotKeys->registerKey(1, u'p'), GlobalHotKeys::Grab::Ok);
    QCOMPARE(m_hotKeys->registerKey(2, u'P'), GlobalHotKeys::Grab::Ok);
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
    QStringList expected{u"press 1"_qs, u"press 2"_qs, u"release 1"_qs, u"release 2"_qs};
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));

    // Dropping one must leave the grab the other still needs.
    m_hotKeys->unregisterKey(1);
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
    expected << u"press 2"_qs << u"release 2"_qs;
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
    QVERIFY2(m_sink.count(m_p) == 0, "the shared key reached the window in front");
}

void tst_HotKeys::combinationTakenByAnotherProgram()
{
    {
        // Only the Caps Lock variant, so that ours without it are granted first and must be
        // given back when the refusal comes.
        OtherClient other;
        QVERIFY(other.grabKey(m_p, CtrlAlt | XCB_MOD_MASK_LOCK));

        QCOMPARE(m_hotKeys->registerKey(1, u'p'), GlobalHotKeys::Grab::Taken);
        QCOMPARE(m_hotKeys->registerKey(2, u'k'), GlobalHotKeys::Grab::Ok);

        QVERIFY(xdo({u"key"_qs, u"ctrl+alt+p"_qs}));
        QVERIFY2(sinkGets(m_p), "a variant of the refused grab was kept");
        QVERIFY(xdo({u"key"_qs, u"ctrl+alt+k"_qs}));
        const QStringList expected{u"press 2"_qs, u"release 2"_qs};
        QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
    }
    // The other program is gone, and with it its grab.
    QTest::qWait(100);
    QCOMPARE(m_hotKeys->registerKey(1, u'p'), GlobalHotKeys::Grab::Ok);
}

void tst_HotKeys::lettersWithoutAKey_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::newRow("letter of another script") << QChar(u'\u4e2d');
    QTest::newRow("letter of another layout") << QChar(u'\u00e4');
    QTest::newRow("control character") << QChar(u'\t');
}

void tst_HotKeys::lettersWithoutAKey()
{
    QFETCH(QChar, letter);
    QCOMPARE(m_hotKeys->registerKey(3, letter), GlobalHotKeys::Grab::NoKey);
}

enum class MapChange { SwapKeys, SwitchLayout };
Q_DECLARE_METATYPE(MapChange)

void tst_HotKeys::grabFollowsKeyboardMapChange_data()
{
    QTest::addColumn<MapChange>("change");
    QTest::addColumn<QChar>("letter");
    // What the letter's old key types after the change.
    QTest::addColumn<QChar>("oldKeyTypes");

    // The core protocol's way, as xmodmap does it.
    QTest::newRow("keys of p and q exchanged") << MapChange::SwapKeys << QChar(u'p') << QChar(u'q');
    // A new XKB keymap, as layout switchers load it; Qt's connection is then told through XKB
    // only, not with the core MappingNotify.
    QTest::newRow("layout switched to German")
        << MapChange::SwitchLayout << QChar(u'z') << QChar(u'y');
}

void tst_HotKeys::grabFollowsKeyboardMapChange()
{
    QFETCH(MapChange, change);
    QFETCH(QChar, letter);
    QFETCH(QChar, oldKeyTypes);
    const xcb_keycode_t oldKey = m_x.keycodeOf(letter.unicode());

    QCOMPARE(m_hotKeys->registerKey(7, letter), GlobalHotKeys::Grab::Ok);
    switch (change) {
    case MapChange::SwapKeys:
        QVERIFY(m_x.swapKeys(m_p, m_q));
        m_keysSwapped = true;
        break;
    case MapChange::SwitchLayout: {
        const auto query = desktoptools::run(u"setxkbmap"_qs, {u"-query"_qs});
        QVERIFY2(query.exitCode == 0, query.err.constData());
        m_savedLayout = setxkbmapArguments(QString::fromUtf8(query.out));
        const auto set = desktoptools::run(u"setxkbmap"_qs, {u"-layout"_qs, u"de"_qs});
        QVERIFY2(set.exitCode == 0, set.err.constData());
        break;
    }
    }
    const xcb_keycode_t newKey = m_x.keycodeOf(letter.unicode());
    QVERIFY2(newKey != oldKey && m_x.keycodeOf(oldKeyTypes.unicode()) == oldKey,
             qPrintable(u"%1 moved from key %2 to %3, %4 is on %5"_qs.arg(letter)
                            .arg(oldKey)
                            .arg(newKey)
                            .arg(oldKeyTypes)
                            .arg(m_x.keycodeOf(oldKeyTypes.unicode()))));
    QTest::qWait(300);

    // xdotool reads the new map, so it presses the letter's new key.
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+"_qs + letter}));
    const QStringList expected{u"press 7"_qs, u"release 7"_qs};
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
    QVERIFY(xdo({u"key"_qs, u"ctrl+alt+"_qs + oldKeyTypes}));
    QVERIFY2(sinkGets(oldKey), "the key that no longer types the letter is still grabbed");
    QVERIFY2(eventsSettleTo(expected), qPrintable(why(expected)));
}

QTEST_MAIN(tst_HotKeys)
#include "tst_hotkeys_desktop.moc"
