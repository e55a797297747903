// The command line: what it accepts, and that help, version and mistakes end at once with the
// right exit status, before anything of the desktop is touched.
#include "core/commandline.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_CommandLine final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data();
    void parse();
    void process_data();
    void process();
};

void tst_CommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("message");
    using P = commandline::Parsed;
    QTest::newRow("nothing") << QStringList() << int(P::Start) << QByteArray("front");
    for (const QString &command : commandline::commands())
        QTest::addRow("%s", qPrintable(command))
            << QStringList{command} << int(P::Command) << ("command:" + command.toUtf8());
    QTest::newRow("--help") << QStringList{"--help"} << int(P::Help) << QByteArray("front");
    QTest::newRow("--version") << QStringList{"--version"} << int(P::Version)
                               << QByteArray("front");
    QTest::newRow("unknown") << QStringList{"prnt"} << int(P::Error) << QByteArray("front");
    QTest::newRow("upper case") << QStringList{"PRINT"} << int(P::Error) << QByteArray("front");
    QTest::newRow("extra argument")
        << QStringList{"print", "now"} << int(P::Error) << QByteArray("front");
}

void tst_CommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, kind);
    QFETCH(QByteArray, message);
    const commandline::Parsed parsed = commandline::parse(arguments);
    QCOMPARE(int(parsed.kind), kind);
    QCOMPARE(commandline::message(parsed), message);
    QCOMPARE(parsed.message.isEmpty(), kind != int(commandline::Parsed::Error));
}

void tst_CommandLine::process_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");
    QTest::newRow("--version") << QStringList{"--version"} << 0
                               << QByteArray("Quillo " QUILLO_VERSION) << QByteArray();
    QTest::newRow("--help") << QStringList{"--help"} << 0 << QByteArray("  print-stamp ")
                            << QByteArray();
    QTest::newRow("unknown") << QStringList{"prnt"} << 2 << QByteArray()
                             << QByteArray("unknown command \"prnt\"");
    QTest::newRow("extra") << QStringList{"quit", "now"} << 2 << QByteArray()
                           << QByteArray("\"now\" is one too many");
    // With nothing running, a command must start the program, which needs a display: without
    // one it ends with a message, not with Qt's abort.
    QTest::newRow("print without a display")
        << QStringList{"print"} << 1 << QByteArray() << QByteArray("DISPLAY is not set");
    QTest::newRow("quit with nothing running")
        << QStringList{"quit"} << 0 << QByteArray() << QByteArray("Quillo is not running.");
}

void tst_CommandLine::process()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QProcess quillo;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY")); // nothing here may need a display
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QTemporaryDir runtime; // no running Quillo to find
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    quillo.setProcessEnvironment(env);
    quillo.start(QStringLiteral(QUILLO_EXECUTABLE), arguments);
    QVERIFY(quillo.waitForFinished(10000));
    QCOMPARE(quillo.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillo.exitCode(), exitCode);
    const QByteArray stdOut = quillo.readAllStandardOutput();
    const QByteArray stdErr = quillo.readAllStandardError();
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.contains(out), stdOut.constData());
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.contains(err), stdErr.constData());
}

QTEST_GUILESS_MAIN(tst_CommandLine)
#include "tst_commandline.moc"
