#include "selection/geometry.h"

#include <QTest>

using namespace selection;

class tst_Geometry final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void rectangle_data();
    void rectangle();
    void oversize_data();
    void oversize();
    void toWidget();
};

void tst_Geometry::rectangle_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("height");
    QTest::addColumn<bool>("accepted");

    // Width is two points more than the drag; height is press minus release.
    QTest::newRow("6 right, 1 down: smallest accepted")
        << QPoint(100, 100) << QPoint(106, 101) << 8.0 << -1.0 << true;
    QTest::newRow("5 right: too narrow")
        << QPoint(100, 100) << QPoint(105, 300) << 7.0 << -200.0 << false;
    QTest::newRow("plain click") << QPoint(100, 100) << QPoint(100, 100) << 2.0 << 0.0 << false;
    QTest::newRow("straight right, no height")
        << QPoint(100, 100) << QPoint(400, 100) << 302.0 << 0.0 << false;
    QTest::newRow("dragged upward")
        << QPoint(100, 300) << QPoint(400, 100) << 302.0 << 200.0 << false;
    QTest::newRow("dragged to the left")
        << QPoint(400, 100) << QPoint(100, 300) << -298.0 << -200.0 << false;
    QTest::newRow("ordinary") << QPoint(10, 20) << QPoint(610, 720) << 602.0 << -700.0 << true;
}

void tst_Geometry::rectangle()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(double, width);
    QFETCH(double, height);
    QFETCH(bool, accepted);

    const double screenHeight = 1080;
    const DrawRect r = selectionRect(press.x(), press.y(), release.x(), release.y(), screenHeight);
    QCOMPARE(r.left, double(press.x()));
    QCOMPARE(r.top, screenHeight - press.y());
    QCOMPARE(r.width, width);
    QCOMPARE(r.height, height);
    QCOMPARE(isAcceptable(r), accepted);
    // The captured area is the drag itself, without the two extra points.
    QCOMPARE(captureArea(press.x(), press.y(), release.x(), release.y()),
             QRect(press, QSize(release.x() - press.x(), release.y() - press.y())));
}

void tst_Geometry::oversize_data()
{
    QTest::addColumn<int>("width");  // of the drag
    QTest::addColumn<int>("height"); // of the drag, downward
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<bool>("landscape");

    // The rectangle is two points wider than the drag.
    QTest::newRow("exactly at the portrait limits") << 518 << 678 << false << true;
    QTest::newRow("one point too wide for portrait") << 519 << 100 << true << false;
    QTest::newRow("one point too tall for portrait") << 100 << 679 << true << true;
    QTest::newRow("600 wide fits landscape only") << 598 << 500 << true << false;
    QTest::newRow("700 x 700 too big either way") << 698 << 700 << true << true;
}

void tst_Geometry::oversize()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, portrait);
    QFETCH(bool, landscape);
    const DrawRect r = selectionRect(0, 0, width, height, 1080);
    QCOMPARE(isOversize(r, PortraitLimits), portrait);
    QCOMPARE(isOversize(r, LandscapeLimits), landscape);
}

void tst_Geometry::toWidget()
{
    // A drag from (100, 50) to (300, 250) shows from the press point down to the release point.
    const DrawRect r = selectionRect(100, 50, 300, 250, 1080);
    QCOMPARE(toWidgetRect(r, 1080), QRectF(100, 50, 202, 200));
    QCOMPARE(toWidgetRect(DrawRect{0, 0, 1920, 1080}, 1080), QRectF(0, 0, 1920, 1080));
}

QTEST_APPLESS_MAIN(tst_Geometry)
#include "tst_geometry.moc"
