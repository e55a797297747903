// A user's first hour with an installed Quillo, driven from outside as a person would drive it:
// the mouse and keys through XTest, windows found by their titles, and every result read from
// outside the program (its files, the PDF that the CUPS queue writes, the clipboard via xclip).
//
// Install to a temporary prefix, start with a fresh home, accept the licence, choose a printing
// shortcut and "always show Page Setup" in Preferences, print a selection through the shortcut,
// collect two selections and a note on a project, rename it, quit, start again and print it.
//
// The steps run in order and each builds on the one before.
#include "support/cupsqueue.h"
#include "support/desktoptools.h"
#include "support/pdftools.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

using namespace desktoptools;

namespace {

const QString Kept = QStringLiteral("kept by the user");
const QString Note = QStringLiteral("Receipts for March");
const QString ProjectName = QStringLiteral("Tax 2026");
// Where the tests put the command window (toggle-menu opens it at the pointer).
constexpr QPoint CommandWindowAt(700, 500);
// A second, smaller selection inside the pattern.
constexpr QPoint SmallFrom(450, 330);
constexpr QPoint SmallTo(550, 430);
const QRect SmallPart(QPoint(50, 30), QSize(100, 100));

QString text(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).trimmed();
}

// The active window's X id and title.
struct Active
{
    QString id;
    QString title;
};

Active activeWindow()
{
    const Output id = run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    if (id.exitCode != 0)
        return {};
    const Output name =
        run(QStringLiteral("xdotool"), {QStringLiteral("getwindowname"), text(id.out)});
    return {text(id.out), text(name.out)};
}

bool key(const QString &keys)
{
    return xdo({QStringLiteral("key"), keys});
}

bool type(const QString &words)
{
    return xdo({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("30"), words});
}

bool click(QPoint at)
{
    return xdo({QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                QStringLiteral("sleep"), QStringLiteral("0.1"), QStringLiteral("click"),
                QStringLiteral("1")});
}

// Counts the pictures of a document file without the program's help: each is a PNG stream.
int picturesIn(const QByteArray &document)
{
    return int(document.count(QByteArray("\x89PNG\r\n\x1a\n", 8)));
}

bool holdsText(const QByteArray &document, const QString &words)
{
    QByteArray utf16;
    for (const QChar c : words)
        utf16.append(char(c.unicode() >> 8)).append(char(c.unicode() & 0xff));
    return document.contains(utf16);
}

} // namespace

class tst_FirstHour final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void install();
    void firstStartAndLicence();
    void preferencesAndPrintingShortcut();
    void printThroughTheShortcut();
    void collectOnAProject();
    void renameTheProject();
    void quitKeepsEverything();
    void startAgainAndPrintTheProject();

private:
    QProcessEnvironment environment() const;
    int quillo(const QStringList &arguments, QByteArray *out = nullptr);
    void start();
    QString resource(const QString &name) const;
    QByteArray readResource(const QString &name) const;
    // Waits until the active window has `title` (and, for "Quillo", is a message box rather than
    // the menu-bar window); its id, or "" on timeout.
    QString waitForActive(const QString &title, int timeoutMs = 10000);
    bool waitForOverlay(bool shown, int timeoutMs = 5000);
    // Opens the command window at CommandWindowAt and its menu, checks that the menu opens right
    // under the window, and chooses the row `downs` steps from the top with the keyboard.
    void chooseCommandRow(int downs);
    // Answers the dialogs of a print: each title in turn, with Return (their default buttons).
    void answer(const QStringList &titles);
    QString newestPdf(const QDateTime &since);

    QTemporaryDir m_root;
    QString m_prefix, m_home;
    std::unique_ptr<QProcess> m_quillo;
    std::unique_ptr<PatternWindow> m_pattern;
    QImage m_image;
};

void tst_FirstHour::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    QVERIFY2(cupsqueue::exists(), "this test needs the harness's CUPS queue \"PDF\"");
    QVERIFY(m_root.isValid());
    m_prefix = m_root.filePath(QStringLiteral("prefix"));
    m_home = m_root.filePath(QStringLiteral("home"));
    QVERIFY(QDir().mkpath(m_home));
    const QString runtime = m_root.filePath(QStringLiteral("runtime"));
    QVERIFY(QDir().mkpath(runtime));
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    m_image = pattern(240, 190);
}

void tst_FirstHour::cleanupTestCase()
{
    if (m_quillo && m_quillo->state() != QProcess::NotRunning) {
        quillo({QStringLiteral("quit")});
        if (!m_quillo->waitForFinished(5000))
            m_quillo->kill();
    }
}

QProcessEnvironment tst_FirstHour::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // A fresh home: every per-user folder follows from HOME.
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                             "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root.filePath(QStringLiteral("runtime")));
    return env;
}

int tst_FirstHour::quillo(const QStringList &arguments, QByteArray *out)
{
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(m_prefix + QStringLiteral("/bin/quillo"), arguments);
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 15000)
        QTest::qWait(10);
    if (process.state() != QProcess::NotRunning)
        return -1;
    if (out)
        *out = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void tst_FirstHour::start()
{
    m_quillo = std::make_unique<QProcess>();
    m_quillo->setProcessEnvironment(environment());
    m_quillo->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_quillo->start(m_prefix + QStringLiteral("/bin/quillo"), {});
    QVERIFY(m_quillo->waitForStarted(5000));
}

QString tst_FirstHour::resource(const QString &name) const
{
    return m_home + QStringLiteral("/.local/share/quillo/Quillo Resources/") + name;
}

QByteArray tst_FirstHour::readResource(const QString &name) const
{
    QFile file(resource(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString tst_FirstHour::waitForActive(const QString &title, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        const Active active = activeWindow();
        if (active.title == title && (title != QLatin1String("Quillo") ||
                                      placementOf(active.id).geometry.section(
                                          QLatin1Char('+'), 0, 0) != QLatin1String("226x19")))
            return active.id;
        QTest::qWait(50);
    }
    qWarning("waited for \"%s\", the active window is \"%s\"", qPrintable(title),
             qPrintable(activeWindow().title));
    return {};
}

bool tst_FirstHour::waitForOverlay(bool shown, int timeoutMs)
{
    const QString screen = QStringLiteral("%1x%2+0+0")
                               .arg(QGuiApplication::primaryScreen()->size().width())
                               .arg(QGuiApplication::primaryScreen()->size().height());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs) {
        if (visibleWindows(m_quillo->processId()).contains(screen) == shown)
            return true;
        QTest::qWait(30);
    }
    return false;
}

void tst_FirstHour::chooseCommandRow(int downs)
{
    const qint64 pid = m_quillo->processId();
    const QString window =
        QStringLiteral("120x22+%1+%2").arg(CommandWindowAt.x()).arg(CommandWindowAt.y());
    QVERIFY(xdo({QStringLiteral("mousemove"), QString::number(CommandWindowAt.x()),
                 QString::number(CommandWindowAt.y())}));
    QVERIFY2(!visibleWindows(pid).contains(window), "the command window is open already");
    QCOMPARE(quillo({QStringLiteral("toggle-menu")}), 0);
    QTRY_VERIFY2_WITH_TIMEOUT(visibleWindows(pid).contains(window),
                              qPrintable(visibleWindows(pid).join(QLatin1Char(' '))), 5000);
    QVERIFY(click(CommandWindowAt + QPoint(60, 11)));
    // The menu opens right under the window, where the user's eyes are.
    const QString under =
        QStringLiteral("+%1+%2").arg(CommandWindowAt.x()).arg(CommandWindowAt.y() + 22);
    const auto menuOpen = [&] {
        const QStringList windows = visibleWindows(pid);
        return std::any_of(windows.cbegin(), windows.cend(),
                           [&](const QString &w) { return w.endsWith(under) && w != window; });
    };
    QTRY_VERIFY2_WITH_TIMEOUT(menuOpen(), qPrintable(visibleWindows(pid).join(QLatin1Char(' '))),
                              5000);
    for (int i = 0; i < downs; ++i)
        QVERIFY(key(QStringLiteral("Down")));
    QVERIFY(key(QStringLiteral("Return")));
}

void tst_FirstHour::answer(const QStringList &titles)
{
    for (const QString &title : titles) {
        QVERIFY2(!waitForActive(title).isEmpty(), qPrintable(title));
        QVERIFY(key(QStringLiteral("Return")));
    }
}

QString tst_FirstHour::newestPdf(const QDateTime &since)
{
    // The print dialog hands the job over after it closes, and cups-pdf writes the file while
    // the job runs: wait for a file, for an idle queue, and then for the file to stop growing.
    QStringList pdfs;
    QElapsedTimer clock;
    clock.start();
    while ((pdfs = cupsqueue::pdfsSince(since)).isEmpty() && clock.elapsed() < 30000)
        QTest::qWait(100);
    if (pdfs.isEmpty() || !cupsqueue::waitUntilIdle())
        return {};
    const QString pdf = cupsqueue::pdfsSince(since).last();
    qint64 size = -1;
    while (QFileInfo(pdf).size() != size && clock.elapsed() < 40000) {
        size = QFileInfo(pdf).size();
        QTest::qWait(300);
    }
    return pdf;
}

void tst_FirstHour::install()
{
    const Output installed = run(QStringLiteral("cmake"),
                                 {QStringLiteral("--install"), QStringLiteral(QUILLO_BUILD_DIR),
                                  QStringLiteral("--prefix"), m_prefix},
                                 {}, 60000);
    QVERIFY2(installed.exitCode == 0, installed.err.constData());
    QByteArray version;
    QCOMPARE(quillo({QStringLiteral("--version")}, &version), 0);
    QCOMPARE(text(version), QStringLiteral("Quillo " QUILLO_VERSION));
    QVERIFY(
        QFile::exists(m_prefix + QStringLiteral("/share/applications/org.quillo.Quillo.desktop")));
}

void tst_FirstHour::firstStartAndLicence()
{
    start();
    const QString agreement = waitForActive(QStringLiteral("Software License Agreement"));
    QVERIFY(!agreement.isEmpty());
    // The first start copied the shipped texts into the new resources folder.
    QVERIFY(QFile::exists(resource(QStringLiteral("Software License"))));
    QVERIFY(QFile::exists(resource(QStringLiteral("QuilloWelcomeText"))));

    QVERIFY(click(placementOf(agreement).origin + QPoint(143, 428))); // "Accept"
    QVERIFY(!waitForActive(QStringLiteral("Welcome")).isEmpty());
    QVERIFY2(!QFile::exists(resource(QStringLiteral("Software License"))),
             "accepting removes the licence, so it is not offered again");
    QVERIFY(key(QStringLiteral("alt+F4"))); // the window manager's close
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(resource(QStringLiteral("QuilloWelcomeText"))), 5000);
    QVERIFY(m_quillo->state() == QProcess::Running);
}

void tst_FirstHour::preferencesAndPrintingShortcut()
{
    QCOMPARE(quillo({QStringLiteral("preferences")}), 0);
    const QString preferences = waitForActive(QStringLiteral("Quillo Preferences"));
    QVERIFY(!preferences.isEmpty());
    const QPoint at = placementOf(preferences).origin;
    QVERIFY(click(at + QPoint(19, 174)));  // "Always Display Page Setup Dialog Box"
    QVERIFY(click(at + QPoint(141, 208))); // "Set/View Keyboard Shortcuts"

    const QString editor = waitForActive(QStringLiteral("Set System-Wide Keyboard Shortcuts"));
    QVERIFY(!editor.isEmpty());
    const QPoint e = placementOf(editor).origin;
    QVERIFY(click(e + QPoint(100, 151))); // the printing field
    QVERIFY(key(QStringLiteral("ctrl+a")));
    QVERIFY(type(QStringLiteral("j")));
    QVERIFY(click(e + QPoint(230, 151)));                        // its "Okay"
    QVERIFY(!waitForActive(QStringLiteral("Quillo")).isEmpty()); // "…is now Ctrl-Alt-j"
    QVERIFY(key(QStringLiteral("Return")));
    QTRY_COMPARE_WITH_TIMEOUT(readResource(QStringLiteral("Quillo PrintingHotkey Preference")),
                              QByteArray("j"), 5000);

    QVERIFY(!waitForActive(QStringLiteral("Set System-Wide Keyboard Shortcuts")).isEmpty());
    QVERIFY(key(QStringLiteral("alt+F4")));
    QVERIFY(xdo({QStringLiteral("windowactivate"), QStringLiteral("--sync"), preferences}));
    QVERIFY(key(QStringLiteral("alt+F4")));
    // Closing the preferences writes them.
    QTRY_COMPARE_WITH_TIMEOUT(readResource(QStringLiteral("PageSetup Preferences")).trimmed(),
                              QByteArray("DsplayPageSetupTrue"), 5000);
}

void tst_FirstHour::printThroughTheShortcut()
{
    m_pattern = std::make_unique<PatternWindow>(m_image, PatternAt);
    QVERIFY(m_pattern->showAndWait());
    QVERIFY(clipboardWrite(Kept.toUtf8()));
    QTRY_COMPARE_WITH_TIMEOUT(clipboardRead(), Kept.toUtf8(), 5000);
    const QDateTime since = QDateTime::currentDateTime();

    QVERIFY(key(QStringLiteral("ctrl+alt+j")));
    QVERIFY2(waitForOverlay(true), "Ctrl+Alt+j did not start a selection");
    QVERIFY(drag(DragFrom, DragTo));
    // The preference asks for Page Setup first; then the print dialog, whose default printer is
    // the harness's PDF queue.
    answer({QStringLiteral("Page Setup"), QStringLiteral("Print")});

    const QString pdf = newestPdf(since);
    QVERIFY2(!pdf.isEmpty(), "no PDF from the CUPS queue");
    const QList<pdftools::ImageRow> rows = pdftools::images(pdf);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].printedSizePt(), QSizeF(CapturedPart.size())); // 1 pixel = 1 point at 100 %
    const QList<QImage> pictures = pdftools::extractImages(pdf);
    QCOMPARE(pictures.size(), 1);
    QString why;
    QVERIFY2(samePixels(pictures[0], m_image.copy(CapturedPart), &why), qPrintable(why));
    // The user's own clipboard is back.
    QTRY_COMPARE_WITH_TIMEOUT(clipboardRead(), Kept.toUtf8(), 5000);
}

void tst_FirstHour::collectOnAProject()
{
    // A first run has no project chosen: the Projects menu (row "View Projects Menu") picks one.
    chooseCommandRow(11);
    QTest::qWait(800); // the command window's choice runs after half a second
    QVERIFY(key(QStringLiteral("Down")));
    QVERIFY(key(QStringLiteral("Return"))); // "PrintBoard 1"
    QTest::qWait(300);

    // "Add Selection W/Single Space After it to …" from the command window.
    chooseCommandRow(5);
    QVERIFY(waitForOverlay(true));
    QVERIFY(drag(DragFrom, DragTo));
    QTRY_COMPARE_WITH_TIMEOUT(picturesIn(readResource(QStringLiteral("ProjectsPrintBoard1"))), 1,
                              10000);

    // The double-space add from the command line, as a desktop shortcut would start it.
    QVERIFY(waitForOverlay(false));
    QCOMPARE(quillo({QStringLiteral("add-double")}), 0);
    QVERIFY(waitForOverlay(true));
    QVERIFY(drag(SmallFrom, SmallTo));
    QTRY_COMPARE_WITH_TIMEOUT(picturesIn(readResource(QStringLiteral("ProjectsPrintBoard1"))), 2,
                              10000);

    // "Add a Note and Time-Date Stamp to …".
    chooseCommandRow(7);
    const QString noteWindow = waitForActive(QStringLiteral("Add a Note to the PrintBoard"));
    QVERIFY(!noteWindow.isEmpty());
    QVERIFY(type(Note));
    QVERIFY(click(placementOf(noteWindow).origin + QPoint(240, 282))); // "Add Note"
    QTRY_VERIFY_WITH_TIMEOUT(holdsText(readResource(QStringLiteral("ProjectsPrintBoard1")), Note),
                             10000);
    QVERIFY(holdsText(readResource(QStringLiteral("ProjectsPrintBoard1")),
                      QStringLiteral("NOTE: ") + Note));
    QCOMPARE(picturesIn(readResource(QStringLiteral("ProjectsPrintBoard1"))), 2);
    // Collecting borrowed the clipboard three times and gave it back each time.
    QTRY_COMPARE_WITH_TIMEOUT(clipboardRead(), Kept.toUtf8(), 5000);
}

void tst_FirstHour::renameTheProject()
{
    chooseCommandRow(11); // "View Projects Menu"
    QTest::qWait(800);
    for (int i = 0; i < 6; ++i)
        QVERIFY(key(QStringLiteral("Down")));
    QVERIFY(key(QStringLiteral("Return"))); // "Name/Rename Project …"
    QVERIFY(!waitForActive(QStringLiteral("Name/Rename Your Project")).isEmpty());
    QVERIFY(key(QStringLiteral("ctrl+a")));
    QVERIFY(type(ProjectName));
    QVERIFY(key(QStringLiteral("Return")));
    QTRY_COMPARE_WITH_TIMEOUT(readResource(QStringLiteral("QLPB1Name")), ProjectName.toUtf8(),
                              5000);
}

void tst_FirstHour::quitKeepsEverything()
{
    QCOMPARE(quillo({QStringLiteral("quit")}), 0);
    QVERIFY(m_quillo->waitForFinished(10000));
    QCOMPARE(m_quillo->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_quillo->exitCode(), 0);
    QCOMPARE(readResource(QStringLiteral("Quillo ActivePrintBoardPref")),
             QByteArray("ProjectsPrintBoard1"));
    QCOMPARE(readResource(QStringLiteral("Quillo PrintingHotkey Preference")), QByteArray("j"));
    QCOMPARE(readResource(QStringLiteral("QLPB1Name")), ProjectName.toUtf8());
    const QByteArray board = readResource(QStringLiteral("ProjectsPrintBoard1"));
    QCOMPARE(picturesIn(board), 2);
    QVERIFY(holdsText(board, Note));
    for (int slot = 2; slot <= 5; ++slot)
        QCOMPARE(picturesIn(readResource(QStringLiteral("ProjectsPrintBoard%1").arg(slot))), 0);
    // The clipboard that Quillo gave back is not checked after it quits: on X11 a clipboard's
    // content lives in the program that owns it, and this bare desktop has no clipboard manager
    // for Qt to hand it over to.
}

void tst_FirstHour::startAgainAndPrintTheProject()
{
    start();
    // No licence and no welcome the second time: the menus are the first window.
    const auto menusShown = [this] {
        const QStringList windows = visibleWindows(m_quillo->processId());
        return std::any_of(windows.cbegin(), windows.cend(),
                           [](const QString &w) { return w.startsWith(QLatin1String("226x19")); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(menusShown(), 10000);
    QTest::qWait(500);
    const Active active = activeWindow();
    QVERIFY2(active.title != QLatin1String("Software License Agreement") &&
                 active.title != QLatin1String("Welcome"),
             qPrintable(active.title));

    const QDateTime since = QDateTime::currentDateTime();
    chooseCommandRow(8); // "Print/Preview …"
    answer(
        {QStringLiteral("Page Setup"), QStringLiteral("Print Preview"), QStringLiteral("Print")});

    const QString pdf = newestPdf(since);
    QVERIFY2(!pdf.isEmpty(), "no PDF from the CUPS queue");
    const QList<pdftools::ImageRow> rows = pdftools::images(pdf);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].printedSizePt(), QSizeF(CapturedPart.size()));
    QCOMPARE(rows[1].printedSizePt(), QSizeF(SmallPart.size()));
    const QList<QImage> pictures = pdftools::extractImages(pdf);
    QCOMPARE(pictures.size(), 2);
    QString why;
    QVERIFY2(samePixels(pictures[0], m_image.copy(CapturedPart), &why), qPrintable(why));
    QVERIFY2(samePixels(pictures[1], m_image.copy(SmallPart), &why), qPrintable(why));
    // The note prints as text (cups-pdf's fonts do not map back to characters, so only its
    // presence is checked here; its words are checked in the project's file above).
    QVERIFY(!pdftools::text(pdf).trimmed().isEmpty());

    QCOMPARE(quillo({QStringLiteral("quit")}), 0);
    QVERIFY(m_quillo->waitForFinished(10000));
    QCOMPARE(m_quillo->exitCode(), 0);
}

QTEST_MAIN(tst_FirstHour)
#include "tst_firsthour_desktop.moc"
