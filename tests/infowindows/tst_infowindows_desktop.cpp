// The about, tips, agreement and welcome windows, and the first run: the agreement offered while
// its file exists, accepting it, reading the welcome once, and declining.
#include "core/module1.h"
#include "core/resources.h"
#include "infowindows/aboutwindow.h"
#include "infowindows/agreementwindow.h"
#include "infowindows/tipswindow.h"
#include "infowindows/welcomewindow.h"
#include "platform/recordinghost.h"
#include "preferences/preferenceswindow.h"
#include "support/testhost.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

const QString Agreement = QStringLiteral("Software License");
const QString Welcome = QStringLiteral("QuilloWelcomeText");

bool copyShipped(const QString &name)
{
    return QFile::copy(QStringLiteral(QUILLO_SOURCE_RESOURCES "/") + name,
                       resources::filePath(name));
}

QString shippedText(const QString &name)
{
    QFile file(QStringLiteral(QUILLO_SOURCE_RESOURCES "/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every file of the folder with a hash of its content.
QStringList folderState(const QString &path)
{
    QStringList state;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return {QStringLiteral("unreadable ") + name};
        state
            << name + u' ' +
                   QString::fromLatin1(
                       QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1).toHex());
    }
    return state;
}

} // namespace

class tst_InfoWindows final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void windows_data();
    void windows();
    void tipsText();
    void aboutPicture();
    void accepting_data();
    void accepting();
    void noAgreementFile();
    // Ends the test program's event loop for good; keep it last.
    void decliningQuitsAndWritesNothing();

private:
    RecordingHost *m_host = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_InfoWindows::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
}

void tst_InfoWindows::init()
{
    Module1::reset();
    m_host->clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    resources::setFolder(m_dir->path());
}

void tst_InfoWindows::cleanup()
{
    AboutQuilloWindow::closeIfOpen();
    TipsWindow::closeIfOpen();
    LicenseAgreementWindow::closeIfOpen();
    WelcomeWindow::closeIfOpen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_InfoWindows::windows_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<bool>("floating");

    QTest::newRow("AboutQuilloWindow") << QStringLiteral("About Quillo " QUILLO_VERSION)
                                       << QSize(526, 396) << QColor(239, 239, 239) << true;
    QTest::newRow("TipsWindow") << "Quillo Tips" << QSize(410, 370) << QColor(Qt::white) << true;
    QTest::newRow("LicenseAgreementWindow")
        << "Software License Agreement" << QSize(482, 458) << QColor(Qt::white) << false;
    // Opened on a current desktop, wider than its 482-point design.
    QTest::newRow("WelcomeWindow") << "Welcome" << QSize(552, 456) << QColor(Qt::white) << false;
}

void tst_InfoWindows::windows()
{
    QFETCH(QString, title);
    QFETCH(QSize, size);
    QFETCH(QColor, background);
    QFETCH(bool, floating);

    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *window = nullptr;
    if (name == QLatin1String("AboutQuilloWindow")) {
        AboutQuilloWindow::instance()->showWindow();
        window = AboutQuilloWindow::existing();
    } else if (name == QLatin1String("TipsWindow")) {
        TipsWindow::instance()->showWindow();
        window = TipsWindow::existing();
    } else if (name == QLatin1String("LicenseAgreementWindow")) {
        QVERIFY(copyShipped(Agreement));
        QVERIFY(infowindows::showAgreementIfPresent());
        window = LicenseAgreementWindow::existing();
    } else {
        WelcomeWindow::instance()->showWelcome(QStringLiteral("<p>Hello</p>"));
        window = WelcomeWindow::existing();
    }
    QVERIFY(window);
    QVERIFY(QTest::qWaitForWindowExposed(window));

    QCOMPARE(window->objectName(), name);
    QCOMPARE(window->windowTitle(), title);
    QCOMPARE(window->size(), size);
    QVERIFY(window->autoFillBackground());
    QCOMPARE(window->palette().color(QPalette::Window), background);
    const Qt::WindowFlags flags = window->windowFlags();
    if (floating) {
        QVERIFY2(flags & Qt::WindowStaysOnTopHint, "a floating window stays above the others");
    } else {
        QVERIFY2((flags & Qt::CustomizeWindowHint) && !(flags & Qt::WindowMinimizeButtonHint),
                 "no minimise button");
    }
}

void tst_InfoWindows::tipsText()
{
    const QString expected = QStringLiteral(
        "\nTip1:  Holding down the \"c\" key while dragging the cursor over an oversized "
        "selection temporarily toggles the Auto-Scaling Guide's values between those for the "
        "Landscape mode and those for the Portrait mode.\n\nTip 2:  When the Auto-Scaling Guide "
        "displays a value for both width and height, use the smaller of the two values as the "
        "scaling value in the Page Setup dialog box.\n\nTip 3:  You can use Quillo to select and "
        "print any part of the contents of a PrintBoard project when it\u2019s displayed in the "
        "Print Preview window.  (You also can use Quillo with the Print Preview window when "
        "printing from any program.)\n\nTip 4:  If you want to print or save information from a "
        "web page, Finder list/window, document, or anything else that's too big to be fully "
        "displayed on your monitor, use the PrintBoard feature to place one page at a time on any "
        "of Quillo's PrintBoards.\n\n(For additional tips on using Quillo, please access Quillo's "
        "built-in Help files.)");

    QLabel *label = TipsWindow::instance()->StaticText1;
    QCOMPARE(label->text(), expected);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->geometry(), QRect(4, 3, 400, 370));
    // All of it readable inside the window, at no more than the design's 12 points.
    QVERIFY2(label->heightForWidth(400) <= 370 - 3 && label->font().pointSizeF() <= 12,
             qPrintable(QStringLiteral("%1 points high at %2 pt")
                            .arg(label->heightForWidth(400))
                            .arg(label->font().pointSizeF())));
}

void tst_InfoWindows::aboutPicture()
{
    QLabel *well = AboutQuilloWindow::instance()->ImageWell1;
    QCOMPARE(well->objectName(), QStringLiteral("ImageWell1"));
    QCOMPARE(well->geometry(), QRect(0, 0, 526, 396));
    const QPixmap picture = well->pixmap();
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(526, 396));
    // A drawing, not an empty frame: many colours across it.
    const QImage image = picture.toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 7) {
        for (int x = 0; x < image.width(); x += 7)
            colours.insert(image.pixel(x, y));
    }
    QVERIFY2(colours.size() > 20, qPrintable(QString::number(colours.size())));
}

void tst_InfoWindows::accepting_data()
{
    QTest::addColumn<bool>("withWelcome");
    QTest::newRow("agreement and welcome") << true;
    QTest::newRow("agreement only") << false;
}

void tst_InfoWindows::accepting()
{
    QFETCH(bool, withWelcome);
    QVERIFY(copyShipped(Agreement));
    if (withWelcome)
        QVERIFY(copyShipped(Welcome));

    QVERIFY(infowindows::showAgreementIfPresent());
    QPointer<LicenseAgreementWindow> agreement = LicenseAgreementWindow::existing();
    QVERIFY(agreement && agreement->isVisible());
    const QString text = agreement->LicenseAgreementEditField1->toPlainText();
    QCOMPARE(text, shippedText(Agreement));
    QVERIFY2(text.contains(QStringLiteral("Copyright (c) 2026 The Quillo developers")),
             qPrintable(text.left(200)));
    QVERIFY(agreement->LicenseAgreementEditField1->isReadOnly());

    agreement->AgreePushButton->click();
    QVERIFY(!resources::exists(Agreement));
    QVERIFY(!LicenseAgreementWindow::existing());
    QVERIFY(!agreement || !agreement->isVisible());

    if (withWelcome) {
        WelcomeWindow *welcome = WelcomeWindow::existing();
        QVERIFY(welcome);
        QVERIFY(QTest::qWaitForWindowExposed(welcome));
        QTextEdit *field = welcome->WelcomeWindowEditField;
        QCOMPARE(field->geometry(), QRect(-1, -1, 551, 458));
        QCOMPARE(field->palette().color(QPalette::Base), QColor(229, 229, 163));
        QVERIFY(field->isReadOnly());
        const QString shown = field->toPlainText();
        QVERIFY2(shown.contains(QStringLiteral("Set/View Keyboard Shortcuts")) &&
                     shown.contains(QStringLiteral("Escape")) && !shown.contains(u'<'),
                 qPrintable(shown));
        // The field keeps to the window's edges.
        welcome->resize(600, 500);
        QTRY_COMPARE(field->geometry(), QRect(-1, -1, 599, 502));

        QVERIFY(resources::exists(Welcome));
        welcome->close();
        QVERIFY(!resources::exists(Welcome));
        QVERIFY(!WelcomeWindow::existing());
    } else {
        QVERIFY(!WelcomeWindow::existing());
    }
    QCOMPARE(m_host->messages, QStringList());

    // The next start offers nothing.
    QVERIFY(!infowindows::showAgreementIfPresent());
    QVERIFY(!LicenseAgreementWindow::existing());
}

void tst_InfoWindows::noAgreementFile()
{
    QVERIFY(copyShipped(Welcome));
    QVERIFY(!infowindows::showAgreementIfPresent());
    QVERIFY(!LicenseAgreementWindow::existing());
    QVERIFY(!WelcomeWindow::existing());
    QVERIFY(resources::exists(Welcome));
}

void tst_InfoWindows::decliningQuitsAndWritesNothing()
{
    QVERIFY(copyShipped(Agreement));
    QVERIFY(copyShipped(Welcome));
    // A preferences window open with a change: closing it would normally write six files.
    PreferencesWindow *preferences = PreferencesWindow::instance();
    preferences->showWindow();
    preferences->SoundPrefCheckBox->click();
    QVERIFY(infowindows::showAgreementIfPresent());
    const QStringList before = folderState(m_dir->path());
    QCOMPARE(before.size(), 2);

    bool aboutToQuit = false;
    connect(qApp, &QCoreApplication::aboutToQuit, this, [&aboutToQuit] { aboutToQuit = true; });
    QTimer::singleShot(0, LicenseAgreementWindow::existing()->DeclinePushButon,
                       &QPushButton::click);
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(2); });
    guard.start(10000);
    QVERIFY(!infowindows::declined());
    const int code = QCoreApplication::exec();

    QCOMPARE(code, 0);
    QVERIFY(infowindows::declined());
    QVERIFY(aboutToQuit);
    // What a quitting desktop does with the windows still open.
    PreferencesWindow::closeIfOpen();
    LicenseAgreementWindow::closeIfOpen();
    QCOMPARE(folderState(m_dir->path()), before);
}

QTEST_MAIN(tst_InfoWindows)
#include "tst_infowindows_desktop.moc"
