// Where the menus live: a tray icon when the desktop has a system tray (trayer provides one
// here), otherwise the compact menu-bar window.
#include "core/menu.h"
#include "core/menubarwindow.h"
#include "core/menuhost.h"
#include "core/module1.h"
#include "support/testhost.h"

#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTest>

class tst_MenuHost final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void windowWithoutTray();
    void trayWhenThereIsOne();
};

void tst_MenuHost::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    installRecordingHost();
    QVERIFY2(!QSystemTrayIcon::isSystemTrayAvailable(),
             "the harness's desktop has no tray of its own");
}

void tst_MenuHost::windowWithoutTray()
{
    Module1::reset();
    Menu menu;
    MenuHost host(menu);
    QVERIFY(!host.usesTray());
    QVERIFY(QTest::qWaitForWindowExposed(host.window()));
    QCOMPARE(host.window()->windowTitle(), QStringLiteral("Quillo"));
    QStringList titles;
    for (QAction *a : host.window()->menuBar()->actions())
        titles << a->text();
    QCOMPARE(titles, (QStringList{"Quillo", "File", "Edit", "Projects", "Help"}));
    host.window()->hide();
    host.bringToFront();
    QVERIFY(QTest::qWaitForWindowExposed(host.window()));
}

void tst_MenuHost::trayWhenThereIsOne()
{
    QProcess trayer;
    trayer.start(QStringLiteral("trayer"),
                 {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                  QStringLiteral("right"), QStringLiteral("--width"), QStringLiteral("10")});
    QVERIFY(trayer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);

    Module1::reset();
    Menu menu;
    {
        MenuHost host(menu);
        QVERIFY(host.usesTray());
        QVERIFY(host.tray()->isVisible());
        QVERIFY(!host.window()->isVisible());
        // Every menu of the window is in the tray's menu, the same actions.
        QCOMPARE(host.tray()->contextMenu()->actions(), host.window()->menuBar()->actions());
    }
    trayer.terminate();
    QVERIFY(trayer.waitForFinished(5000));
}

QTEST_MAIN(tst_MenuHost)
#include "tst_menuhost_desktop.moc"
