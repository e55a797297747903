// The command line against a running Quillo, as a desktop shortcut would use it: each command
// reaches the running program (or starts one), and quit ends it through the normal shutdown.
#include "support/desktoptools.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace desktoptools;

namespace {

bool fullScreenShown(qint64 pid)
{
    return visibleWindows(pid).contains(QStringLiteral("1920x1080+0+0"));
}

} // namespace

class tst_CommandLineDesktop final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void commandsReachTheRunningInstance();
    void commandStartsAnInstance();

private:
    QProcessEnvironment environment();
    int quillo(const QStringList &arguments);

    QTemporaryDir m_home, m_runtime;
};

void tst_CommandLineDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    QFile::setPermissions(m_runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // No licence to accept: these starts are not a first run.
    QDir().mkpath(m_home.path() + QStringLiteral("/quillo/Quillo Resources"));
}

QProcessEnvironment tst_CommandLineDesktop::environment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
    return env;
}

int tst_CommandLineDesktop::quillo(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(QStringLiteral(QUILLO_EXECUTABLE), arguments);
    if (!process.waitForFinished(10000))
        return -1;
    return process.exitCode();
}

void tst_CommandLineDesktop::commandsReachTheRunningInstance()
{
    QProcess running;
    running.setProcessEnvironment(environment());
    running.start(QStringLiteral(QUILLO_EXECUTABLE), {});
    QVERIFY(running.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(m_runtime.path() + QStringLiteral("/quillo.socket")),
                             10000);
    QTest::qWait(300);

    QCOMPARE(quillo({QStringLiteral("print")}), 0);
    QTRY_VERIFY_WITH_TIMEOUT(fullScreenShown(running.processId()), 5000);
    QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("Escape")}));
    QTRY_VERIFY_WITH_TIMEOUT(!fullScreenShown(running.processId()), 5000);

    QVERIFY(xdo({QStringLiteral("mousemove"), QStringLiteral("700"), QStringLiteral("500")}));
    QCOMPARE(quillo({QStringLiteral("toggle-menu")}), 0);
    QTRY_VERIFY2_WITH_TIMEOUT(
        visibleWindows(running.processId()).contains(QStringLiteral("120x22+700+500")),
        qPrintable(visibleWindows(running.processId()).join(QLatin1Char(' '))), 5000);

    QCOMPARE(quillo({QStringLiteral("quit")}), 0);
    QVERIFY(running.waitForFinished(10000));
    QCOMPARE(running.exitCode(), 0);
    // The normal shutdown ran: the boards are on disk.
    QVERIFY(QFile::exists(m_home.path() +
                          QStringLiteral("/quillo/Quillo Resources/ProjectsPrintBoard1")));
    QCOMPARE(quillo({QStringLiteral("quit")}), 0); // nothing running: nothing to do
}

void tst_CommandLineDesktop::commandStartsAnInstance()
{
    QProcess started;
    started.setProcessEnvironment(environment());
    started.start(QStringLiteral(QUILLO_EXECUTABLE), {QStringLiteral("print")});
    QVERIFY(started.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(fullScreenShown(started.processId()), 10000);
    QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("Escape")}));
    QCOMPARE(quillo({QStringLiteral("quit")}), 0);
    QVERIFY(started.waitForFinished(10000));
    QCOMPARE(started.exitCode(), 0);

    // A window opened in the first second stays open through the start-up's own closing of its
    // hidden windows.
    started.start(QStringLiteral(QUILLO_EXECUTABLE), {QStringLiteral("preferences")});
    QVERIFY(started.waitForStarted());
    const auto preferencesShown = [&started] {
        return visibleWindows(started.processId()).filter(QStringLiteral("282x240")).size() == 1;
    };
    QTRY_VERIFY_WITH_TIMEOUT(preferencesShown(), 10000);
    QTest::qWait(2000);
    QVERIFY2(preferencesShown(), qPrintable(visibleWindows(started.processId()).join(' ')));
    QCOMPARE(quillo({QStringLiteral("quit")}), 0);
    QVERIFY(started.waitForFinished(10000));
}

QTEST_MAIN(tst_CommandLineDesktop)
#include "tst_commandline_desktop.moc"
