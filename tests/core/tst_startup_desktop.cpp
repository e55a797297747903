// Start-up and shutdown: the program run as a process and ended by a signal, and the opening
// steps run in this process against a prepared resources folder.
#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/startup.h"
#include "core/window1.h"
#include "platform/recordinghost.h"
#include "platform/styleddocument.h"
#include "printboards/slots.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <csignal>

class tst_Startup final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void signalRunsTheShutdown_data();
    void signalRunsTheShutdown();
    void restoresProjectsAndBoards();
    void secondStartHandsOver();

private:
    RecordingHost *m_host = nullptr;
};

void tst_Startup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_Startup::init()
{
    Module1::reset();
    m_host->clear();
}

void tst_Startup::signalRunsTheShutdown_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void tst_Startup::signalRunsTheShutdown()
{
    QFETCH(int, signal);
    QTemporaryDir home, runtime;
    const QString folder = home.path() + QStringLiteral("/quillo/Quillo Resources");
    QProcess quillo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path()); // its own single-instance socket
    quillo.setProcessEnvironment(env);
    quillo.start(QStringLiteral(QUILLO_EXECUTABLE), {});
    QVERIFY(quillo.waitForStarted());
    // Up once its folder exists and its window is mapped.
    QTRY_VERIFY_WITH_TIMEOUT(QDir(folder).exists(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(!desktoptools::run(QStringLiteral("xdotool"),
                                                {QStringLiteral("search"), QStringLiteral("--pid"),
                                                 QString::number(quillo.processId())})
                                  .out.isEmpty(),
                             10000);

    ::kill(pid_t(quillo.processId()), signal);
    QVERIFY(quillo.waitForFinished(10000));
    QCOMPARE(quillo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillo.exitCode(), 0);

    resources::setFolder(folder);
    for (int slot = 1; slot <= printboards::SlotCount; ++slot) {
        QVERIFY2(resources::exists(printboards::key(slot)), qPrintable(printboards::key(slot)));
        QVERIFY(resources::isHidden(printboards::key(slot)));
    }
    QVERIFY(resources::exists(QLatin1String(resources::files::PrintingHotkey)));
    QCOMPARE(resources::readAll(QLatin1String(resources::files::ActivePrintBoard)),
             std::optional<QString>(QString()));
}

void tst_Startup::restoresProjectsAndBoards()
{
    QTemporaryDir dir;
    resources::setFolder(dir.path());
    QVERIFY(resources::writeText(QLatin1String(resources::files::ActivePrintBoard),
                                 QStringLiteral("projectsprintboard3")));
    QVERIFY(
        resources::writeText(resources::files::projectName(3), QStringLiteral("Receipts 2026")));
    QVERIFY(
        resources::writeText(QLatin1String(resources::files::PrintingHotkey), QStringLiteral("B")));
    QVERIFY(resources::writeText(QStringLiteral("PreferencesAScaleG"),
                                 QStringLiteral("dsplayscalingguidetrue\n")));
    {
        StyledDocument board;
        board.setText(QStringLiteral("kept from last time"));
        QVERIFY(resources::saveDocument(board, printboards::key(2)));
    }
    QVERIFY(resources::writeText(printboards::key(4), QStringLiteral("not a board at all")));
    QVERIFY(resources::writeText(printboards::key(5), QString())); // an empty file: an empty board

    Menu menu;
    startup::openApplication(menu);
    Window1 w;
    startup::openEngine(w, menu);

    QVERIFY(menu.item(QStringLiteral("ProjectsPrintBoard3"))->isChecked());
    QCOMPARE(printboards::checkedSlot(menu), 3);
    QCOMPARE(Module1::PrintBoardName, QStringLiteral("Receipts 2026"));
    QCOMPARE(menu.item(QStringLiteral("NameProject"))->text(),
             QStringLiteral("Name/Rename Project \"Receipts 2026\""));
    QCOMPARE(menu.item(QStringLiteral("ViewPrintProject"))->text(),
             QStringLiteral("View/Print Project \"Receipts 2026\""));
    QCOMPARE(menu.item(QStringLiteral("DeletePrintBoardContents"))->text(),
             QStringLiteral("Delete the contents of \"Receipts 2026\""));
    QCOMPARE(Module1::PKS, QStringLiteral("B"));
    QVERIFY(Module1::AutoScalingGuideP);
    QVERIFY(!Module1::DisplaySoundAlertP);
    QVERIFY(w.IntializePKSTimer->isActive());

    QCOMPARE(w.PrintBoard2WasteField->text(), QStringLiteral("kept from last time"));
    QCOMPARE(w.PrintBoard4WASTEfield->textLength(), 0);
    QCOMPARE(m_host->messages.size(), 1); // one message for all unreadable boards
    QVERIFY2(m_host->messageDetails.first().contains(QStringLiteral("ProjectsPrintBoard4")),
             qPrintable(m_host->messageDetails.first()));
    QVERIFY(!resources::exists(printboards::key(4)));
    QVERIFY(!m_host->messageDetails.first().contains(QStringLiteral("ProjectsPrintBoard5")));
    QVERIFY(resources::exists(printboards::key(5)));

    // Switching to a project writes nothing; the shutdown stores it, without a line end.
    Module1::ActivePrintBoard = printboards::key(5);
    startup::shutdown(w);
    QFile active(resources::filePath(QLatin1String(resources::files::ActivePrintBoard)));
    QVERIFY(active.open(QIODevice::ReadOnly));
    QCOMPARE(active.readAll(), QByteArray("ProjectsPrintBoard5"));
    QCOMPARE(
        QDir(dir.path()).entryList({QStringLiteral("ProjectsPrintBoard4.unreadable-*")}).size(), 1);
    for (int slot = 1; slot <= printboards::SlotCount; ++slot)
        QVERIFY(resources::isHidden(printboards::key(slot)));
}

void tst_Startup::secondStartHandsOver()
{
    QTemporaryDir home, runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess first, second;
    first.setProcessEnvironment(env);
    second.setProcessEnvironment(env);
    first.start(QStringLiteral(QUILLO_EXECUTABLE), {});
    QVERIFY(first.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime.path() + QStringLiteral("/quillo.socket")),
                             10000);

    second.start(QStringLiteral(QUILLO_EXECUTABLE), {});
    QVERIFY(second.waitForFinished(10000));
    QCOMPARE(second.exitCode(), 0);
    QVERIFY2(second.readAllStandardError().contains("already running"),
             "the second start says why it ends");
    QCOMPARE(first.state(), QProcess::Running);

    ::kill(pid_t(first.processId()), SIGTERM);
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitCode(), 0);
}

QTEST_MAIN(tst_Startup)
#include "tst_startup_desktop.moc"
