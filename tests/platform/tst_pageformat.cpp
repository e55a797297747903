#include "platform/documentprinter.h"
#include "platform/pageformat.h"

#include <QStandardPaths>
#include <QTest>

using Lines = QList<QPair<qreal, qreal>>;
using Starts = QList<qreal>;

class tst_PageFormat final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void roundTrip_data();
    void roundTrip();
    void writtenForm();
    void rejects_data();
    void rejects();
    void contentSize_data();
    void contentSize();
    void pageBreaks_data();
    void pageBreaks();
};

static PageFormat format(QPageSize paper, QPageLayout::Orientation orientation, int scale,
                         QMarginsF margins = {46, 57, 46, 57})
{
    PageFormat f;
    f.pageSize = paper;
    f.orientation = orientation;
    f.scalePercent = scale;
    f.marginsPt = margins;
    return f;
}

void tst_PageFormat::roundTrip_data()
{
    QTest::addColumn<PageFormat>("format");
    QTest::newRow("default") << PageFormat{};
    QTest::newRow("A4 landscape 50")
        << format(QPageSize(QPageSize::A4), QPageLayout::Landscape, 50);
    QTest::newRow("smallest scale, no margins")
        << format(QPageSize(QPageSize::Legal), QPageLayout::Portrait, PageFormat::MinScale, {});
    QTest::newRow("largest scale, fractional margins")
        << format(QPageSize(QPageSize::Tabloid), QPageLayout::Portrait, PageFormat::MaxScale,
                  {12.5, 0.25, 30, 72});
    QTest::newRow("ISO B5 and JIS B5 stay apart")
        << format(QPageSize(QPageSize::JisB5), QPageLayout::Portrait, 100);
    QTest::newRow("custom paper") << format(
        QPageSize(QSizeF(300, 400), QPageSize::Point, QString(), QPageSize::ExactMatch),
        QPageLayout::Landscape, 75);
}

void tst_PageFormat::roundTrip()
{
    QFETCH(PageFormat, format);
    const QString text = format.toString();
    const auto back = PageFormat::fromString(text);
    QVERIFY2(back, qPrintable(text));
    QVERIFY2(back->pageSize.isEquivalentTo(format.pageSize) &&
                 back->pageSize.id() == format.pageSize.id(),
             qPrintable(text + u" → "_qs + back->toString()));
    QCOMPARE(back->orientation, format.orientation);
    QCOMPARE(back->scalePercent, format.scalePercent);
    QCOMPARE(back->marginsPt, format.marginsPt);
    QCOMPARE(back->toString(), text);
}

void tst_PageFormat::writtenForm()
{
    QCOMPARE(
        PageFormat{}.toString(),
        u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=100;margins=46,57,46,57"_qs);
    // Field order is not significant for readers.
    const auto f = PageFormat::fromString(
        u"quillo-page-format 1;scale=50;margins=0,0,0,0;orientation=landscape;paper=A4"_qs);
    QVERIFY(f);
    QCOMPARE(f->pageSize.id(), QPageSize::A4);
    QCOMPARE(f->orientation, QPageLayout::Landscape);
    QCOMPARE(f->scalePercent, 50);
}

void tst_PageFormat::rejects_data()
{
    QTest::addColumn<QString>("text");
    const QString good = u"paper=Letter;orientation=portrait;scale=100;margins=46,57,46,57"_qs;
    QTest::newRow("empty") << QString();
    QTest::newRow("garbage") << u"\x01\x02 not a format"_qs;
    QTest::newRow("foreign header") << u"page-format 1;"_qs + good;
    QTest::newRow("future version") << u"quillo-page-format 2;"_qs + good;
    QTest::newRow("version not a number") << u"quillo-page-format one;"_qs + good;
    QTest::newRow("scale below minimum")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=4;margins=46,57,46,57"_qs;
    QTest::newRow("scale above maximum")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=401;margins=46,57,46,57"_qs;
    QTest::newRow("unknown paper")
        << u"quillo-page-format 1;paper=Napkin;orientation=portrait;scale=100;margins=46,57,46,57"_qs;
    QTest::newRow("unknown orientation")
        << u"quillo-page-format 1;paper=Letter;orientation=upside;scale=100;margins=46,57,46,57"_qs;
    QTest::newRow("negative margin")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=100;margins=-1,57,46,57"_qs;
    QTest::newRow("margins fill the page")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=100;margins=306,57,306,57"_qs;
    QTest::newRow("three margins")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=100;margins=46,57,46"_qs;
    QTest::newRow("missing field")
        << u"quillo-page-format 1;paper=Letter;orientation=portrait;scale=100"_qs;
    QTest::newRow("repeated field") << u"quillo-page-format 1;"_qs + good + u";scale=50"_qs;
    QTest::newRow("unknown field") << u"quillo-page-format 1;"_qs + good + u";color=red"_qs;
    QTest::newRow("custom paper of zero height")
        << u"quillo-page-format 1;paper=Custom.300x0;orientation=portrait;scale=100;margins=0,0,0,0"_qs;
}

void tst_PageFormat::rejects()
{
    QFETCH(QString, text);
    const auto f = PageFormat::fromString(text);
    QVERIFY2(!f, qPrintable(u"read as "_qs + (f ? f->toString() : QString())));
}

void tst_PageFormat::contentSize_data()
{
    QTest::addColumn<PageFormat>("format");
    QTest::addColumn<QSizeF>("expected");
    QTest::newRow("Letter portrait 100") << PageFormat{} << QSizeF(520, 678);
    QTest::newRow("Letter portrait 50")
        << format(QPageSize(QPageSize::Letter), QPageLayout::Portrait, 50) << QSizeF(1040, 1356);
    QTest::newRow("Letter portrait 200")
        << format(QPageSize(QPageSize::Letter), QPageLayout::Portrait, 200) << QSizeF(260, 339);
    QTest::newRow("Letter landscape 100")
        << format(QPageSize(QPageSize::Letter), QPageLayout::Landscape, 100) << QSizeF(700, 498);
    QTest::newRow("A4 no margins")
        << format(QPageSize(QPageSize::A4), QPageLayout::Portrait, 100, {}) << QSizeF(595, 842);
}

void tst_PageFormat::contentSize()
{
    QFETCH(PageFormat, format);
    QFETCH(QSizeF, expected);
    const QSizeF got = format.contentSizeAtScale();
    QVERIFY2(qAbs(got.width() - expected.width()) < 0.01 &&
                 qAbs(got.height() - expected.height()) < 0.01,
             qPrintable(u"%1 x %2"_qs.arg(got.width()).arg(got.height())));
}

void tst_PageFormat::pageBreaks_data()
{
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<qreal>("contentHeight");
    QTest::addColumn<qreal>("pageHeight");
    QTest::addColumn<Starts>("expected");

    const Lines text{{0, 20}, {20, 20}, {40, 20}, {60, 20}, {80, 20}};
    QTest::newRow("everything fits one page") << text << qreal(100) << qreal(678) << Starts{0};
    QTest::newRow("empty document") << Lines{} << qreal(0) << qreal(678) << Starts{0};
    QTest::newRow("lines end exactly at the page end")
        << text << qreal(100) << qreal(40) << Starts{0, 40, 80};
    QTest::newRow("straddling line moves down")
        << text << qreal(100) << qreal(50) << Starts{0, 40, 80};
    QTest::newRow("exact fit of the whole column") << text << qreal(100) << qreal(100) << Starts{0};
    // A 1500-high picture on 678-high pages: cut at the natural ends, three pages.
    QTest::newRow("picture over three pages")
        << Lines{{0, 1500}} << qreal(1500) << qreal(678) << Starts{0, 678, 1356};
    QTest::newRow("picture over two pages after text")
        << Lines{{0, 20}, {20, 1000}, {1020, 20}} << qreal(1040) << qreal(678) << Starts{0, 678};
    QTest::newRow("line taller than a page is cut, not moved")
        << Lines{{0, 10}, {10, 700}} << qreal(710) << qreal(678) << Starts{0, 678};
    QTest::newRow("page-high picture after text moves down whole")
        << Lines{{0, 20}, {20, 678}} << qreal(698) << qreal(678) << Starts{0, 20};
    QTest::newRow("moved line then a cut picture")
        << Lines{{0, 30}, {30, 30}, {60, 200}} << qreal(260) << qreal(50)
        << Starts{0, 30, 80, 130, 180, 230};
}

void tst_PageFormat::pageBreaks()
{
    QFETCH(Lines, lines);
    QFETCH(qreal, contentHeight);
    QFETCH(qreal, pageHeight);
    QFETCH(Starts, expected);
    const Starts got = platform::pageBreaks(lines, contentHeight, pageHeight);
    auto show = [](const Starts &s) {
        QStringList parts;
        for (qreal v : s)
            parts << QString::number(v);
        return parts.join(u", "_qs);
    };
    QVERIFY2(got == expected,
             qPrintable(u"got {%1}, expected {%2}"_qs.arg(show(got), show(expected))));
}

QTEST_GUILESS_MAIN(tst_PageFormat)
#include "tst_pageformat.moc"
