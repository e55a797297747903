#include "core/module1.h"
#include "core/resources.h"
#include "platform/styleddocument.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace resources;

namespace {

void putFile(const QString &name, const QByteArray &bytes)
{
    QFile f(filePath(name));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray fileBytes(const QString &name)
{
    QFile f(filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_Resources final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();

    void flagRead_data();
    void flagRead();
    void flagWriteEveryFile();
    void bareText();
    void firstLineIsBounded();
    void hiddenList();
    void documents();
    void damagedDocumentIsKeptAside();
    void location_data();
    void location();

private:
    QTemporaryDir m_dir;
};

void tst_Resources::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void tst_Resources::init()
{
    QDir(m_dir.path()).removeRecursively();
    QVERIFY(QDir().mkpath(m_dir.path()));
    setFolder(m_dir.path());
    Module1::reset();
}

void tst_Resources::flagRead_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("expected"); // -1 missing, 0 off, 1 on

    QTest::newRow("missing") << "Quillo SoundA Preferences" << QByteArray() << -1;
    QTest::newRow("sound: its own spelling")
        << "Quillo SoundA Preferences" << QByteArray("DsplaySoundAlertTrue\n") << 1;
    QTest::newRow("sound: spelled Display")
        << "Quillo SoundA Preferences" << QByteArray("DisplaySoundAlertTrue\n") << 0;
    QTest::newRow("lower-case on keyword")
        << "Quillo SoundA Preferences" << QByteArray("dsplaysoundalerttrue") << 1;
    QTest::newRow("colour: lower-case d")
        << "Quillo DispA Preferences" << QByteArray("displayColorAlertTrue\r\n") << 1;
    QTest::newRow("more lines after the keyword")
        << "Quillo CMV Preferences" << QByteArray("KeepContMenuDisplayedTrue\nsomething\nelse\n")
        << 1;
    QTest::newRow("old Mac line end")
        << "PreferencesAScaleG" << QByteArray("DsplayScalingGuideTrue\rx") << 1;
    QTest::newRow("the off keyword")
        << "PageSetup Preferences" << QByteArray("DsplayPageSetupFalse\n") << 0;
    QTest::newRow("empty") << "PreferencesSetASGtoLandscape" << QByteArray("") << 0;
    QTest::newRow("keyword with a trailing blank")
        << "PreferencesSetASGtoLandscape" << QByteArray("SetASGtoLandscapeTrue \n") << 0;
}

void tst_Resources::flagRead()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(int, expected);
    if (expected != -1)
        putFile(file, content);
    const FlagFile *flag = flagFile(file.toLatin1().constData());
    QVERIFY(flag);
    const std::optional<bool> on = readFlag(*flag);
    QCOMPARE(on.has_value(), expected != -1);
    if (on)
        QCOMPARE(*on, expected == 1);
}

void tst_Resources::flagWriteEveryFile()
{
    const QStringList names{"Quillo CMV Preferences",    "Quillo DispA Preferences",
                            "Quillo SoundA Preferences", "PreferencesAScaleG",
                            "PageSetup Preferences",     "PreferencesSetASGtoLandscape"};
    for (int i = 0; i < FlagFileCount; ++i) {
        const FlagFile &flag = flagFiles()[i];
        QCOMPARE(QLatin1String(flag.name), names[i]);
        QVERIFY(writeFlag(flag, true));
        QCOMPARE(fileBytes(names[i]), QByteArray(flag.on) + '\n');
        QCOMPARE(readFlag(flag), std::optional<bool>(true));
        QVERIFY(writeFlag(flag, false));
        QCOMPARE(fileBytes(names[i]), QByteArray(flag.off) + '\n');
        QCOMPARE(readFlag(flag), std::optional<bool>(false));
    }
    QCOMPARE(QByteArray(flagFile("Quillo SoundA Preferences")->off),
             QByteArray("DisplaySoundAlertFalse"));
    QCOMPARE(flagFile("Quillo SoundA Preferences")->variable, &Module1::DisplaySoundAlertP);
    // Writing leaves no temporary files behind.
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), FlagFileCount);
}

void tst_Resources::bareText()
{
    QVERIFY(
        writeText(QLatin1String(files::ActivePrintBoard), QStringLiteral("ProjectsPrintBoard3")));
    QCOMPARE(fileBytes(QLatin1String(files::ActivePrintBoard)), QByteArray("ProjectsPrintBoard3"));
    QVERIFY(writeText(QLatin1String(files::PrintingHotkey), QStringLiteral("B")));
    QCOMPARE(readAll(QLatin1String(files::PrintingHotkey)), std::optional<QString>(u"B"_qs));
    QVERIFY(writeText(files::projectName(2), QStringLiteral("Tax receipts 2026 – Ärzte")));
    QCOMPARE(fileBytes(files::projectName(2)),
             QStringLiteral("Tax receipts 2026 – Ärzte").toUtf8());
    QCOMPARE(readFirstLine(files::projectName(2)),
             std::optional<QString>(u"Tax receipts 2026 – Ärzte"_qs));
    QVERIFY(writeText(QLatin1String(files::NoteHotkey), QString()));
    QCOMPARE(fileBytes(QLatin1String(files::NoteHotkey)), QByteArray());
    QCOMPARE(files::printBoard(5), QStringLiteral("ProjectsPrintBoard5"));

    // A folder that cannot be written: the write fails and says so.
    setFolder(m_dir.filePath(QStringLiteral("no/such/folder")));
    QString error;
    QVERIFY(!writeText(QLatin1String(files::ActivePrintBoard), QStringLiteral("x"), &error));
    QVERIFY2(error.contains(QLatin1String(files::ActivePrintBoard)), qPrintable(error));
}

void tst_Resources::firstLineIsBounded()
{
    // Eight megabytes without a line end: only the first few kilobytes are read.
    putFile(files::projectName(1), QByteArray(8 << 20, 'x'));
    const std::optional<QString> line = readFirstLine(files::projectName(1));
    QVERIFY(line);
    QCOMPARE(line->size(), qsizetype(MaxLineBytes));
    putFile(QLatin1String(flagFiles()[0].name),
            QByteArray(flagFiles()[0].on) + QByteArray(8 << 20, 'x'));
    QCOMPARE(readFlag(flagFiles()[0]), std::optional<bool>(false));
}

void tst_Resources::hiddenList()
{
    QVERIFY(markHidden(QStringLiteral("ProjectsPrintBoard1")));
    QVERIFY(markHidden(QStringLiteral("ProjectsPrintBoard2")));
    QVERIFY(markHidden(QStringLiteral("ProjectsPrintBoard1")));
    QCOMPARE(fileBytes(QStringLiteral(".hidden")),
             QByteArray("ProjectsPrintBoard1\nProjectsPrintBoard2\n"));
    QVERIFY(isHidden(QStringLiteral("ProjectsPrintBoard2")));
    QVERIFY(!isHidden(QStringLiteral("ProjectsPrintBoard3")));
}

void tst_Resources::documents()
{
    StyledDocument doc;
    doc.setText(QStringLiteral("first\rsecond"));
    QVERIFY(saveDocument(doc, files::printBoard(1)));
    QVERIFY(isHidden(files::printBoard(1)));

    StyledDocument loaded;
    loaded.setReadOnly(true); // the load clears the flag around itself and puts it back
    const LoadOutcome outcome = loadDocument(loaded, files::printBoard(1));
    QVERIFY2(outcome.loaded, qPrintable(outcome.problem));
    QVERIFY(loaded.isReadOnly());
    QCOMPARE(loaded.text(), doc.text());

    // A missing file is no error and leaves the document alone; an empty board saves and loads.
    const LoadOutcome missing = loadDocument(loaded, files::printBoard(2));
    QVERIFY(!missing.loaded && missing.problem.isEmpty());
    QCOMPARE(loaded.text(), doc.text());
    StyledDocument empty;
    QVERIFY(saveDocument(empty, files::printBoard(3)));
    QVERIFY(loadDocument(loaded, files::printBoard(3)).loaded);
    QCOMPARE(loaded.textLength(), 0);
}

void tst_Resources::damagedDocumentIsKeptAside()
{
    putFile(files::printBoard(4), QByteArray("\x89QUILLO\n truncated"));
    StyledDocument doc;
    doc.setText(QStringLiteral("before"));
    const LoadOutcome outcome = loadDocument(doc, files::printBoard(4));
    QVERIFY(!outcome.loaded);
    QVERIFY(!outcome.problem.isEmpty());
    QVERIFY2(outcome.keptAs.startsWith(QStringLiteral("ProjectsPrintBoard4.unreadable-")),
             qPrintable(outcome.keptAs));
    QVERIFY(!exists(files::printBoard(4))); // a later save cannot overwrite what was there
    QCOMPARE(fileBytes(outcome.keptAs), QByteArray("\x89QUILLO\n truncated"));
    QCOMPARE(doc.text(), QStringLiteral("before"));
}

void tst_Resources::location_data()
{
    QTest::addColumn<bool>("portable");
    QTest::newRow("beside the program") << true;
    QTest::newRow("in the data home, seeded") << false;
}

void tst_Resources::location()
{
    QFETCH(bool, portable);
    const QString program = m_dir.filePath(QStringLiteral("bin"));
    const QString shipped = m_dir.filePath(QStringLiteral("share/quillo"));
    const QString home = m_dir.filePath(QStringLiteral("home/.local/share"));
    QVERIFY(QDir().mkpath(program));
    QVERIFY(QDir().mkpath(shipped));
    QFile license(shipped + QStringLiteral("/Software License"));
    QVERIFY(license.open(QIODevice::WriteOnly));
    license.write("the licence");
    license.close();
    if (portable)
        QVERIFY(QDir().mkpath(program + QStringLiteral("/Quillo Resources")));

    const Location found =
        locate(program, home, {m_dir.filePath(QStringLiteral("nothing")), shipped});
    QVERIFY2(found.ok, qPrintable(found.problem));
    if (portable) {
        QCOMPARE(found.path, program + QStringLiteral("/Quillo Resources"));
        QVERIFY(!QFileInfo::exists(found.path + QStringLiteral("/Software License")));
    } else {
        QCOMPARE(found.path, home + QStringLiteral("/quillo/Quillo Resources"));
        QFile seeded(found.path + QStringLiteral("/Software License"));
        QVERIFY(seeded.open(QIODevice::ReadOnly));
        QCOMPARE(seeded.readAll(), QByteArray("the licence"));
        // Seeding happens when the folder is made, not at every start: a used-up text stays gone.
        QVERIFY(QFile::remove(seeded.fileName()));
        QVERIFY(locate(program, home, {shipped}).ok);
        QVERIFY(!QFileInfo::exists(seeded.fileName()));
    }

    // A folder that cannot be made is reported with its name.
    QFile blocker(m_dir.filePath(QStringLiteral("blocked")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Location blocked =
        locate(m_dir.filePath(QStringLiteral("nowhere")), blocker.fileName(), {});
    QVERIFY(!blocked.ok);
    QVERIFY2(blocked.problem.contains(blocker.fileName()), qPrintable(blocked.problem));
}

QTEST_GUILESS_MAIN(tst_Resources)
#include "tst_resources.moc"
