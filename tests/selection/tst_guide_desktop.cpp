// The selection's drawing, alerts and Auto-Scaling Guide on the real X server: the "c" key and
// the mouse come from XTest, the guide is a real window, beeps are counted by the recording host.
#include "core/module1.h"
#include "core/window1.h"
#include "platform/recordinghost.h"
#include "platform/styleddocument.h"
#include "selection/overlaywindow.h"
#include "selection/scaledisplaywindow.h"
#include "support/desktoptools.h"
#include "support/pdftools.h"
#include "support/testhost.h"

#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace desktoptools;

namespace {

QStringList move(int x, int y)
{
    return {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
            QStringLiteral("sleep"), QStringLiteral("0.15")};
}

} // namespace

class tst_GuideDesktop final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void cKeyAndEdgesMoveTheGuide();
    void alerts_data();
    void alerts();
    void printedPictureHasNoGuide();

private:
    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
};

void tst_GuideDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_GuideDesktop::init()
{
    Module1::reset();
    m_host->clear();
    m_w = new Window1;
}

void tst_GuideDesktop::cleanup()
{
    xdo({QStringLiteral("keyup"), QStringLiteral("c"), QStringLiteral("mouseup"),
         QStringLiteral("1")});
    ScaleDisplayWindow::closeIfOpen();
    delete m_w;
    m_w = nullptr;
}

void tst_GuideDesktop::cKeyAndEdgesMoveTheGuide()
{
    Module1::AutoScalingGuideP = true;
    Module1::SelectTimer = 0; // nothing continues after the selection
    m_w->start();
    QTRY_VERIFY(m_w->o->isVisible());

    QVERIFY(xdo(move(100, 100) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")} +
                move(400, 300) + move(800, 400)));
    // 702 x 300: too wide for portrait (520), and for landscape (678) too.
    ScaleDisplayWindow *guide = nullptr;
    QTRY_VERIFY((guide = ScaleDisplayWindow::existing()) && guide->isVisible());
    QCOMPARE(guide->windowTitle(), QStringLiteral("Scaling Guide:  Portrait"));
    QCOMPARE(guide->displayedText(), QStringLiteral("Scale Width To:  74%"));
    QCOMPARE(guide->contentSize(), QSize(150, 22));
    QCOMPARE(guide->pos(), QPoint(820, 412));
    QCOMPARE(m_w->ASGValuesEditfield->text(),
             QStringLiteral("\r\rPortrait Mode:  Scale Width To 74%\r"));
    QVERIFY2(!guide->isActiveWindow(), "the guide must not take the keyboard from the overlay");

    // "c" held: landscape from the next movement on, in the same window.
    QVERIFY(xdo(QStringList{QStringLiteral("keydown"), QStringLiteral("c")} + move(801, 401)));
    QTRY_COMPARE(guide->windowTitle(), QStringLiteral("Scaling Guide:  Landscape"));
    QCOMPARE(guide->displayedText(), QStringLiteral("Scale Width To:  96%"));
    QCOMPARE(ScaleDisplayWindow::existing(), guide);
    QVERIFY(xdo(QStringList{QStringLiteral("keyup"), QStringLiteral("c")} + move(802, 402)));
    QTRY_COMPARE(guide->windowTitle(), QStringLiteral("Scaling Guide:  Portrait"));

    // Near the right edge the guide goes left of the pointer, near the bottom above it.
    QVERIFY(xdo(move(1900, 300)));
    QTRY_COMPARE(guide->pos(), QPoint(1746, 330));
    QVERIFY(xdo(move(800, 1060)));
    QTRY_COMPARE(guide->pos(), QPoint(820, 1000));
    QCOMPARE(guide->displayedText(), QStringLiteral("Scale Width To:  74%\rScale Height To:  70%"));
    QCOMPARE(guide->contentSize(), QSize(166, 36));

    // Escape is still the overlay's: the keyboard never went to the guide.
    QVERIFY(xdo({QStringLiteral("key"), QStringLiteral("Escape")}));
    QTRY_VERIFY(!m_w->o->isVisible());
    QVERIFY(!ScaleDisplayWindow::existing());
}

void tst_GuideDesktop::alerts_data()
{
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("color");
    QTest::addColumn<bool>("guideOn");
    QTest::addColumn<QColor>("oversizeFill");
    const QColor yellow = QColor::fromRgbF(1, 1, 0.1, 0.3); // red 3.0 clamps to 1
    const QColor dark = QColor::fromRgbF(0.6, 0.6, 0.6, 0.6);
    QTest::newRow("sound and colour") << true << true << true << yellow;
    QTest::newRow("neither") << false << false << true << dark;
    QTest::newRow("guide off, alerts still on") << true << true << false << yellow;
}

void tst_GuideDesktop::alerts()
{
    QFETCH(bool, sound);
    QFETCH(bool, color);
    QFETCH(bool, guideOn);
    QFETCH(QColor, oversizeFill);
    Module1::DisplaySoundAlertP = sound;
    Module1::DisplayColorAlertP = color;
    Module1::AutoScalingGuideP = guideOn;
    Module1::SelectTimer = 0;
    m_w->start();
    QTRY_VERIFY(m_w->o->isVisible());
    OverlayWindow *o = m_w->o;
    const QColor plain = QColor::fromRgbF(0.1, 0.1, 0.1, 0.1);

    o->mouseDown(100, 100);
    o->mouseDragged(300, 200); // fits: one redraw
    QCOMPARE(o->context()->pendingFills().constLast().color, plain);
    QCOMPARE(m_host->beeps, 0);
    o->mouseDragged(800, 300); // 702 wide: oversize, and redrawn twice for being over 520
    o->mouseDragged(900, 350);
    QCOMPARE(m_host->beeps, sound ? 4 : 0);
    QCOMPARE(o->context()->pendingFills().constLast().color, oversizeFill);
    QCOMPARE(ScaleDisplayWindow::existing() != nullptr, guideOn);
    QCOMPARE(m_w->ASGValuesEditfield->text().isEmpty(), !guideOn);

    o->mouseDragged(400, 300); // fits again: the guide goes, the field empties
    QVERIFY(!ScaleDisplayWindow::existing());
    QVERIFY(m_w->ASGValuesEditfield->text().isEmpty());
    QCOMPARE(m_host->beeps, sound ? 4 : 0);
    o->mouseUp(400, 300);
}

void tst_GuideDesktop::printedPictureHasNoGuide()
{
    const QImage picture = pattern(800, 420);
    PatternWindow window(picture, QPoint(100, 100));
    QVERIFY(window.showAndWait());
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("with-guide.pdf"));

    Module1::AutoScalingGuideP = true;
    m_host->pageSetupAnswers.push_back({0, {}}); // the oversize selection opens page setup
    m_host->printAnswers.push_back({0, [pdf](QPrinter &printer) {
                                        printer.setOutputFormat(QPrinter::PdfFormat);
                                        printer.setOutputFileName(pdf);
                                    }});
    m_w->PrintPushButton->click();
    QTRY_VERIFY(m_w->o->isVisible());
    // On the way the guide stands over what ends up selected.
    QVERIFY(xdo(move(110, 110) + QStringList{QStringLiteral("mousedown"), QStringLiteral("1")} +
                move(500, 200) + move(700, 300) + move(850, 500)));
    QTRY_VERIFY(ScaleDisplayWindow::existing() && ScaleDisplayWindow::existing()->isVisible());
    QVERIFY(xdo({QStringLiteral("mouseup"), QStringLiteral("1")}));
    QTRY_VERIFY(!ScaleDisplayWindow::existing());
    QTRY_VERIFY_WITH_TIMEOUT(m_host->events.contains(QStringLiteral("print:0")), 5000);

    const QList<QImage> printed = pdftools::extractImages(pdf);
    QCOMPARE(printed.size(), 1);
    QString why;
    QVERIFY2(samePixels(printed.first(), picture.copy(10, 10, 740, 390), &why), qPrintable(why));
}

QTEST_MAIN(tst_GuideDesktop)
#include "tst_guide_desktop.moc"
