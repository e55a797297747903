#include "selection/guide.h"

#include <QTest>

using namespace selection;

class tst_Guide final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void guide_data();
    void guide();
    void percent_data();
    void percent();
    void placement_data();
    void placement();
};

void tst_Guide::guide_data()
{
    QTest::addColumn<int>("width");  // of the rectangle
    QTest::addColumn<int>("height"); // of the drag, downward
    QTest::addColumn<bool>("landscapePreference");
    QTest::addColumn<bool>("cHeld");
    QTest::addColumn<bool>("oversize");
    QTest::addColumn<int>("guideWidth");
    QTest::addColumn<int>("guideHeight");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("sentence");

    QTest::newRow("600 x 500 portrait: width only, 86 from 86.67")
        << 600 << 500 << false << false << true << 150 << 22 << "Scaling Guide:  Portrait"
        << "Scale Width To:  86%"
        << "\r\rPortrait Mode:  Scale Width To 86%\r";
    QTest::newRow("600 x 500 with c held: landscape, fits")
        << 600 << 500 << false << true << false << 0 << 0 << ""
        << ""
        << "";
    QTest::newRow("600 x 500, landscape preference: fits")
        << 600 << 500 << true << false << false << 0 << 0 << ""
        << ""
        << "";
    QTest::newRow("landscape preference with c held: portrait again")
        << 600 << 500 << true << true << true << 150 << 22 << "Scaling Guide:  Portrait"
        << "Scale Width To:  86%"
        << "\r\rPortrait Mode:  Scale Width To 86%\r";
    QTest::newRow("700 x 700 portrait: both, 74 and 96")
        << 700 << 700 << false << false << true << 166 << 36 << "Scaling Guide:  Portrait"
        << "Scale Width To:  74%\rScale Height To:  96%"
        << "\r\rPortrait Mode:  Scale Width To 74%, Scale Height To 96%\r";
    QTest::newRow("700 x 700 landscape: both")
        << 700 << 700 << true << false << true << 166 << 36 << "Scaling Guide:  Landscape"
        << "Scale Width To:  96%\rScale Height To:  74%"
        << "\r\rLandscape Mode:  Scale Width To 96%, Scale Height To 74%\r";
    QTest::newRow("height only: 166 wide, one line")
        << 400 << 800 << false << false << true << 166 << 22 << "Scaling Guide:  Portrait"
        << "Scale Height To:  84%"
        << "\r\rPortrait Mode:  Scale Height To 84%\r";
    QTest::newRow("exactly 520 x 678 portrait: fits")
        << 520 << 678 << false << false << false << 0 << 0 << ""
        << ""
        << "";
    QTest::newRow("6000 wide: below 10 without a decimal point")
        << 6000 << 100 << false << false << true << 150 << 22 << "Scaling Guide:  Portrait"
        << "Scale Width To:  8%"
        << "\r\rPortrait Mode:  Scale Width To 8%\r";
    QTest::newRow("wide and dragged upward: no height percentage")
        << 900 << -300 << false << false << true << 150 << 22 << "Scaling Guide:  Portrait"
        << "Scale Width To:  57%"
        << "\r\rPortrait Mode:  Scale Width To 57%\r";
}

void tst_Guide::guide()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, landscapePreference);
    QFETCH(bool, cHeld);
    QFETCH(bool, oversize);

    // A drag from (0, 0) gives a rectangle two points wider than the drag.
    const DrawRect r = selectionRect(0, 0, width - 2, height, 1080);
    const Orientation o = orientationFor(landscapePreference, cHeld);
    const std::optional<Guide> g = guideFor(r, o);
    QCOMPARE(g.has_value(), oversize);
    QCOMPARE(isOversize(r, limitsFor(o)), oversize);
    if (!g)
        return;
    QTEST(g->width, "guideWidth");
    QTEST(g->height, "guideHeight");
    QTEST(g->title, "title");
    QTEST(g->text, "text");
    QTEST(g->sentence, "sentence");
}

void tst_Guide::percent_data()
{
    QTest::addColumn<double>("percent");
    QTest::addColumn<QString>("text");
    QTest::newRow("cut, not rounded") << 86.67 << "86";
    QTest::newRow("99.99") << 99.99 << "99";
    QTest::newRow("exactly 10") << 10.0 << "10";
    QTest::newRow("9.99") << 9.99 << "9";
    QTest::newRow("0.5") << 0.5 << "0";
}

void tst_Guide::percent()
{
    QFETCH(double, percent);
    QTEST(percentText(percent), "text");
}

void tst_Guide::placement_data()
{
    QTest::addColumn<QPoint>("pointer");
    QTest::addColumn<QPoint>("topLeft");
    QTest::newRow("beside the pointer") << QPoint(500, 400) << QPoint(520, 412);
    QTest::newRow("last spot still to the right") << QPoint(1766, 400) << QPoint(1786, 412);
    QTest::newRow("near the right edge: to the left") << QPoint(1767, 400) << QPoint(1613, 430);
    QTest::newRow("near the bottom edge: above") << QPoint(500, 1030) << QPoint(520, 970);
    QTest::newRow("bottom-right corner") << QPoint(1900, 1070) << QPoint(1746, 1010);
}

void tst_Guide::placement()
{
    QFETCH(QPoint, pointer);
    QTEST(guidePosition(pointer, QSize(1920, 1080)), "topLeft");
}

QTEST_APPLESS_MAIN(tst_Guide)
#include "tst_guide.moc"
