// The Print Selection command and the page-setup command under the real X server, with the
// dialogs answered by script. The selection is driven through the overlay's own handlers here;
// tst_printselection_desktop drives it with the real mouse and the real dialogs.
#include "core/module1.h"
#include "core/window1.h"
#include "platform/pageformat.h"
#include "platform/recordinghost.h"
#include "platform/resultcodes.h"
#include "platform/styleddocument.h"
#include "printing/printpipeline.h"
#include "selection/overlaywindow.h"
#include "selection/selection.h"
#include "support/cupsqueue.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace desktoptools;

class tst_PrintPipeline final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void rejectedSelection_data();
    void rejectedSelection();
    void smallestSelectionIsCaptured();
    void oversizeOpensPageSetup_data();
    void oversizeOpensPageSetup();
    void pageSetupErrorStillPrintsInTimer1();
    void pageSetupErrorStopsTimer9();
    void cancelledPrintRestoresClipboard_data();
    void cancelledPrintRestoresClipboard();
    void failedPrintIsReported();
    void emptyClipboardAtContinuation();
    void pageSetupCopiesFormat_data();
    void pageSetupCopiesFormat();
    void escapeEndsSelection();

private:
    void select(QPoint from, QPoint to);
    bool waitForContinuation();

    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
};

void tst_PrintPipeline::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_PrintPipeline::init()
{
    Module1::reset();
    m_host->clear();
    m_w = new Window1;
    QVERIFY(clipboardWrite("the user's text"));
}

void tst_PrintPipeline::cleanup()
{
    delete m_w;
    m_w = nullptr;
    xdo({QStringLiteral("keyup"), QStringLiteral("ctrl")});
}

void tst_PrintPipeline::select(QPoint from, QPoint to)
{
    QVERIFY(m_w->o);
    QTRY_VERIFY(m_w->o->isVisible());
    m_w->o->mouseDown(from.x(), from.y());
    m_w->o->mouseDragged((from.x() + to.x()) / 2.0, (from.y() + to.y()) / 2.0);
    m_w->o->mouseDragged(to.x() + 0.7, to.y() + 0.7); // fractions are cut off
    m_w->o->mouseUp(to.x() + 0.7, to.y() + 0.7);
}

bool tst_PrintPipeline::waitForContinuation()
{
    (void)QTest::qWaitFor([this] { return !m_w->Timer1->isActive() && !m_w->Timer9->isActive(); },
                          5000);
    return !m_w->Timer1->isActive() && !m_w->Timer9->isActive();
}

void tst_PrintPipeline::rejectedSelection_data()
{
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::newRow("width 7") << QPoint(100, 100) << QPoint(105, 300);
    QTest::newRow("height 0") << QPoint(100, 100) << QPoint(400, 100);
    QTest::newRow("dragged upward") << QPoint(100, 300) << QPoint(400, 100);
    QTest::newRow("a click") << QPoint(100, 100) << QPoint(100, 100);
}

void tst_PrintPipeline::rejectedSelection()
{
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    m_w->PrintPushButton->click();
    QCOMPARE(Module1::SelectTimer, 1);
    select(from, to);

    const QStringList expected{QStringLiteral("front"), QStringLiteral("beep"),
                               QStringLiteral("message:") + selection::RejectedMessage};
    QVERIFY2(m_host->events == expected, qPrintable(m_host->events.join(" | ")));
    QVERIFY(!m_w->Timer1->isActive());
    QVERIFY(!m_w->Timer9->isActive());
    QVERIFY(!m_w->o->isVisible());
    QCOMPARE(clipboardRead(), QByteArray("the user's text"));
    QCOMPARE(Module1::SelectTimer, 1); // kept for nobody; the next command sets it again
}

void tst_PrintPipeline::smallestSelectionIsCaptured()
{
    m_w->PrintPushButton->click();
    select(QPoint(300, 200), QPoint(306, 201)); // width 8, height -1
    QVERIFY2(m_host->events.isEmpty(), qPrintable(m_host->events.join(" | ")));
    QVERIFY(m_w->Timer1->isActive());
    QCOMPARE(m_w->Timer1->interval(), 2000);
    const QImage picture = QGuiApplication::clipboard()->image();
    QCOMPARE(picture.size(), QSize(6, 1));
    m_w->Timer1->stop();
}

void tst_PrintPipeline::oversizeOpensPageSetup_data()
{
    QTest::addColumn<bool>("alwaysPageSetup");
    QTest::newRow("preference off: pushed at release") << false;
    QTest::newRow("preference on: left to the continuation") << true;
}

void tst_PrintPipeline::oversizeOpensPageSetup()
{
    QFETCH(bool, alwaysPageSetup);
    Module1::AlwaysDisplayPageSetUpP = alwaysPageSetup;
    m_host->pageSetupAnswers.push_back({result::Cancelled, {}});
    m_w->PrintPushButton->click();
    // 600 wide: fits a landscape page but not a portrait one, which is what release tests.
    select(QPoint(100, 100), QPoint(698, 400));
    const QStringList atRelease =
        alwaysPageSetup ? QStringList{}
                        : QStringList{QStringLiteral("front"), QStringLiteral("pagesetup:-128")};
    QVERIFY2(m_host->events == atRelease, qPrintable(m_host->events.join(" | ")));
    QVERIFY(m_w->Timer1->isActive());
    m_w->Timer1->stop();
}

void tst_PrintPipeline::pageSetupErrorStillPrintsInTimer1()
{
    Module1::AlwaysDisplayPageSetUpP = true;
    m_host->pageSetupAnswers.push_back({-50, {}});
    m_host->printAnswers.push_back({result::Cancelled, {}});
    m_w->PrintPushButton->click();
    select(QPoint(100, 100), QPoint(300, 200));
    QVERIFY(waitForContinuation());
    const QStringList expected{QStringLiteral("front"), QStringLiteral("pagesetup:-50"),
                               QStringLiteral("message:Page Setup Error: -50"),
                               QStringLiteral("front"), QStringLiteral("print:-128")};
    QVERIFY2(m_host->events == expected, qPrintable(m_host->events.join(" | ")));
    QCOMPARE(m_w->WASTEfield1->textLength(), 0);
    QCOMPARE(clipboardRead(), QByteArray("the user's text"));
}

void tst_PrintPipeline::pageSetupErrorStopsTimer9()
{
    m_host->pageSetupAnswers.push_back({-50, {}});
    QVERIFY(xdo({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
    m_w->PrintPushButton->click();
    QVERIFY(xdo({QStringLiteral("keyup"), QStringLiteral("ctrl")}));
    QCOMPARE(Module1::SelectTimer, 6);
    select(QPoint(100, 100), QPoint(300, 200));
    QVERIFY(m_w->Timer9->isActive());
    QCOMPARE(m_w->Timer9->interval(), 500);
    QVERIFY(waitForContinuation());
    const QStringList expected{QStringLiteral("front"), QStringLiteral("pagesetup:-50"),
                               QStringLiteral("message:Page Setup Error: -50")};
    QVERIFY2(m_host->events == expected, qPrintable(m_host->events.join(" | ")));
    QCOMPARE(m_w->WASTEfield1->textLength(), 0);
    // Nothing restores the clipboard on this path: the capture stays, ready to paste.
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(200, 100));
}

void tst_PrintPipeline::cancelledPrintRestoresClipboard_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("keptInDocument");
    QTest::newRow("text") << QByteArray("the user's text") << "UTF8_STRING"
                          << "the user's text";
    // Neither text nor a picture: the restore document stays empty, and still the user gets
    // the files they copied back.
    QTest::newRow("files copied in a file manager")
        << QByteArray("copy\nfile:///tmp/a.txt") << "x-special/gnome-copied-files"
        << "";
}

void tst_PrintPipeline::cancelledPrintRestoresClipboard()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, target);
    QFETCH(QString, keptInDocument);
    QVERIFY(clipboardWrite(content, target));
    m_host->printAnswers.push_back({result::Cancelled, {}});
    m_w->PrintPushButton->click();
    select(QPoint(100, 100), QPoint(300, 200));
    QVERIFY(!clipboardTargets().contains(target));
    QVERIFY(waitForContinuation());
    const QStringList expected{QStringLiteral("front"), QStringLiteral("print:-128")};
    QVERIFY2(m_host->events == expected, qPrintable(m_host->events.join(" | ")));
    QCOMPARE(clipboardRead(target), content);
    QCOMPARE(m_w->WASTEfield1->textLength(), 0);
    // The restore document keeps the saved copy until the next command.
    QCOMPARE(m_w->WASTEfieldRestoreClipboard->text(), keptInDocument);
}

void tst_PrintPipeline::failedPrintIsReported()
{
    // The queue refuses jobs, as a stopped or full printer does.
    QVERIFY(cupsqueue::reject());
    const auto acceptAgain = qScopeGuard([] { cupsqueue::accept(); });
    m_host->printAnswers.push_back({0, [](QPrinter &printer) {
                                        printer.setPrinterName(
                                            QLatin1String(cupsqueue::DefaultQueue));
                                    }});
    m_w->PrintPushButton->click();
    select(QPoint(100, 100), QPoint(300, 200));
    QVERIFY(waitForContinuation());
    const QString message = QStringLiteral("message:Printing Error: %1").arg(result::JobRejected);
    QVERIFY2(m_host->events.contains(message), qPrintable(m_host->events.join(" | ")));
    QVERIFY2(!m_host->messageDetails.constLast().isEmpty(), "the reason is told too");
    QCOMPARE(clipboardRead(), QByteArray("the user's text"));
    QCOMPARE(m_w->WASTEfield1->textLength(), 0);
}

void tst_PrintPipeline::emptyClipboardAtContinuation()
{
    m_w->PrintPushButton->click();
    select(QPoint(100, 100), QPoint(300, 200));
    // Another program empties the clipboard between the capture and the print.
    QGuiApplication::clipboard()->clear();
    QVERIFY(waitForContinuation());
    const QStringList expected{QStringLiteral("beep"),
                               QStringLiteral("message:") + printing::WhoopsMessage};
    QVERIFY2(m_host->events == expected, qPrintable(m_host->events.join(" | ")));
    QCOMPARE(clipboardRead(), QByteArray("the user's text"));
}

void tst_PrintPipeline::pageSetupCopiesFormat_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("accepted") << 0;
    QTest::newRow("cancelled") << -128;
}

void tst_PrintPipeline::pageSetupCopiesFormat()
{
    QFETCH(int, answer);
    PageFormat before;
    before.scalePercent = 80;
    m_w->WASTEfield1->setPageSetupString(before.toString());
    m_w->WASTEfield3->setPageSetupString(QStringLiteral("something older"));
    m_host->pageSetupAnswers.push_back({answer, [](PageFormat &f) {
                                            f.scalePercent = 50;
                                            f.orientation = QPageLayout::Landscape;
                                        }});
    m_w->PageSetUpPushButton->click();

    const QString format = m_w->WASTEfield1->pageSetupString();
    QCOMPARE(PageFormat::fromString(format)->scalePercent, answer == 0 ? 50 : 80);
    for (StyledDocument *doc :
         {m_w->WASTEfield2, m_w->WASTEfield3, m_w->PrintBoard2WasteField,
          m_w->PrintBoard3WASTEfield, m_w->PrintBoard4WASTEfield, m_w->PrintBoard5WASTEfield}) {
        QVERIFY2(doc->pageSetupString() == format, qPrintable(doc->objectName()));
    }
    QCOMPARE(m_w->WASTEfieldRestoreClipboard->pageSetupString(), QString());
    QVERIFY(m_host->messages.isEmpty());
}

void tst_PrintPipeline::escapeEndsSelection()
{
    m_w->PrintPushButton->click();
    QTRY_VERIFY(m_w->o && m_w->o->isVisible());
    QVERIFY(xdo({QStringLiteral("mousemove"), QStringLiteral("200"), QStringLiteral("200"),
                 QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("mousemove"),
                 QStringLiteral("400"), QStringLiteral("300"), QStringLiteral("key"),
                 QStringLiteral("Escape"), QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_VERIFY(!m_w->o->isVisible());
    QTest::qWait(300);
    QVERIFY2(m_host->events.isEmpty(), qPrintable(m_host->events.join(" | ")));
    QVERIFY(!m_w->Timer1->isActive());
    QCOMPARE(clipboardRead(), QByteArray("the user's text"));
}

QTEST_MAIN(tst_PrintPipeline)
#include "tst_printpipeline_desktop.moc"
