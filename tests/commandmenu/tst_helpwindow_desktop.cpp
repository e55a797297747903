// The help window under the real X server: the two help texts from a temporary resources folder,
// the buttons that switch between them, the instructions' second load one timer period later,
// and printing through the harness's CUPS queue, read back from the PDF.
#include "commandmenu/helpwindow.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/recordinghost.h"
#include "support/cupsqueue.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace {

const QString OverviewHtml =
    QStringLiteral("<h2>Overview</h2><p>The <b>short</b> overview of the help.</p>");
const QString InstructionsHtml = QStringLiteral("<h2>Instructions</h2><p>First instructions.</p>");

enum class State { NoWindow, Overview, Instructions };
enum class Action { Menu, InstructionsButton, ReturnButton };

QString fieldText(const ContextualMenuHelpWindow *window)
{
    return window->EditFieldContextualMenuHelpDisplay->toPlainText();
}

// "instructions on, print shown, return off": the buttons as the user sees them.
QString buttons(const ContextualMenuHelpWindow *window)
{
    const auto onOff = [](bool on) {
        return on ? QStringLiteral("on") : QStringLiteral("off");
    };
    return QStringLiteral("instructions %1, print %2, return %3")
        .arg(onOff(window->InstructionsPushButton->isEnabled()),
             window->PrintContextualMenuHelpPushButton->isVisible() ? QStringLiteral("shown")
                                                                    : QStringLiteral("hidden"),
             onOff(window->ReturntToOverviewPushButton->isEnabled()));
}

QString message()
{
    return QStringLiteral("message:") + commandmenu::HelpFileMissingMessage;
}

// A printed page as pdftotext sees it, points from the page's top-left. cups-pdf passes jobs
// through Ghostscript, which re-encodes the fonts so that pdftotext gets letters wrong or loses
// them; the places of the words are right, so lines are counted and measured, not read.
struct Page
{
    QList<double> lines; // the vertical middle of each line, top to bottom
    double left = 0;     // where the text begins and ends sideways
    double right = 0;
};

QList<Page> pdfPages(const QString &pdf)
{
    const desktoptools::Output o = desktoptools::run(
        QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">"));
    QList<Page> pages;
    const QStringList pageTexts = QString::fromUtf8(o.out).split(QStringLiteral("<page "));
    for (qsizetype p = 1; p < pageTexts.size(); ++p) {
        Page page;
        page.left = 1e9;
        QList<double> middles;
        for (auto it = word.globalMatch(pageTexts[p]); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            page.left = std::min(page.left, m.captured(1).toDouble());
            page.right = std::max(page.right, m.captured(3).toDouble());
            middles << (m.captured(2).toDouble() + m.captured(4).toDouble()) / 2;
        }
        std::sort(middles.begin(), middles.end());
        // The boxes of one line's glyphs differ by up to a few points in these fonts.
        for (double middle : std::as_const(middles)) {
            if (page.lines.isEmpty() || middle - page.lines.last() > 5)
                page.lines << middle;
        }
        pages << page;
    }
    return pages;
}

// The distance between the lines of one paragraph: the smallest between neighbours.
double linePitch(const Page &page)
{
    double pitch = 1e9;
    for (qsizetype i = 1; i < page.lines.size(); ++i)
        pitch = std::min(pitch, page.lines[i] - page.lines[i - 1]);
    return pitch;
}

// The help printouts in cups-pdf's folder; cups-pdf names them after the job, "Quillo Help".
// cups-pdf names its files after the job number, which starts again with every scheduler the
// harness starts: a file of an earlier run can carry the name of this run's job. Files written
// since `since` (whole seconds, as file times may be) are this run's.
QStringList helpPdfs(const QDateTime &since = QDateTime::fromSecsSinceEpoch(0))
{
    return cupsqueue::pdfsSince(QDateTime::fromSecsSinceEpoch(since.toSecsSinceEpoch()),
                                QStringLiteral("Help"));
}

QStringList newPdfs(const QStringList &before)
{
    QStringList added = helpPdfs();
    for (const QString &old : before)
        added.removeAll(old);
    return added;
}

} // namespace

class tst_HelpWindow final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windowAsDesigned();
    void instructionsLoadTwice();
    void returnToOverview();
    void overviewFromMenuStartsOver();
    void missingHelpFile_data();
    void missingHelpFile();
    void printsLongTextInBlocks();
    void noDefaultPrinterPrintsNothing();
    void shippedTexts();

private:
    ContextualMenuHelpWindow *openOverview();
    // Clicks "Instructions and Tips" and waits for the second load.
    bool showInstructionsTwice(ContextualMenuHelpWindow *window);
    void writeHelpFile(const char *name, const QString &html);

    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_HelpWindow::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_HelpWindow::init()
{
    Module1::reset();
    m_host->clear();
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
    resources::setFolder(m_folder->path());
    writeHelpFile(resources::files::HelpOverview, OverviewHtml);
    writeHelpFile(resources::files::HelpInstructions, InstructionsHtml);
    m_w = new Window1;
    commandmenu::installHelp(*m_w);
}

void tst_HelpWindow::cleanup()
{
    if (QPointer<ContextualMenuHelpWindow> window = ContextualMenuHelpWindow::existing()) {
        window->close();
        QTRY_VERIFY(!window);
    }
    delete m_w;
    m_w = nullptr;
}

void tst_HelpWindow::writeHelpFile(const char *name, const QString &html)
{
    QString error;
    QVERIFY2(resources::writeText(QLatin1String(name), html, &error), qPrintable(error));
}

ContextualMenuHelpWindow *tst_HelpWindow::openOverview()
{
    commandmenu::showHelpOverview();
    ContextualMenuHelpWindow *window = ContextualMenuHelpWindow::existing();
    if (window && !QTest::qWaitForWindowExposed(window))
        return nullptr;
    m_host->clear();
    return window;
}

bool tst_HelpWindow::showInstructionsTwice(ContextualMenuHelpWindow *window)
{
    window->InstructionsPushButton->click();
    const bool done = QTest::qWaitFor(
        [&] {
            return !window->InstructionsPushButton->isEnabled() &&
                   !m_w->ForcehelpInstructionsUpdateTimer->isActive();
        },
        2000);
    m_host->clear();
    return done;
}

void tst_HelpWindow::windowAsDesigned()
{
    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    QCOMPARE(window->objectName(), QStringLiteral("ContextualMenuHelpWindow"));
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillo Help"));
    QVERIFY2(window->size() == QSize(591, 432) && window->minimumSize() == window->maximumSize(),
             qPrintable(QStringLiteral("%1 x %2").arg(window->width()).arg(window->height())));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(buttons(window), QStringLiteral("instructions on, print shown, return off"));
    QCOMPARE(window->EditFieldContextualMenuHelpDisplay->geometry(), QRect(-1, -1, 493, 400));
    // Where the buttons were drawn, with captions that are not cut off.
    const QList<QPair<QPushButton *, QRect>> placed{
        {window->InstructionsPushButton, QRect(80, 405, 140, 20)},
        {window->PrintContextualMenuHelpPushButton, QRect(263, 405, 66, 20)},
        {window->ReturntToOverviewPushButton, QRect(370, 405, 140, 20)}};
    for (const auto &[button, geometry] : placed) {
        const int caption = QFontMetrics(button->font()).horizontalAdvance(button->text());
        QVERIFY2(button->geometry() == geometry && caption + 8 <= geometry.width(),
                 qPrintable(QStringLiteral("%1 at %2,%3 %4 x %5, caption %6 wide")
                                .arg(button->text())
                                .arg(button->x())
                                .arg(button->y())
                                .arg(button->width())
                                .arg(button->height())
                                .arg(caption)));
    }

    // Loaded as HTML: the overview's bold word is bold, the tags are not in the text.
    QTextEdit *field = window->EditFieldContextualMenuHelpDisplay;
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
    const QTextCursor bold = field->document()->find(QStringLiteral("short"));
    QVERIFY2(bold.charFormat().fontWeight() == QFont::Bold,
             qPrintable(QString::number(bold.charFormat().fontWeight())));

    // The blue of the window right of the field, the yellow of the field below the text.
    const QImage shot = window->grab().toImage();
    const qreal dpr = shot.devicePixelRatio();
    const QColor beside = shot.pixelColor((QPointF(540, 200) * dpr).toPoint());
    const QColor inField = shot.pixelColor((QPointF(250, 300) * dpr).toPoint());
    QVERIFY2(beside == QColor(158, 198, 255), qPrintable(beside.name()));
    QVERIFY2(inField == QColor(229, 229, 163), qPrintable(inField.name()));

    // The user reads the help; typing changes nothing.
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("typed"));
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
}

void tst_HelpWindow::instructionsLoadTwice()
{
    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    QElapsedTimer clock;
    clock.start();
    window->InstructionsPushButton->click();

    QCOMPARE(fieldText(window), QStringLiteral("Instructions\nFirst instructions."));
    QCOMPARE(buttons(window), QStringLiteral("instructions on, print shown, return on"));
    QVERIFY(m_w->ForcehelpInstructionsUpdateTimer->isActive());
    QCOMPARE(m_host->events, QStringList{QStringLiteral("front")});

    // The second load reads the file again: a changed file shows.
    writeHelpFile(resources::files::HelpInstructions,
                  QStringLiteral("<p>Second instructions.</p>"));
    QTRY_VERIFY_WITH_TIMEOUT(!window->InstructionsPushButton->isEnabled(), 2000);
    const qint64 elapsed = clock.elapsed();
    QVERIFY2(elapsed >= 95 && elapsed < 1000, qPrintable(QString::number(elapsed)));
    QCOMPARE(fieldText(window), QStringLiteral("Second instructions."));
    QCOMPARE(buttons(window), QStringLiteral("instructions off, print shown, return on"));
    QCOMPARE(Module1::ResetInstructionsTimer, 1);
    QCOMPARE(m_host->events, (QStringList{QStringLiteral("front"), QStringLiteral("front")}));

    // And no third time.
    QTest::qWait(300);
    QVERIFY(!m_w->ForcehelpInstructionsUpdateTimer->isActive());
    QCOMPARE(m_host->events.size(), 2);
    QCOMPARE(Module1::ResetInstructionsTimer, 1);
}

void tst_HelpWindow::returnToOverview()
{
    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    QVERIFY(showInstructionsTwice(window));

    window->ReturntToOverviewPushButton->click();
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
    QCOMPARE(buttons(window), QStringLiteral("instructions on, print shown, return off"));
    QCOMPARE(Module1::ResetInstructionsTimer, 0);
    QVERIFY(m_host->events.isEmpty());

    // The count starts over: the instructions load twice again.
    QVERIFY(showInstructionsTwice(window));
    QCOMPARE(Module1::ResetInstructionsTimer, 1);
    window->ReturntToOverviewPushButton->click();

    // Back to the overview before the second load: it stays.
    window->InstructionsPushButton->click();
    window->ReturntToOverviewPushButton->click();
    QTest::qWait(300);
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
    QCOMPARE(buttons(window), QStringLiteral("instructions on, print shown, return off"));
}

void tst_HelpWindow::overviewFromMenuStartsOver()
{
    QPointer<ContextualMenuHelpWindow> window = openOverview();
    QVERIFY(window);
    QVERIFY(showInstructionsTwice(window));

    // Shown from a menu over the instructions: the same window, the overview, and the
    // instructions can be had again.
    QCOMPARE(openOverview(), window.data());
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
    QCOMPARE(buttons(window), QStringLiteral("instructions on, print shown, return off"));
    QCOMPARE(Module1::ResetInstructionsTimer, 0);
    QVERIFY(showInstructionsTwice(window));

    // Closing ends the window and the count; the next one is new and starts with the overview.
    window->close();
    QCOMPARE(Module1::ResetInstructionsTimer, 0);
    QVERIFY(!ContextualMenuHelpWindow::existing());
    QTRY_VERIFY(!window);
    ContextualMenuHelpWindow *again = openOverview();
    QVERIFY(again);
    QCOMPARE(fieldText(again), QStringLiteral("Overview\nThe short overview of the help."));
    QCOMPARE(buttons(again), QStringLiteral("instructions on, print shown, return off"));
}

void tst_HelpWindow::missingHelpFile_data()
{
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("missing"); // a file, or "" for the whole folder
    QTest::addColumn<Action>("action");
    QTest::addColumn<QStringList>("events");

    const QString overview = QLatin1String(resources::files::HelpOverview);
    const QString instructions = QLatin1String(resources::files::HelpInstructions);
    const QStringList beepAndMessage{QStringLiteral("beep"), message()};
    QTest::newRow("menu, no window, overview missing")
        << State::NoWindow << overview << Action::Menu << beepAndMessage;
    QTest::newRow("menu, no window, resources folder missing")
        << State::NoWindow << QString() << Action::Menu << beepAndMessage;
    QTest::newRow("menu, instructions on display, overview missing")
        << State::Instructions << overview << Action::Menu << beepAndMessage;
    QTest::newRow("instructions button, instructions missing")
        << State::Overview << instructions << Action::InstructionsButton
        << QStringList{QStringLiteral("front"), QStringLiteral("beep"), message()};
    QTest::newRow("return button, overview missing")
        << State::Instructions << overview << Action::ReturnButton << beepAndMessage;
}

void tst_HelpWindow::missingHelpFile()
{
    QFETCH(State, state);
    QFETCH(QString, missing);
    QFETCH(Action, action);
    QFETCH(QStringList, events);

    QPointer<ContextualMenuHelpWindow> window;
    if (state != State::NoWindow) {
        window = openOverview();
        QVERIFY(window);
        if (state == State::Instructions)
            QVERIFY(showInstructionsTwice(window));
    }
    const QString textBefore = window ? fieldText(window) : QString();
    const QString buttonsBefore = window ? buttons(window) : QString();

    if (missing.isEmpty())
        resources::setFolder(m_folder->filePath(QStringLiteral("no such folder")));
    else
        QVERIFY(resources::remove(missing));
    switch (action) {
    case Action::Menu:
        commandmenu::showHelpOverview();
        break;
    case Action::InstructionsButton:
        window->InstructionsPushButton->click();
        break;
    case Action::ReturnButton:
        window->ReturntToOverviewPushButton->click();
        break;
    }

    QCOMPARE(m_host->events, events);
    QCOMPARE(ContextualMenuHelpWindow::existing(), window.data());
    if (window) {
        QCOMPARE(fieldText(window), textBefore);
        QCOMPARE(buttons(window), buttonsBefore);
        QVERIFY(!m_w->ForcehelpInstructionsUpdateTimer->isActive());
    }
}

void tst_HelpWindow::printsLongTextInBlocks()
{
    QVERIFY2(cupsqueue::exists(), "this test needs the harness's CUPS queue PDF");
    QVERIFY2(!QPrinterInfo::defaultPrinter().isNull(), "the harness's CUPS has no default queue");
    // Numbered paragraphs of 12-point text, every third wrapping once at 540 points, then a
    // paragraph of short lines longer than a page: blocks end between paragraphs and within one.
    QString html = QStringLiteral("<body style=\"font-size: 12pt\">");
    int lines = 0;
    const auto number = [](int i) {
        return QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
    };
    for (int i = 1; i <= 60; ++i) {
        QString text = QStringLiteral("para%1 start").arg(number(i));
        if (i % 3 == 0) {
            text += QStringLiteral(" and then a longer sentence that goes on").repeated(3);
            ++lines;
        }
        html += QStringLiteral("<p>%1 end%2</p>").arg(text, number(i));
        ++lines;
    }
    QStringList rows;
    for (int i = 1; i <= 80; ++i)
        rows << QStringLiteral("row%1 of the long paragraph").arg(number(i));
    html += QStringLiteral("<p>%1</p>").arg(rows.join(QStringLiteral("<br>")));
    lines += rows.size();
    writeHelpFile(resources::files::HelpOverview, html + QStringLiteral("</body>"));
    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    const QString shown = fieldText(window);

    // Events run between the pages: one that changes the field meanwhile, and a second click on
    // "Print", which must not start a second printout.
    bool ranWhilePrinting = false;
    QTimer::singleShot(0, window, [&] {
        ranWhilePrinting = true;
        window->EditFieldContextualMenuHelpDisplay->setPlainText(QStringLiteral("changed"));
        window->PrintContextualMenuHelpPushButton->click();
    });
    const QDateTime since = QDateTime::currentDateTime();
    window->PrintContextualMenuHelpPushButton->click();
    QVERIFY(ranWhilePrinting);
    QCOMPARE(fieldText(window), shown);
    QVERIFY2(m_host->events.isEmpty(), qPrintable(m_host->events.join(QStringLiteral(", "))));

    QVERIFY2(cupsqueue::waitUntilIdle(), "the job never left the queue");
    QStringList printed;
    QTRY_VERIFY_WITH_TIMEOUT(!(printed = helpPdfs(since)).isEmpty(), 10000);
    QTest::qWait(500);
    printed = helpPdfs(since);
    QVERIFY2(printed.size() == 1, qPrintable(printed.join(QStringLiteral(", "))));
    const QList<Page> pages = pdfPages(printed.first());
    QVERIFY2(pages.size() >= 3, qPrintable(QString::number(pages.size())));

    // Laid out in points: the lines of a wrapped 12-point paragraph are about 14 points apart,
    // not 19 (the pixels of a 96-dpi screen taken for points).
    const double pitch = linePitch(pages.first());
    QVERIFY2(pitch > 12 && pitch < 16, qPrintable(QString::number(pitch)));

    qsizetype printedLines = 0;
    double widest = 0;
    for (qsizetype p = 0; p < pages.size(); ++p) {
        const Page &page = pages[p];
        QVERIFY2(!page.lines.isEmpty(), qPrintable(QStringLiteral("page %1 is blank").arg(p + 1)));
        const double width = page.right - page.left;
        const double height = page.lines.last() - page.lines.first() + pitch;
        QVERIFY2(width <= 540 + 1 && height <= 720 + 1,
                 qPrintable(
                     QStringLiteral("page %1: text %2 x %3 pt").arg(p + 1).arg(width).arg(height)));
        // Blocks are filled: a page ends only where the next line would not fit. Paragraph
        // spacing at the foot of a block, and at its head after a break between paragraphs,
        // may take up to a line each.
        if (p + 1 < pages.size()) {
            QVERIFY2(height > 720 - 3 * pitch,
                     qPrintable(QStringLiteral("page %1: %2 pt").arg(p + 1).arg(height)));
        }
        printedLines += page.lines.size();
        widest = std::max(widest, width);
    }
    // Wrapped at 540 points, not at the field's width.
    QVERIFY2(widest > 480, qPrintable(QString::number(widest)));
    // Every line once: none lost or printed twice at a break.
    QCOMPARE(printedLines, qsizetype(lines));
}

void tst_HelpWindow::noDefaultPrinterPrintsNothing()
{
    // libcups takes the user's default queue from LPDEST first; one that does not exist leaves
    // the program without a default printer.
    const QByteArray oldLpdest = qgetenv("LPDEST");
    const auto restore = qScopeGuard([&] {
        if (oldLpdest.isNull())
            qunsetenv("LPDEST");
        else
            qputenv("LPDEST", oldLpdest);
    });
    qputenv("LPDEST", "QuilloNoSuchQueue");
    QVERIFY2(QPrinterInfo::defaultPrinter().isNull(),
             qPrintable(QPrinterInfo::defaultPrinter().printerName()));

    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    const QStringList before = helpPdfs();
    window->PrintContextualMenuHelpPushButton->click();
    QVERIFY2(m_host->events.isEmpty(), qPrintable(m_host->events.join(QStringLiteral(", "))));
    QCOMPARE(fieldText(window), QStringLiteral("Overview\nThe short overview of the help."));
    QVERIFY(cupsqueue::waitUntilIdle());
    QTest::qWait(1000);
    const QStringList printed = newPdfs(before);
    QVERIFY2(printed.isEmpty(), qPrintable(printed.join(QStringLiteral(", "))));
}

void tst_HelpWindow::shippedTexts()
{
    // Only read from the source tree's resources, never written.
    resources::setFolder(QStringLiteral(QUILLO_SOURCE_RESOURCES));
    ContextualMenuHelpWindow *window = openOverview();
    QVERIFY(window);
    QTextEdit *field = window->EditFieldContextualMenuHelpDisplay;
    const QString overview = fieldText(window);
    QVERIFY2(overview.contains(QLatin1String("Quillo")), qPrintable(overview));
    // One screen: the overview fits the field without scrolling.
    const qreal overviewHeight = field->document()->size().height();
    QVERIFY2(overviewHeight <= field->viewport()->height(),
             qPrintable(QStringLiteral("%1 in a field %2 high")
                            .arg(overviewHeight)
                            .arg(field->viewport()->height())));

    QVERIFY(showInstructionsTwice(window));
    const QString instructions = fieldText(window);
    QVERIFY2(instructions.contains(QLatin1String("Auto-Scaling Guide")) &&
                 instructions.contains(QLatin1String("Wayland")),
             qPrintable(instructions.left(200)));
    QVERIFY2(field->document()->size().height() > 4 * overviewHeight,
             qPrintable(QString::number(field->document()->size().height())));
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_helpwindow_desktop.moc"
