// Print Selection end to end, as a user meets it: a window with a known picture on screen, the
// command's button, a drag with the real mouse (XTest), the real print and page-setup dialogs
// answered like a person would, and the paper (a PDF) inspected afterwards.
#include "core/module1.h"
#include "core/window1.h"
#include "platform/pageformat.h"
#include "platform/recordinghost.h"
#include "platform/styleddocument.h"
#include "selection/overlaywindow.h"
#include "support/cupsqueue.h"
#include "support/desktoptools.h"
#include "support/dialogdriver.h"
#include "support/pdftools.h"
#include "support/testhost.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace desktoptools;

class tst_PrintSelection final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void printsSelection_data();
    void printsSelection();
    void ctrlForcesPageSetupAndKeepsCapture();

private:
    // The PDF the print produced, once it exists; "" after a timeout.
    QString waitForPdf(const QString &destination, const QString &file, const QDateTime &since);
    void checkPicture(const QString &pdf, double scale);

    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
    QImage m_pattern = pattern(320, 240);
    std::unique_ptr<PatternWindow> m_patternWindow;
    QTemporaryDir m_dir;
};

void tst_PrintSelection::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    QVERIFY2(cupsqueue::exists(), "this test needs the harness's CUPS queue PDF");
    QVERIFY(m_dir.isValid());
    m_host = installRecordingHost();
    m_patternWindow = std::make_unique<PatternWindow>(m_pattern, PatternAt);
    QVERIFY(m_patternWindow->showAndWait());
}

void tst_PrintSelection::init()
{
    Module1::reset();
    m_host->clear();
    m_w = new Window1;
}

void tst_PrintSelection::cleanup()
{
    delete m_w;
    m_w = nullptr;
    xdo({QStringLiteral("keyup"), QStringLiteral("ctrl")});
}

QString tst_PrintSelection::waitForPdf(const QString &destination, const QString &file,
                                       const QDateTime &since)
{
    if (destination == QLatin1String("file")) {
        (void)QTest::qWaitFor([&] { return QFileInfo(file).size() > 0; }, 10000);
        return QFileInfo::exists(file) ? file : QString();
    }
    if (!cupsqueue::waitUntilIdle())
        return {};
    QStringList found;
    (void)QTest::qWaitFor(
        [&] {
            found = cupsqueue::pdfsSince(since, QStringLiteral("Quillo"));
            return !found.isEmpty();
        },
        10000);
    return found.isEmpty() ? QString() : found.constLast();
}

void tst_PrintSelection::checkPicture(const QString &pdf, double scale)
{
    QString error;
    QList<pdftools::ImageRow> rows = pdftools::images(pdf, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    rows.removeIf([](const pdftools::ImageRow &r) { return r.type != QLatin1String("image"); });
    QCOMPARE(rows.size(), 1);
    const pdftools::ImageRow &row = rows.first();
    QCOMPARE(QSize(row.width, row.height), CapturedPart.size());
    const QSizeF printed = row.printedSizePt();
    const QSizeF expected = QSizeF(CapturedPart.size()) * scale;
    QVERIFY2(qAbs(printed.width() - expected.width()) < 1 &&
                 qAbs(printed.height() - expected.height()) < 1,
             qPrintable(QStringLiteral("printed %1 x %2 pt, expected %3 x %4")
                            .arg(printed.width())
                            .arg(printed.height())
                            .arg(expected.width())
                            .arg(expected.height())));
    const QList<QImage> pictures = pdftools::extractImages(pdf, &error);
    QVERIFY2(!pictures.isEmpty(), qPrintable(error));
    QString why;
    QVERIFY2(samePixels(pictures.first(), m_pattern.copy(CapturedPart), &why), qPrintable(why));
}

void tst_PrintSelection::printsSelection_data()
{
    QTest::addColumn<QString>("clipboard");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("destination");
    QTest::newRow("text clipboard, print to file, 100 %") << "text" << 100 << "file";
    QTest::newRow("picture clipboard, print to file, 50 %") << "picture" << 50 << "file";
    QTest::newRow("text clipboard, CUPS queue, 100 %") << "text" << 100 << "queue";
}

void tst_PrintSelection::printsSelection()
{
    QFETCH(QString, clipboard);
    QFETCH(int, scale);
    QFETCH(QString, destination);

    const QImage usersPicture = pattern(40, 30).mirrored(true, false);
    if (clipboard == QLatin1String("text"))
        QVERIFY(clipboardWrite("what the user copied"));
    else
        QVERIFY(clipboardWrite(pngBytes(usersPicture), QStringLiteral("image/png")));

    if (scale != 100) {
        PageFormat format;
        format.scalePercent = scale;
        m_w->WASTEfield1->setPageSetupString(format.toString());
    }
    const QString file =
        m_dir.filePath(QString::fromLatin1(QTest::currentDataTag()).left(20) + ".pdf");
    DialogDriver driver;
    if (destination == QLatin1String("file"))
        driver.printToFile(file);
    else
        driver.printToQueue(QLatin1String(cupsqueue::DefaultQueue));
    const QDateTime since = QDateTime::currentDateTime().addSecs(-1);

    m_w->PrintPushButton->click();
    QTRY_VERIFY(m_w->o && m_w->o->isVisible());
    QVERIFY(drag(DragFrom, DragTo));
    QTRY_VERIFY_WITH_TIMEOUT(driver.acted(), 5000);
    QTRY_VERIFY(!m_w->Timer1->isActive());
    QVERIFY2(driver.errors().isEmpty(), qPrintable(driver.errors().join('\n')));
    QCOMPARE(driver.log(), QStringList{QStringLiteral("print")});
    QVERIFY2(m_host->messages.isEmpty(), qPrintable(m_host->messages.join('\n')));
    QCOMPARE(m_w->WASTEfield1->textLength(), 0);

    const QString pdf = waitForPdf(destination, file, since);
    QVERIFY2(!pdf.isEmpty(), "nothing was printed");
    checkPicture(pdf, scale / 100.0);

    // The user's clipboard is back, as another program reads it.
    if (clipboard == QLatin1String("text")) {
        QCOMPARE(clipboardRead(), QByteArray("what the user copied"));
    } else {
        QString why;
        const QImage back = QImage::fromData(clipboardRead(QStringLiteral("image/png")));
        QVERIFY2(samePixels(back, usersPicture, &why), qPrintable(why));
    }
}

void tst_PrintSelection::ctrlForcesPageSetupAndKeepsCapture()
{
    QVERIFY(clipboardWrite("what the user copied"));
    const QString file = m_dir.filePath(QStringLiteral("forced-page-setup.pdf"));
    DialogDriver driver;
    driver.answerPageSetup(DialogDriver::Accept, {.scale = 100});
    driver.printToFile(file);

    QVERIFY(xdo({QStringLiteral("keydown"), QStringLiteral("ctrl")}));
    m_w->PrintPushButton->click();
    QVERIFY(xdo({QStringLiteral("keyup"), QStringLiteral("ctrl")}));
    QTRY_VERIFY(m_w->o && m_w->o->isVisible());
    QVERIFY(drag(DragFrom, DragTo));
    QTRY_VERIFY_WITH_TIMEOUT(driver.log().size() == 2, 5000);
    QTRY_VERIFY(!m_w->Timer9->isActive());
    QVERIFY2(driver.errors().isEmpty(), qPrintable(driver.errors().join('\n')));
    QCOMPARE(driver.log(), (QStringList{QStringLiteral("pagesetup"), QStringLiteral("print")}));
    QVERIFY(m_host->messages.isEmpty());

    const QString pdf = waitForPdf(QStringLiteral("file"), file, {});
    QVERIFY2(!pdf.isEmpty(), "nothing was printed");
    checkPicture(pdf, 1.0);
    // The capture stays on the clipboard, ready to be pasted elsewhere.
    QString why;
    const QImage onClipboard = QImage::fromData(clipboardRead(QStringLiteral("image/png")));
    QVERIFY2(samePixels(onClipboard, m_pattern.copy(CapturedPart), &why), qPrintable(why));
}

QTEST_MAIN(tst_PrintSelection)
#include "tst_printselection_desktop.moc"
