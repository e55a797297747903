#include "platform/documentprinter.h"
#include "platform/pageformat.h"
#include "platform/recordinghost.h"
#include "platform/resultcodes.h"
#include "platform/styleddocument.h"
#include "support/cupsqueue.h"
#include "support/dialogdriver.h"
#include "support/pdftools.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Every pixel of the first 256 x 256 differs from every other one, so a shifted, cropped or
// resampled copy never passes for the original.
QImage picture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x & 255, y & 255, ((x >> 8) * 64 + (y >> 8) * 16) & 255));
    return image;
}

QString differences(const QImage &got, const QImage &expected)
{
    if (got.size() != expected.size())
        return u"size %1x%2, expected %3x%4"_qs.arg(got.width())
            .arg(got.height())
            .arg(expected.width())
            .arg(expected.height());
    const QImage a = got.convertToFormat(QImage::Format_RGB32);
    const QImage b = expected.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    QString first;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && count++ == 0)
                first = u"(%1,%2) is %3, expected %4"_qs.arg(x)
                            .arg(y)
                            .arg(a.pixel(x, y), 8, 16)
                            .arg(b.pixel(x, y), 8, 16);
    return count ? u"%1 pixels differ, first %2"_qs.arg(count).arg(first) : QString();
}

QString rowsText(const QList<pdftools::ImageRow> &rows)
{
    QStringList parts;
    for (const auto &r : rows)
        parts << u"p%1 %2 %3x%4 %5 ppi %6x%7"_qs.arg(r.page)
                     .arg(r.type)
                     .arg(r.width)
                     .arg(r.height)
                     .arg(r.encoding)
                     .arg(r.xPpi)
                     .arg(r.yPpi);
    return parts.join(u"; "_qs);
}

int printToFile(const QTextDocument &doc, const QString &path, int scale,
                const PageFormat &format = {})
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFileName(path);
    platform::applyPageFormat(printer, format);
    return platform::printDocument(doc, printer, scale);
}

// A job title no other test run shares, so that its cups-pdf file can be told apart.
QString uniqueTitle()
{
    static int n = 0;
    return u"quillotest%1x%2"_qs.arg(QCoreApplication::applicationPid()).arg(++n);
}

} // namespace

class tst_DocumentPrinterDesktop final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void pictureToFile_data();
    void pictureToFile();
    void tallPictureContinuesOnNextPages();
    void longTextBreaksIntoPages();
    void throughCupsQueue();
    void rejectedJob();
    void vanishedQueue();
    void unwritableFile();
    void pageSetupDialog_data();
    void pageSetupDialog();
    void printDialog_data();
    void printDialog();
    void pageSetupThenPrintDialog();

private:
    QTemporaryDir m_dir;
    RecordingHost *m_host = nullptr;
    std::unique_ptr<Host> m_previousHost;
};

void tst_DocumentPrinterDesktop::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
    // The harness always provides the queue; without it this is a failure, not a skip.
    QVERIFY2(cupsqueue::exists(),
             "no CUPS queue “PDF” (run under scripts/desktop-env.sh --with-cups)");
    auto host = std::make_unique<RecordingHost>();
    m_host = host.get();
    m_previousHost = platform::setHost(std::move(host));
}

void tst_DocumentPrinterDesktop::cleanupTestCase()
{
    if (m_host)
        platform::setHost(std::move(m_previousHost));
    cupsqueue::accept();
}

void tst_DocumentPrinterDesktop::init()
{
    if (m_host)
        m_host->clear();
}

void tst_DocumentPrinterDesktop::pictureToFile_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QSizeF>("logical");
    QTest::addColumn<int>("scale");
    QTest::addColumn<qreal>("ppi");
    QTest::newRow("100 %: a pixel is a point")
        << QSize(200, 100) << QSizeF(200, 100) << 100 << 72.0;
    QTest::newRow("50 %: twice as fine") << QSize(200, 100) << QSizeF(200, 100) << 50 << 144.0;
    QTest::newRow("200 %: twice as large") << QSize(200, 100) << QSizeF(200, 100) << 200 << 36.0;
    QTest::newRow("HiDPI capture keeps every pixel")
        << QSize(400, 200) << QSizeF(200, 100) << 100 << 144.0;
}

void tst_DocumentPrinterDesktop::pictureToFile()
{
    QFETCH(QSize, pixels);
    QFETCH(QSizeF, logical);
    QFETCH(int, scale);
    QFETCH(qreal, ppi);
    const QImage image = picture(pixels.width(), pixels.height());
    StyledDocument doc;
    doc.setText(u"Above the picture\r"_qs);
    doc.setSelStart(doc.textLength());
    doc.insertPicture(image, logical);

    const QString pdf = m_dir.filePath(u"picture-%1.pdf"_qs.arg(QTest::currentDataTag()));
    const int r = printToFile(*doc.document(), pdf, scale);
    QVERIFY2(r == result::Done,
             qPrintable(u"%1: %2"_qs.arg(r).arg(platform::lastPrintErrorDetail())));

    QString error;
    const auto rows = pdftools::images(pdf, &error);
    QVERIFY2(rows.size() == 1, qPrintable(rowsText(rows) + error));
    const auto &row = rows.first();
    QVERIFY2(row.width == pixels.width() && row.height == pixels.height() && row.xPpi == ppi &&
                 row.yPpi == ppi && row.encoding == u"image"_qs,
             qPrintable(rowsText(rows)));
    const QSizeF printed = row.printedSizePt();
    const QSizeF expected = logical * scale / 100.0;
    QVERIFY2(qAbs(printed.width() - expected.width()) < 0.5 &&
                 qAbs(printed.height() - expected.height()) < 0.5,
             qPrintable(u"printed %1 x %2 pt"_qs.arg(printed.width()).arg(printed.height())));
    const auto extracted = pdftools::extractImages(pdf, &error);
    QVERIFY2(extracted.size() == 1, qPrintable(error));
    const QString diff = differences(extracted.first(), image);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(pdftools::pageCount(pdf), 1);
    QCOMPARE(pdftools::pageSizePt(pdf), QSizeF(612, 792));
}

void tst_DocumentPrinterDesktop::tallPictureContinuesOnNextPages()
{
    // 1500 points high on pages with 678 points of room: three pages, cut where each page ends.
    const QImage image = picture(300, 1500);
    StyledDocument doc;
    doc.insertPicture(image, QSizeF(300, 1500));
    const QString pdf = m_dir.filePath(u"tall.pdf"_qs);
    QCOMPARE(printToFile(*doc.document(), pdf, 100), result::Done);
    QCOMPARE(pdftools::pageCount(pdf), 3);

    // The whole picture on every page at full size, each page showing its own slice of it.
    const auto rows = pdftools::images(pdf);
    QVERIFY2(rows.size() == 3, qPrintable(rowsText(rows)));
    for (int i = 0; i < 3; ++i)
        QVERIFY2(rows[i].page == i + 1 && rows[i].width == 300 && rows[i].height == 1500 &&
                     rows[i].yPpi == 72,
                 qPrintable(rowsText(rows)));
    const QString diff = differences(pdftools::extractImages(pdf).value(0), image);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    // At 72 dpi a point is a pixel: the content starts at the margins (46, 57), and page n
    // shows picture rows from (n - 1) * 678 on.
    for (int page = 1; page <= 3; ++page) {
        const QString prefix = m_dir.filePath(u"tall-page%1"_qs.arg(page));
        QProcess::execute(u"pdftoppm"_qs,
                          {u"-r"_qs, u"72"_qs, u"-f"_qs, QString::number(page), u"-l"_qs,
                           QString::number(page), u"-png"_qs, u"-singlefile"_qs, pdf, prefix});
        const QImage rendered(prefix + u".png"_qs);
        QVERIFY2(!rendered.isNull(), qPrintable(prefix));
        for (int dy : {1, 300, 600}) {
            const int row = (page - 1) * 678 + dy;
            if (row >= 1500)
                continue;
            const QRgb got = rendered.pixel(46 + 150, 57 + dy);
            const QRgb want = image.pixel(150, row);
            QVERIFY2(qAbs(qRed(got) - qRed(want)) <= 2 && qAbs(qGreen(got) - qGreen(want)) <= 2 &&
                         qAbs(qBlue(got) - qBlue(want)) <= 2,
                     qPrintable(u"page %1, picture row %2: %3 instead of %4"_qs.arg(page)
                                    .arg(row)
                                    .arg(got, 8, 16)
                                    .arg(want, 8, 16)));
        }
    }
}

void tst_DocumentPrinterDesktop::longTextBreaksIntoPages()
{
    StyledDocument doc;
    QStringList paragraphs;
    for (int i = 1; i <= 150; ++i)
        paragraphs << u"para%1 of the long text"_qs.arg(i, 3, 10, QLatin1Char('0'));
    doc.setText(paragraphs.join(u"\r"_qs));
    const QString pdf = m_dir.filePath(u"long.pdf"_qs);
    QCOMPARE(printToFile(*doc.document(), pdf, 100), result::Done);
    const int pages = pdftools::pageCount(pdf);
    QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));

    // Every line once: a line moved to the next page must not also show at the foot of this one.
    const QString text = pdftools::text(pdf);
    for (int i = 1; i <= 150; ++i) {
        const QString tag = u"para%1"_qs.arg(i, 3, 10, QLatin1Char('0'));
        QVERIFY2(text.count(tag) == 1,
                 qPrintable(u"%1 found %2 times"_qs.arg(tag).arg(text.count(tag))));
    }

    // A page range prints only those pages.
    QPrinter printer(QPrinter::HighResolution);
    const QString part = m_dir.filePath(u"long-part.pdf"_qs);
    printer.setOutputFileName(part);
    platform::applyPageFormat(printer, PageFormat{});
    printer.setFromTo(2, 3);
    QCOMPARE(platform::printDocument(*doc.document(), printer, 100), result::Done);
    QCOMPARE(pdftools::pageCount(part), 2);
    const QString partText = pdftools::text(part);
    QVERIFY2(!partText.contains(u"para001"_qs) &&
                 partText.contains(text.split(u'\f').value(1).trimmed().left(7)),
             qPrintable(partText.left(200)));
}

void tst_DocumentPrinterDesktop::throughCupsQueue()
{
    const QImage image = picture(200, 100);
    StyledDocument doc;
    doc.insertPicture(image, QSizeF(200, 100));
    const QString title = uniqueTitle();
    m_host->printAnswers.push_back({result::Done, [title](QPrinter &p) {
                                        p.setPrinterName(
                                            QString::fromLatin1(cupsqueue::DefaultQueue));
                                        p.setDocName(title);
                                    }});
    const QDateTime start = QDateTime::currentDateTime();
    const int r = doc.print();
    QVERIFY2(r == result::Done,
             qPrintable(u"%1: %2"_qs.arg(r).arg(platform::lastPrintErrorDetail())));
    QVERIFY2(cupsqueue::waitUntilIdle(), "the job never left the queue");
    const QStringList files = cupsqueue::pdfsSince(start, title);
    QVERIFY2(files.size() == 1,
             qPrintable(cupsqueue::outputFolder() + u": "_qs + files.join(u", "_qs)));
    const QString pdf = files.first();

    const auto rows = pdftools::images(pdf);
    QVERIFY2(rows.size() == 1 && rows[0].width == 200 && rows[0].height == 100 &&
                 rows[0].xPpi == 72 && rows[0].yPpi == 72,
             qPrintable(rowsText(rows)));
    const QString diff = differences(pdftools::extractImages(pdf).value(0), image);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    // With no page setup the default printer's paper is used.
    const QSizeF paper = platform::defaultPageFormat().pageSize.size(QPageSize::Point);
    const QSizeF got = pdftools::pageSizePt(pdf);
    QVERIFY2(qAbs(got.width() - paper.width()) < 1 && qAbs(got.height() - paper.height()) < 1,
             qPrintable(u"%1 x %2"_qs.arg(got.width()).arg(got.height())));
    QFile::remove(pdf);
}

void tst_DocumentPrinterDesktop::rejectedJob()
{
    StyledDocument doc;
    doc.setText(u"refused"_qs);
    QVERIFY(cupsqueue::reject());
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(QString::fromLatin1(cupsqueue::DefaultQueue));
    printer.setDocName(uniqueTitle());
    const int r = platform::printDocument(*doc.document(), printer, 100);
    const QString detail = platform::lastPrintErrorDetail();
    QVERIFY(cupsqueue::accept());
    QVERIFY2(r == result::JobRejected, qPrintable(u"%1: %2"_qs.arg(r).arg(detail)));
    QCOMPARE(detail, u"The printer “PDF” is not accepting jobs."_qs);

    // The queue takes jobs again, and the earlier refusal does not stick to the next job.
    const QString title = uniqueTitle();
    QPrinter again(QPrinter::HighResolution);
    again.setPrinterName(QString::fromLatin1(cupsqueue::DefaultQueue));
    again.setDocName(title);
    const QDateTime start = QDateTime::currentDateTime();
    QCOMPARE(platform::printDocument(*doc.document(), again, 100), result::Done);
    QVERIFY(platform::lastPrintErrorDetail().isEmpty());
    QVERIFY(cupsqueue::waitUntilIdle());
    const QStringList files = cupsqueue::pdfsSince(start, title);
    QCOMPARE(files.size(), 1);
    QFile::remove(files.first());
}

void tst_DocumentPrinterDesktop::vanishedQueue()
{
    // The dialog only offers existing queues; one can still disappear before the job is sent.
    const QString queue = u"QuilloGone%1"_qs.arg(QCoreApplication::applicationPid());
    QVERIFY(cupsqueue::addPdfQueue(queue));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    QCOMPARE(printer.printerName(), queue);
    QVERIFY(cupsqueue::removeQueue(queue));
    StyledDocument doc;
    doc.setText(u"nowhere"_qs);
    const int r = platform::printDocument(*doc.document(), printer, 100);
    QVERIFY2(r == result::PrinterInvalid,
             qPrintable(u"%1: %2"_qs.arg(r).arg(platform::lastPrintErrorDetail())));
    QVERIFY(platform::lastPrintErrorDetail().contains(queue));
}

void tst_DocumentPrinterDesktop::unwritableFile()
{
    StyledDocument doc;
    doc.setText(u"nowhere"_qs);
    // Root may write anywhere, so the folder simply does not exist.
    const QString pdf = m_dir.filePath(u"no/such/folder/out.pdf"_qs);
    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    const int r = printToFile(*doc.document(), pdf, 100);
    QVERIFY2(r == result::PrinterOpenFailed,
             qPrintable(u"%1: %2"_qs.arg(r).arg(platform::lastPrintErrorDetail())));
    QVERIFY(platform::lastPrintErrorDetail().contains(u"out.pdf"_qs));
    QVERIFY(!QFileInfo::exists(pdf));
}

void tst_DocumentPrinterDesktop::pageSetupDialog_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK") << int(DialogDriver::Accept) << result::Done;
    QTest::newRow("Cancel") << int(DialogDriver::Cancel) << result::Cancelled;
    QTest::newRow("window closed") << int(DialogDriver::Close) << result::Cancelled;
}

void tst_DocumentPrinterDesktop::pageSetupDialog()
{
    QFETCH(int, answer);
    QFETCH(int, expected);
    StyledDocument doc;
    const QString before =
        u"quillo-page-format 1;paper=A4;orientation=portrait;scale=100;margins=20,30,40,50"_qs;
    doc.setPageSetupString(before);

    DialogDriver driver;
    driver.answerPageSetup(DialogDriver::Answer(answer),
                           {.scale = 50, .orientation = QPageLayout::Landscape, .paper = {}});
    const int r = doc.pageSetup();
    QVERIFY2(driver.errors().isEmpty(), qPrintable(driver.errors().join(u"; "_qs)));
    QCOMPARE(driver.log(), QStringList{u"pagesetup"_qs});
    QCOMPARE(r, expected);
    if (expected == result::Done) {
        // Paper and margins were not touched and stay as they were.
        QCOMPARE(
            doc.pageSetupString(),
            u"quillo-page-format 1;paper=A4;orientation=landscape;scale=50;margins=20,30,40,50"_qs);
    } else {
        QCOMPARE(doc.pageSetupString(), before);
    }
}

void tst_DocumentPrinterDesktop::printDialog_data()
{
    QTest::addColumn<bool>("accept");
    QTest::newRow("Print to a file") << true;
    QTest::newRow("Cancel") << false;
}

void tst_DocumentPrinterDesktop::printDialog()
{
    QFETCH(bool, accept);
    const QImage image = picture(200, 100);
    StyledDocument doc;
    doc.insertPicture(image, QSizeF(200, 100));
    const QString pdf = m_dir.filePath(u"dialog-%1.pdf"_qs.arg(accept));

    DialogDriver driver;
    if (accept)
        driver.printToFile(pdf);
    else
        driver.cancelPrint();
    const int r = doc.print();
    QVERIFY2(driver.errors().isEmpty(), qPrintable(driver.errors().join(u"; "_qs)));
    QCOMPARE(driver.log(), QStringList{u"print"_qs});
    QVERIFY2(r == (accept ? result::Done : result::Cancelled),
             qPrintable(u"%1: %2"_qs.arg(r).arg(platform::lastPrintErrorDetail())));
    QCOMPARE(QFileInfo::exists(pdf), accept);
    if (accept) {
        const QString diff = differences(pdftools::extractImages(pdf).value(0), image);
        QVERIFY2(diff.isEmpty(), qPrintable(diff));
    }
}

void tst_DocumentPrinterDesktop::pageSetupThenPrintDialog()
{
    const QImage image = picture(200, 100);
    StyledDocument doc;
    doc.insertPicture(image, QSizeF(200, 100));
    const QString pdf = m_dir.filePath(u"setup-then-print.pdf"_qs);

    DialogDriver driver;
    driver.answerPageSetup(DialogDriver::Accept,
                           {.scale = 50, .orientation = {}, .paper = QPageSize::Letter});
    driver.printToFile(pdf);
    QCOMPARE(doc.pageSetup(), result::Done);
    QCOMPARE(doc.print(), result::Done);
    QCOMPARE(driver.log(), (QStringList{u"pagesetup"_qs, u"print"_qs}));
    QCOMPARE(driver.pending(), 0);
    QCOMPARE(m_host->events, (QStringList{u"pagesetup:0"_qs, u"print:0"_qs}));

    const auto rows = pdftools::images(pdf);
    QVERIFY2(rows.size() == 1 && rows[0].xPpi == 144 && rows[0].yPpi == 144,
             qPrintable(rowsText(rows)));
    QCOMPARE(pdftools::pageSizePt(pdf), QSizeF(612, 792));
}

QTEST_MAIN(tst_DocumentPrinterDesktop)
#include "tst_documentprinter_desktop.moc"
