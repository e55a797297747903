// The four system-wide shortcuts as the user meets them, under the real X server: letters from
// the shortcut files, the start-up registration, keys pressed with xdotool from outside the
// program, what each shortcut starts, and the shortcut editor's confirmations.
#include "commandmenu/commandwindow.h"
#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "hotkeys/keycodes.h"
#include "hotkeys/shortcutwindow.h"
#include "hotkeys/window2.h"
#include "platform/hotkeys.h"
#include "platform/recordinghost.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

using namespace desktoptools;

namespace {

// Another program holding Ctrl+Alt+`sym` (every lock variant), on its own X connection.
class OtherClient
{
public:
    explicit OtherClient(xcb_keysym_t sym) : m_c(xcb_connect(nullptr, nullptr))
    {
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
        xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(m_c);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, sym);
        const uint16_t lockVariants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                         XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};
        for (uint16_t locks : lockVariants)
            xcb_grab_key(m_c, 0, root, uint16_t(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | locks),
                         codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
        free(codes);
        xcb_key_symbols_free(symbols);
        free(xcb_get_input_focus_reply(m_c, xcb_get_input_focus(m_c), nullptr)); // a round trip
    }
    ~OtherClient() { xcb_disconnect(m_c); }

private:
    xcb_connection_t *m_c;
};

} // namespace

class tst_Shortcuts final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void keysStartTheirCommands_data();
    void keysStartTheirCommands();
    void noFilesNoGrabs();
    void anotherProgramHoldsOne();
    void confirmations_data();
    void confirmations();
    void fieldsTakeOneLetter();

private:
    void writeLetters(const QStringList &letters);
    QList<QPair<QString, qint64>> m_pushes;
    QElapsedTimer m_sinceRelease;
    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
    Menu *m_menu = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_Shortcuts::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_Shortcuts::init()
{
    Module1::reset();
    m_host->clear();
    m_pushes.clear();
    m_folder = std::make_unique<QTemporaryDir>();
    resources::setFolder(m_folder->path());
    m_menu = new Menu;
    m_w = new Window1;
    commandmenu::install(*m_w, *m_menu);
    hotkeys::install(*m_w);
    for (QPushButton *button :
         {m_w->PrintPushButton, m_w->PrintWithStampPushButton, m_w->PrintWithNotePushButton}) {
        QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
        QObject::connect(button, &QPushButton::clicked, this, [this, button] {
            m_pushes.append({button->objectName(), m_sinceRelease.elapsed()});
        });
    }
}

void tst_Shortcuts::cleanup()
{
    KeyboardShortcutWindow::closeIfOpen();
    ContextualMenuWindow::closeIfOpen();
    Module1::PKS = Module1::CMKS = Module1::PTS = Module1::PNS = QString();
    hotkeys::registerAllHotKeys(); // lets every combination go
    QTest::qWait(50);
    delete m_w;
    delete m_menu;
}

void tst_Shortcuts::writeLetters(const QStringList &letters)
{
    const char *files[] = {resources::files::PrintingHotkey, resources::files::CommandWindowHotkey,
                           resources::files::StampHotkey, resources::files::NoteHotkey};
    for (int i = 0; i < 4; ++i) {
        if (!letters[i].isNull())
            QVERIFY(resources::writeText(QLatin1String(files[i]), letters[i]));
    }
}

void tst_Shortcuts::keysStartTheirCommands_data()
{
    QTest::addColumn<QString>("lock");
    QTest::newRow("no lock") << QString();
    QTest::newRow("Caps Lock") << QStringLiteral("Caps_Lock");
    QTest::newRow("Num Lock") << QStringLiteral("Num_Lock");
}

void tst_Shortcuts::keysStartTheirCommands()
{
    QFETCH(QString, lock);
    // "T" as typed: upper case is the same key.
    writeLetters(
        {QStringLiteral("p"), QStringLiteral("m"), QStringLiteral("T"), QStringLiteral("n")});
    hotkeys::registerAtStartUp();
    QVERIFY2(m_host->messages.isEmpty(), qPrintable(m_host->messages.join(QLatin1Char('|'))));
    QCOMPARE(Module1::PKSValue, 35);
    if (!lock.isEmpty())
        QVERIFY(xdo({QStringLiteral("key"), lock}));
    const auto press = [this](const char *key) {
        const bool ok =
            xdo({QStringLiteral("key"), QStringLiteral("ctrl+alt+") + QLatin1String(key)});
        m_sinceRelease.start();
        return ok;
    };

    QVERIFY(press("p"));
    QTRY_COMPARE(m_pushes.size(), 1);
    QCOMPARE(m_pushes[0].first, QStringLiteral("PrintPushButton"));
    QVERIFY2(m_pushes[0].second >= 400, qPrintable(QString::number(m_pushes[0].second)));

    QVERIFY(press("t"));
    QTRY_COMPARE(m_pushes.size(), 2);
    QCOMPARE(m_pushes[1].first, QStringLiteral("PrintWithStampPushButton"));
    QVERIFY2(m_pushes[1].second < 300, qPrintable(QString::number(m_pushes[1].second)));
    QVERIFY(press("n"));
    QTRY_COMPARE(m_pushes.size(), 3);
    QCOMPARE(m_pushes[2].first, QStringLiteral("PrintWithNotePushButton"));

    QVERIFY(xdo({QStringLiteral("mousemove"), QStringLiteral("500"), QStringLiteral("600")}));
    QVERIFY(press("m"));
    QTRY_VERIFY(ContextualMenuWindow::existing() && ContextualMenuWindow::existing()->isVisible());
    // Qt learns where the window manager put it once the window is mapped.
    QTRY_COMPARE(ContextualMenuWindow::existing()->pos(), QPoint(500, 600));
    QVERIFY(press("m"));
    QTRY_VERIFY(!ContextualMenuWindow::existing()->isVisible());

    if (!lock.isEmpty())
        QVERIFY(xdo({QStringLiteral("key"), lock}));
    // The first three files are written at start-up; the note's only by a confirmation.
    QCOMPARE(resources::readAll(QLatin1String(resources::files::StampHotkey)).value_or(QString()),
             QStringLiteral("T"));
}

void tst_Shortcuts::noFilesNoGrabs()
{
    hotkeys::registerAtStartUp();
    QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("ctrl+alt+p")}));
    QTest::qWait(800);
    QVERIFY(m_pushes.isEmpty());
    QVERIFY(m_host->messages.isEmpty());
    QVERIFY(resources::exists(QLatin1String(resources::files::PrintingHotkey)));
    QVERIFY(!resources::exists(QLatin1String(resources::files::NoteHotkey)));
}

void tst_Shortcuts::anotherProgramHoldsOne()
{
    OtherClient other('p');
    writeLetters({QStringLiteral("p"), QString(), QStringLiteral("t"), QString()});
    hotkeys::registerAtStartUp();
    QCOMPARE(m_host->messages.size(), 1);
    QVERIFY2(m_host->messageDetails.value(0).contains(QLatin1String("Ctrl-Alt-p")),
             qPrintable(m_host->messageDetails.value(0)));
    m_sinceRelease.start();
    QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("ctrl+alt+t")}));
    QTRY_COMPARE(m_pushes.size(), 1);
    QCOMPARE(m_pushes[0].first, QStringLiteral("PrintWithStampPushButton"));
}

void tst_Shortcuts::confirmations_data()
{
    QTest::addColumn<QString>("remembered"); // the letter in force when the field was clicked
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("file");
    // Letters in force: printing p, stamp b, note s, command window none.
    QTest::newRow("upper-case B clashes with b")
        << "p"
        << "B"
        << "This keyboard shortcut is already being used by Quillo."
        << "p"
        << "p"
        << "p";
    QTest::newRow("new letter") << "p"
                                << "K"
                                << "Your keyboard shortcut for printing a selection is Ctrl-Alt-K"
                                << "K"
                                << "K"
                                << "K";
    QTest::newRow("same letter again")
        << "p"
        << "p"
        << "Your keyboard shortcut for printing a selection is Ctrl-Alt-p"
        << "p"
        << "p"
        << "p";
    QTest::newRow("clash, field not clicked")
        << ""
        << "s"
        << "This keyboard shortcut is already being used by Quillo."
        << ""
        << "p"
        << "p";
    QTest::newRow("deleted") << "p"
                             << ""
                             << "You have deleted your keyboard shortcut for printing."
                             << ""
                             << ""
                             << "";
}

void tst_Shortcuts::confirmations()
{
    QFETCH(QString, remembered);
    QFETCH(QString, typed);
    QFETCH(QString, message);
    QFETCH(QString, field);
    QFETCH(QString, letter);
    QFETCH(QString, file);
    writeLetters({QStringLiteral("p"), QString(), QStringLiteral("b"), QStringLiteral("s")});
    KeyboardShortcutWindow *editor = KeyboardShortcutWindow::instance();
    QCOMPARE(Module1::PNS, QStringLiteral("s"));
    editor->OldPKS = remembered;
    editor->PrintKeyboardShortcutEditField->setText(typed);
    editor->PrintShortcutOKPushButton->click();
    QCOMPARE(m_host->messages.value(0), message);
    QCOMPARE(editor->PrintKeyboardShortcutEditField->text(), field);
    QCOMPARE(Module1::PKS, letter);
    QCOMPARE(resources::readAll(QLatin1String(resources::files::PrintingHotkey))
                 .value_or(QStringLiteral("(none)")),
             file);
    QCOMPARE(Module1::PKSValue, letter.isEmpty() ? 0 : hotkeys::keyCodeForLetter(letter));
}

void tst_Shortcuts::fieldsTakeOneLetter()
{
    KeyboardShortcutWindow *editor = KeyboardShortcutWindow::instance();
    editor->showWindow();
    QVERIFY(QTest::qWaitForWindowActive(editor));
    QLineEdit *field = editor->CMKeyBoardShortcutEditField;
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("1 %-"));
    QCOMPARE(field->text(), QString());
    QTest::keyClicks(field, QStringLiteral("Qx"));
    QCOMPARE(field->text(), QStringLiteral("Q"));
    QCOMPARE(editor->size(), KeyboardShortcutWindow::Size);
    QCOMPARE(editor->windowTitle(), QStringLiteral("Set System-Wide Keyboard Shortcuts"));
}

QTEST_MAIN(tst_Shortcuts)
#include "tst_shortcuts_desktop.moc"
