// The floating command window under the real X server: its rows, where the hot key puts it, and
// the dispatch of every row half a second after the choice, with the engine window's command
// buttons recording their pushes instead of running the commands.
#include "commandmenu/commandwindow.h"
#include "commandmenu/helpwindow.h"
#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "infowindows/tipswindow.h"
#include "platform/recordinghost.h"
#include "preferences/preferenceswindow.h"
#include "printboards/boards.h"
#include "printboards/slots.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using namespace desktoptools;

namespace {

struct Push
{
    QString button;
    qint64 afterMs = 0;       // since the choice
    bool windowShown = false; // the command window was on screen at the push
};

} // namespace

class tst_CommandWindow final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void rowsAsListed();
    void placement_data();
    void placement();
    void hotKeyFormNearTheCorner();
    void dispatch_data();
    void dispatch();
    void tipRows();
    void ctrlWhileChoosing();
    void realMenuRowStartsTheTimer();
    void switchRebuildsOnlyAShownWindow_data();
    void switchRebuildsOnlyAShownWindow();

private:
    void record(QPushButton *button);
    ContextualMenuWindow *showWindow();

    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
    Menu *m_menu = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
    QList<Push> m_pushes;
    QElapsedTimer m_sinceChoice;
};

void tst_CommandWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_CommandWindow::init()
{
    Module1::reset();
    m_host->clear();
    m_pushes.clear();
    m_folder = std::make_unique<QTemporaryDir>();
    resources::setFolder(m_folder->path());
    QFile::copy(QStringLiteral(QUILLO_SOURCE_RESOURCES "/ContextualMenuHelpFile"),
                m_folder->filePath(QStringLiteral("ContextualMenuHelpFile")));
    m_menu = new Menu;
    m_w = new Window1;
    commandmenu::install(*m_w, *m_menu);
    printboards::setName(*m_menu, 2, QStringLiteral("\"Q&A\" of the 2026 tax return!!"));
    for (QPushButton *button :
         {m_w->PrintPushButton, m_w->PrintWithStampPushButton, m_w->PrintWithNotePushButton,
          m_w->AddToPrintJobPushButton1, m_w->AddToPrintJobPushButton2, m_w->AddNoteToJobPushButton,
          m_w->PrintPrintJjobPushButton, m_w->ClearPrintJobPushButton, m_w->PageSetUpPushButton})
        record(button);
}

void tst_CommandWindow::cleanup()
{
    ContextualMenuWindow::closeIfOpen();
    ContextualMenuHelpWindow *help = ContextualMenuHelpWindow::existing();
    if (help)
        help->close();
    PreferencesWindow::closeIfOpen();
    TipsWindow::closeIfOpen();
    m_menu->menu(QStringLiteral("Projects"))->close();
    QTest::qWait(50);
    delete m_w;
    delete m_menu;
}

void tst_CommandWindow::record(QPushButton *button)
{
    QObject::disconnect(button, &QPushButton::clicked, nullptr, nullptr);
    QObject::connect(button, &QPushButton::clicked, this, [this, button] {
        ContextualMenuWindow *window = ContextualMenuWindow::existing();
        m_pushes.append(
            {button->objectName(), m_sinceChoice.elapsed(), window && window->isVisible()});
    });
}

ContextualMenuWindow *tst_CommandWindow::showWindow()
{
    commandmenu::toggleCommandWindow(true);
    ContextualMenuWindow *window = ContextualMenuWindow::existing();
    if (window)
        (void)QTest::qWaitForWindowExposed(window);
    return window;
}

void tst_CommandWindow::rowsAsListed()
{
    printboards::switchTo(*m_menu, 2);
    ContextualMenuWindow *window = showWindow();
    QVERIFY(window);
    QCOMPARE(window->size(), QSize(120, 22));
    QCOMPARE(window->BevelButton1->text(), QStringLiteral("Quillo"));
    QVERIFY(window->BevelButton1->font().bold());
    // Out of the task bar and the window switcher, above everything, never given the keyboard.
    QVERIFY(window->windowFlags().testFlag(Qt::Tool));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    // Also when shown again: the window manager drops the states of a hidden window.
    for (int shown = 1; shown <= 2; ++shown) {
        const Output state =
            run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_WM_STATE")});
        QVERIFY2(state.out.contains("_NET_WM_STATE_SKIP_TASKBAR") &&
                     state.out.contains("_NET_WM_STATE_SKIP_PAGER") &&
                     state.out.contains("_NET_WM_STATE_ABOVE"),
                 qPrintable(QStringLiteral("shown %1 times: %2")
                                .arg(shown)
                                .arg(QString::fromLatin1(state.out))));
        if (shown == 1) {
            commandmenu::toggleCommandWindow(true); // hides it
            QTRY_VERIFY(!window->isVisible());
            QTest::qWait(200);
            QCOMPARE(showWindow(), window);
        }
    }

    const QList<QAction *> rows = window->popup()->actions();
    QCOMPARE(rows.size(), 28);
    const QList<int> separators{0, 2, 6, 12, 16, 18, 19, 22, 25};
    for (int i = 0; i < rows.size(); ++i)
        QVERIFY2(rows[i]->isSeparator() == separators.contains(i), qPrintable(QString::number(i)));
    // The name as typed: quotes kept, "&" not taken as a mnemonic.
    const QString name = QStringLiteral("\"\"Q&A\" of the 2026 tax return!!\"");
    QCOMPARE(rows[7]->iconText(),
             QStringLiteral("Add Selection W/Single Space After it to ") + name);
    QCOMPARE(rows[11]->iconText(), QStringLiteral("Delete Project From ") + name);
    QCOMPARE(rows[21]->text(), QStringLiteral(" project will add Page Setup info to the project if "
                                              "the selection is oversized."));
    QCOMPARE(rows[27]->text(), QStringLiteral("\"cancel\" and then change the Page Setup scaling "
                                              "value and/or mode."));
    // A window made after the start marks no row; the first ever marks row 6, a separator.
    QCOMPARE(window->menuValue(), 6);
}

void tst_CommandWindow::placement_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("expected");
    QTest::newRow("top-right corner") << QPoint(1915, 5) << QPoint(1798, 40);
    QTest::newRow("exactly 120 from the right") << QPoint(1800, 300) << QPoint(1800, 300);
    QTest::newRow("119 from the right") << QPoint(1801, 300) << QPoint(1798, 300);
    QTest::newRow("bottom") << QPoint(300, 1079) << QPoint(300, 1056);
    QTest::newRow("top 40 stays") << QPoint(10, 40) << QPoint(10, 40);
}

void tst_CommandWindow::placement()
{
    QFETCH(QPoint, pointer);
    QFETCH(QPoint, expected);
    QCOMPARE(commandmenu::placement(pointer, QSize(1920, 1080)), expected);
}

void tst_CommandWindow::hotKeyFormNearTheCorner()
{
    QVERIFY(xdo({QStringLiteral("mousemove"), QStringLiteral("1915"), QStringLiteral("5")}));
    QTest::qWait(100);
    commandmenu::toggleCommandWindow(false);
    ContextualMenuWindow *window = ContextualMenuWindow::existing();
    QVERIFY(window);
    QTRY_VERIFY(window->isVisible());
    QTRY_COMPARE(window->frameGeometry().topLeft(), QPoint(1920 - 122, 40));
    QVERIFY(Module1::CMWindowVisibility);
    QVERIFY(!window->isActiveWindow());
    m_menu->updateEnabled();
    QVERIFY(m_menu->item(QStringLiteral("AppleHideContextualMenu"))->isEnabled());
    QVERIFY(!m_menu->item(QStringLiteral("AppleDisplayContextualMenu"))->isEnabled());
    commandmenu::toggleCommandWindow(false);
    QTRY_VERIFY(!window->isVisible());
    QVERIFY(!Module1::CMWindowVisibility);
}

void tst_CommandWindow::dispatch_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("shownAtPush"); // with the window kept displayed
    QTest::addColumn<bool>("kept");
    for (bool kept : {false, true}) {
        const char *k = kept ? "kept" : "closed after";
        // A selection starts with the window out of its picture.
        QTest::addRow("3 print, %s", k) << 3 << "PrintPushButton" << false << kept;
        QTest::addRow("4 stamp, %s", k) << 4 << "PrintWithStampPushButton" << false << kept;
        QTest::addRow("7 add single, %s", k) << 7 << "AddToPrintJobPushButton1" << false << kept;
        QTest::addRow("9 board note, %s", k) << 9 << "AddNoteToJobPushButton" << true << kept;
        QTest::addRow("10 view/print, %s", k) << 10 << "PrintPrintJjobPushButton" << true << kept;
        QTest::addRow("11 delete, %s", k) << 11 << "ClearPrintJobPushButton" << true << kept;
        QTest::addRow("13 page setup, %s", k) << 13 << "PageSetUpPushButton" << true << kept;
    }
    QTest::newRow("5 note") << 5 << "PrintWithNotePushButton" << false << false;
    QTest::newRow("8 add double") << 8 << "AddToPrintJobPushButton2" << false << false;
    QTest::newRow("15 preferences") << 15 << "PreferencesWindow" << false << false;
    QTest::newRow("17 tips") << 17 << "TipsWindow" << false << false;
    QTest::newRow("14 projects menu") << 14 << "Projects" << false << false;
}

void tst_CommandWindow::dispatch()
{
    QFETCH(int, row);
    QFETCH(QString, button);
    QFETCH(bool, shownAtPush);
    QFETCH(bool, kept);
    Module1::KeepContextualMenuDisplayedP = kept;
    ContextualMenuWindow *window = showWindow();
    QVERIFY(window);
    const QPoint where = window->pos();
    m_sinceChoice.start();
    window->choose(row);
    QVERIFY(m_w->ContextualMenuTimer->isActive());
    QTest::qWait(300);
    QVERIFY2(m_pushes.isEmpty(), "pushed before the timer ran");

    if (button == QLatin1String("PreferencesWindow")) {
        QTRY_VERIFY(PreferencesWindow::existing() && PreferencesWindow::existing()->isVisible());
    } else if (button == QLatin1String("TipsWindow")) {
        QTRY_VERIFY(TipsWindow::existing() && TipsWindow::existing()->isVisible());
    } else if (button == QLatin1String("Projects")) {
        QTRY_VERIFY(m_menu->menu(QStringLiteral("Projects"))->isVisible());
    } else {
        QTRY_COMPARE(m_pushes.size(), 1);
        const Push push = m_pushes.first();
        QCOMPARE(push.button, button);
        QVERIFY2(push.afterMs >= 450, qPrintable(QString::number(push.afterMs)));
        if (kept)
            QCOMPARE(push.windowShown, shownAtPush);
    }
    QCOMPARE(Module1::MenuValueForContextMenu, kept ? row : -1);
    if (kept) {
        QTRY_VERIFY(ContextualMenuWindow::existing() &&
                    ContextualMenuWindow::existing()->isVisible());
        QCOMPARE(ContextualMenuWindow::existing()->pos(), where);
        QCOMPARE(ContextualMenuWindow::existing()->menuValue(), row);
    } else {
        QTRY_VERIFY(!ContextualMenuWindow::existing());
        QVERIFY(!Module1::CMWindowVisibility);
    }
}

void tst_CommandWindow::tipRows()
{
    Module1::KeepContextualMenuDisplayedP = true;
    ContextualMenuWindow *window = showWindow();
    m_sinceChoice.start();
    window->choose(10);
    QTRY_COMPARE(m_pushes.size(), 1);
    // A tip row re-marks the last command row and does nothing else.
    window->choose(23);
    QTest::qWait(700);
    QCOMPARE(m_pushes.size(), 1);
    QCOMPARE(window->menuValue(), 10);

    // Right after help, a tip row shows the help again.
    window->choose(1);
    QVERIFY(ContextualMenuHelpWindow::existing());
    ContextualMenuHelpWindow::existing()->close();
    QTRY_VERIFY(!ContextualMenuHelpWindow::existing());
    window->choose(20);
    QVERIFY(ContextualMenuHelpWindow::existing());
    QTest::qWait(700);
    QCOMPARE(window->menuValue(), 1);
    QCOMPARE(m_pushes.size(), 1);

    // Help without its file: the beep and the message.
    QFile::remove(resources::filePath(QStringLiteral("ContextualMenuHelpFile")));
    ContextualMenuHelpWindow::existing()->close();
    window->choose(1);
    QCOMPARE(m_host->events, QStringList({QStringLiteral("beep"),
                                          QStringLiteral("message:The requested Help file can't "
                                                         "be found.")}));
}

void tst_CommandWindow::ctrlWhileChoosing()
{
    ContextualMenuWindow *window = showWindow();
    QVERIFY(xdo({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
    QTest::qWait(100);
    m_sinceChoice.start();
    window->choose(7);
    QVERIFY(xdo({QStringLiteral("keyup"), QStringLiteral("ctrl")}));
    QVERIFY(Module1::ASGValuesOverRide);
    QTRY_COMPARE(m_pushes.size(), 1);
    QCOMPARE(m_pushes.first().button, QStringLiteral("AddToPrintJobPushButton1"));
}

void tst_CommandWindow::realMenuRowStartsTheTimer()
{
    ContextualMenuWindow *window = showWindow();
    m_sinceChoice.start();
    window->popup()->actions().at(13)->trigger();
    QCOMPARE(window->menuValue(), 13);
    QTRY_COMPARE(m_pushes.size(), 1);
    QCOMPARE(m_pushes.first().button, QStringLiteral("PageSetUpPushButton"));
}

void tst_CommandWindow::switchRebuildsOnlyAShownWindow_data()
{
    QTest::addColumn<bool>("shown");
    QTest::newRow("shown") << true;
    QTest::newRow("hidden") << false;
}

void tst_CommandWindow::switchRebuildsOnlyAShownWindow()
{
    QFETCH(bool, shown);
    ContextualMenuWindow *window = showWindow();
    const QPoint where = window->pos();
    if (!shown)
        commandmenu::toggleCommandWindow(false);
    printboards::switchTo(*m_menu, 3);
    ContextualMenuWindow *rebuilt = ContextualMenuWindow::existing();
    QCOMPARE(rebuilt != nullptr, shown);
    if (shown) {
        QVERIFY(rebuilt->isVisible());
        QCOMPARE(rebuilt->pos(), where);
        QVERIFY(
            rebuilt->popup()->actions().at(9)->text().endsWith(QStringLiteral("\"PrintBoard 3\"")));
    }
    QCOMPARE(Module1::CMWindowVisibility, shown);
}

QTEST_MAIN(tst_CommandWindow)
#include "tst_commandwindow_desktop.moc"
