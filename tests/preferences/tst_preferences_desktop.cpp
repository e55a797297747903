// The preferences window: its boxes against the flag files, the variables they switch, and what
// closing it writes.
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/recordinghost.h"
#include "preferences/preferenceswindow.h"
#include "selection/overlaywindow.h"
#include "selection/scaledisplaywindow.h"
#include "support/desktoptools.h"
#include "support/testhost.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <cctype>
#include <memory>

namespace {

// Typed from the description of the files, not taken from the program's table, so that a
// misspelt keyword there shows up here.
struct Expected
{
    const char *box;
    const char *file;
    const char *on;
    const char *off;
    bool *variable;
};
const Expected s_expected[] = {
    {"SoundPrefCheckBox", "Quillo SoundA Preferences", "DsplaySoundAlertTrue",
     "DisplaySoundAlertFalse", &Module1::DisplaySoundAlertP},
    {"ColorWarningPrefCheckBox", "Quillo DispA Preferences", "displayColorAlertTrue",
     "displayColorAlertFalse", &Module1::DisplayColorAlertP},
    {"ContMenuPrefCheckBox", "Quillo CMV Preferences", "KeepContMenuDisplayedTrue",
     "KeepContMenuDisplayedFalse", &Module1::KeepContextualMenuDisplayedP},
    {"AutoScalingGuideCheckBox", "PreferencesAScaleG", "DsplayScalingGuideTrue",
     "DsplayScalingGuideFalse", &Module1::AutoScalingGuideP},
    {"SetASGtoLandscapeMode", "PreferencesSetASGtoLandscape", "SetASGtoLandscapeTrue",
     "SetASGtoLandscapeFalse", &Module1::ScaleForLandscapeMode},
    {"PageSetUpCheckBox", "PageSetup Preferences", "DsplayPageSetupTrue", "DsplayPageSetupFalse",
     &Module1::AlwaysDisplayPageSetUpP},
};

const Expected &expected(const QString &box)
{
    for (const Expected &e : s_expected) {
        if (box == QLatin1String(e.box))
            return e;
    }
    qFatal("no box %s", qPrintable(box));
}

QByteArray swapCase(const QByteArray &text)
{
    QByteArray swapped = text;
    for (char &c : swapped)
        c = std::isupper(uchar(c)) ? char(std::tolower(uchar(c))) : char(std::toupper(uchar(c)));
    return swapped;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_Preferences final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void boxReadsItsFile_data();
    void boxReadsItsFile();
    void clickTakesEffectAtOnce();
    void closingWritesAllSix_data();
    void closingWritesAllSix();
    void unwritableFolder_data();
    void unwritableFolder();
    void nextSelectionFollowsTheBoxes();

private:
    RecordingHost *m_host = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    int m_shortcutEditorOpened = 0;
    QStringList m_filesWhenCommandWindowClosed; // one entry per call: the files then present
};

void tst_Preferences::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
    PreferencesWindow::setOpenShortcutEditor([this] { ++m_shortcutEditorOpened; });
    PreferencesWindow::setCloseCommandWindow([this] {
        m_filesWhenCommandWindowClosed << QDir(m_dir->path()).entryList(QDir::Files).join(u'|');
    });
}

void tst_Preferences::init()
{
    Module1::reset();
    m_host->clear();
    m_shortcutEditorOpened = 0;
    m_filesWhenCommandWindowClosed.clear();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    resources::setFolder(m_dir->path());
}

void tst_Preferences::cleanup()
{
    PreferencesWindow::closeIfOpen();
    ScaleDisplayWindow::closeIfOpen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void tst_Preferences::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("helpTag");

    QTest::newRow("sound") << "SoundPrefCheckBox" << QRect(9, 19, 280, 20)
                           << "Enable Sound Alert For Oversized Selection"
                           << "When checked, Quillo will beep to signal you when your selection is "
                              "larger than  the printing area for an 8.5\" x 11\" page (it's OK to "
                              "make an oversized selection).\r\rUse Page Setup dialog box for "
                              "printing an oversized selection on a single page.";
    QTest::newRow("colour") << "ColorWarningPrefCheckBox" << QRect(9, 48, 260, 20)
                            << "Enable Color Alert For Oversized Selection"
                            << "When checked, Quillo changes the color of the selection area to "
                               "signal you the selection is larger than the printing area of an "
                               "8.5\" x 11\" page (it's OK to make an oversized selection).\r\r"
                               "When not checked, Quillo (in Panther) uses a darker shade of grey "
                               "to indicate the selection area is oversized.\r\rUse Page Setup "
                               "option in the contextual menu to print/view 100 % of an oversized "
                               "selection that's been stored on the PrintBoard.\r\r";
    QTest::newRow("command window") << "ContMenuPrefCheckBox" << QRect(9, 77, 260, 20)
                                    << "Enable Contextual Menu to Remain Visible"
                                    << "When this box is checked, the contextual menu will remain "
                                       "on your screen even after you have used it to perform "
                                       "some function.\r\rThis feature is especially handy when "
                                       "you expect to use Quillo multiple times or for multiple "
                                       "actions.";
    QTest::newRow("guide") << "AutoScalingGuideCheckBox" << QRect(9, 106, 260, 20)
                           << "Enable Auto-Scaling Guide"
                           << "When checked, this preference item provides you with a dynamic "
                              "display of the horizontal and vertical scaling values to be used to "
                              "print 100% of an oversized selection on a single page.\r\rNOTE:  "
                              "These values are for the Portrait orientation in the Page Setup "
                              "dialog box unless the preference for setting the guide to the "
                              "Landscape mode is checked.\r\rIf both the horizontal and the "
                              "vertical selection areas are oversized, using the lower of the two "
                              "scaling values in the Scaling Guide results in 100% of your "
                              "selection being printed on a single page.";
    QTest::newRow("landscape") << "SetASGtoLandscapeMode" << QRect(9, 135, 260, 20)
                               << "Set Auto-Scaling Guide to Landscape Mode"
                               << "When this preference item is checked, the scaling values "
                                  "displayed in the Auto-Scaling Guide are for the Landscape mode "
                                  "of the Page Setup dialog box.\r\rNOTE:  This preference can be "
                                  "used to configure the sound alert and color alert preference "
                                  "settings for the Landscape mode even when the Auto-Scaling "
                                  "Guide isn't enabled.";
    QTest::newRow("page setup") << "PageSetUpCheckBox" << QRect(9, 164, 260, 20)
                                << "Always Display Page Setup Dialog Box"
                                << "When checked, Quillo always will display a Page Setup dialog "
                                   "box before printing your selections and when you add "
                                   "selections to the PrintBoard.  (If you find that you "
                                   "frequently forget to reset the scaling value for your print "
                                   "jobs after having printed an oversized selection, using this "
                                   "feature will remind you the scaling value needs to be "
                                   "changed.)\r\rNOTE:  Quillo will display the Page Setup dialog "
                                   "for oversized selections even when this box isn't checked.";
    QTest::newRow("shortcuts button")
        << "PushButton1" << QRect(44, 198, 194, 20) << "Set/View Keyboard Shortcuts" << QString();
}

void tst_Preferences::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(QString, helpTag);

    PreferencesWindow *window = PreferencesWindow::instance();
    QCOMPARE(window->windowTitle(), QStringLiteral("Quillo Preferences"));
    QCOMPARE(window->size(), QSize(282, 240));
    QVERIFY(window->windowFlags() & Qt::WindowStaysOnTopHint);

    auto *control = window->findChild<QAbstractButton *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->text(), caption);
    // Nothing of the caption may be cut off by the box or the window's edge.
    const int room = std::min(geometry.right() + 1, window->width()) - geometry.x();
    QVERIFY2(control->sizeHint().width() <= room,
             qPrintable(QStringLiteral("%1 needs %2 points, has %3 at %4 pt")
                            .arg(name)
                            .arg(control->sizeHint().width())
                            .arg(room)
                            .arg(control->font().pointSizeF())));
    QVERIFY2(control->font().pointSizeF() <= 11, qPrintable(control->font().toString()));

    if (helpTag.isEmpty())
        return;
    const auto *entry = std::find_if(
        PreferencesWindow::boxes(), PreferencesWindow::boxes() + PreferencesWindow::BoxCount,
        [&](const PreferencesWindow::Box &b) { return name == QLatin1String(b.name); });
    QCOMPARE(QString::fromUtf8(entry->helpTag), helpTag);
    // The tooltip shows the same words, the paragraph breaks as line breaks (trailing ones
    // dropped) and the double blanks kept.
    QTextDocument shown;
    shown.setHtml(control->toolTip());
    QString paragraphs = helpTag;
    while (paragraphs.endsWith(u'\r'))
        paragraphs.chop(1);
    QCOMPARE(shown.toPlainText(), paragraphs.replace(u'\r', u'\n'));
}

void tst_Preferences::boxReadsItsFile_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("present");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("variableBefore");
    QTest::addColumn<bool>("boxOn");
    QTest::addColumn<bool>("variableAfter");

    for (const Expected &e : s_expected) {
        const QByteArray on(e.on);
        QTest::addRow("%s: on keyword", e.box) << e.box << true << on + '\n'
                                               << false << true << true;
        QTest::addRow("%s: on keyword in other letter case", e.box)
            << e.box << true << swapCase(on) + '\n'
            << false << true << true;
        QTest::addRow("%s: off keyword", e.box) << e.box << true << QByteArray(e.off) + '\n'
                                                << false << false << false;
    }
    QTest::newRow("sound: Display for Dsplay")
        << "SoundPrefCheckBox" << true << QByteArray("DisplaySoundAlertTrue\n") << false << false
        << false;
    QTest::newRow("sound: trailing blank")
        << "SoundPrefCheckBox" << true << QByteArray("DsplaySoundAlertTrue \n") << false << false
        << false;
    QTest::newRow("colour: capital D")
        << "ColorWarningPrefCheckBox" << true << QByteArray("DisplayColorAlertTrue\n") << false
        << true << true;
    QTest::newRow("command window: more lines follow")
        << "ContMenuPrefCheckBox" << true << QByteArray("KeepContMenuDisplayedTrue\nfalse\n")
        << false << true << true;
    QTest::newRow("guide: CRLF") << "AutoScalingGuideCheckBox" << true
                                 << QByteArray("DsplayScalingGuideTrue\r\n") << false << true
                                 << true;
    QTest::newRow("page setup: CR, no line end")
        << "PageSetUpCheckBox" << true << QByteArray("DsplayPageSetupTrue\r") << false << true
        << true;
    QTest::newRow("landscape: empty file")
        << "SetASGtoLandscapeMode" << true << QByteArray() << false << false << false;
    QTest::newRow("command window: megabytes on the first line")
        << "ContMenuPrefCheckBox" << true
        << QByteArray("KeepContMenuDisplayedTrue") + QByteArray(4 << 20, 'x') << false << false
        << false;
    QTest::newRow("command window: megabytes after the first line")
        << "ContMenuPrefCheckBox" << true
        << QByteArray("KeepContMenuDisplayedTrue\n") + QByteArray(4 << 20, 'x') << false << true
        << true;
    // A file that does not say "on" leaves the variable as it was.
    QTest::newRow("sound: missing, variable on")
        << "SoundPrefCheckBox" << false << QByteArray() << true << false << true;
    QTest::newRow("sound: off, variable on")
        << "SoundPrefCheckBox" << true << QByteArray("DisplaySoundAlertFalse\n") << true << false
        << true;
    QTest::newRow("sound: on, variable on already")
        << "SoundPrefCheckBox" << true << QByteArray("DsplaySoundAlertTrue\n") << true << true
        << true;
}

void tst_Preferences::boxReadsItsFile()
{
    QFETCH(QString, box);
    QFETCH(bool, present);
    QFETCH(QByteArray, content);
    QFETCH(bool, variableBefore);
    QFETCH(bool, boxOn);
    QFETCH(bool, variableAfter);

    const Expected &e = expected(box);
    if (present)
        QVERIFY(writeFile(resources::filePath(QLatin1String(e.file)), content));
    *e.variable = variableBefore;

    PreferencesWindow *window = PreferencesWindow::instance();
    QCOMPARE(window->box(e.box)->isChecked(), boxOn);
    QCOMPARE(*e.variable, variableAfter);
    for (const Expected &other : s_expected) {
        if (&other != &e) {
            QVERIFY2(!window->box(other.box)->isChecked(), other.box);
            QVERIFY2(!*other.variable, other.box);
        }
    }
}

void tst_Preferences::clickTakesEffectAtOnce()
{
    PreferencesWindow *window = PreferencesWindow::instance();
    window->showWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));

    for (const Expected &e : s_expected) {
        QCheckBox *box = window->box(e.box);
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY2(box->isChecked() && *e.variable, e.box);
        box->click();
        QVERIFY2(!box->isChecked() && !*e.variable, e.box);
    }
    QVERIFY(QDir(m_dir->path()).isEmpty()); // nothing is written before the window closes

    // A guide on screen goes when the orientation changes, not for the other preferences.
    ScaleDisplayWindow *guide = ScaleDisplayWindow::instance();
    guide->show();
    window->SoundPrefCheckBox->click();
    window->AutoScalingGuideCheckBox->click();
    QVERIFY(guide->isVisible());
    window->SetASGtoLandscapeMode->click();
    QVERIFY(!guide->isVisible());
    QVERIFY(Module1::ScaleForLandscapeMode);

    QCOMPARE(m_shortcutEditorOpened, 0);
    window->PushButton1->click();
    QCOMPARE(m_shortcutEditorOpened, 1);
}

void tst_Preferences::closingWritesAllSix_data()
{
    QTest::addColumn<QStringList>("onAtOpening");
    QTest::addColumn<QStringList>("clicked");

    QTest::newRow("fresh folder, untouched") << QStringList() << QStringList();
    QStringList all;
    for (const Expected &e : s_expected)
        all << e.box;
    QTest::newRow("all on, untouched") << all << QStringList();
    QTest::newRow("some switched")
        << QStringList{"ContMenuPrefCheckBox", "SetASGtoLandscapeMode", "SoundPrefCheckBox"}
        << QStringList{"SoundPrefCheckBox", "SetASGtoLandscapeMode", "PageSetUpCheckBox",
                       "ColorWarningPrefCheckBox", "ColorWarningPrefCheckBox"};
    QTest::newRow("command window kept on") << QStringList() << QStringList{"ContMenuPrefCheckBox"};
}

void tst_Preferences::closingWritesAllSix()
{
    QFETCH(QStringList, onAtOpening);
    QFETCH(QStringList, clicked);

    for (const QString &box : onAtOpening) {
        const Expected &e = expected(box);
        QVERIFY(writeFile(resources::filePath(QLatin1String(e.file)), QByteArray(e.on) + '\n'));
    }
    PreferencesWindow *window = PreferencesWindow::instance();
    for (const QString &box : clicked)
        window->box(box.toLatin1().constData())->click();
    PreferencesWindow::closeIfOpen();
    QVERIFY(!PreferencesWindow::existing());

    for (const Expected &e : s_expected) {
        const bool on = onAtOpening.contains(QLatin1String(e.box)) ^ (clicked.count(e.box) % 2);
        QCOMPARE(readFile(resources::filePath(QLatin1String(e.file))),
                 QByteArray(on ? e.on : e.off) + '\n');
        QVERIFY2(*e.variable == on, e.box);
    }

    // With the command window not kept on screen, it is closed once the first three files
    // are written and before the last three.
    if (Module1::KeepContextualMenuDisplayedP) {
        QCOMPARE(m_filesWhenCommandWindowClosed, QStringList());
    } else {
        QCOMPARE(m_filesWhenCommandWindowClosed,
                 QStringList(QStringLiteral(
                     "Quillo CMV Preferences|Quillo DispA Preferences|Quillo SoundA Preferences")));
    }
    QCOMPARE(m_host->messages, QStringList());
}

void tst_Preferences::unwritableFolder_data()
{
    QTest::addColumn<bool>("usableAtStart");
    QTest::addColumn<int>("messages");
    QTest::newRow("folder went away") << true << 1;
    // Start-up has told the user then that nothing will be kept.
    QTest::newRow("folder unusable from the start") << false << 0;
}

void tst_Preferences::unwritableFolder()
{
    QFETCH(bool, usableAtStart);
    QFETCH(int, messages);

    const QString folder = m_dir->path() + QStringLiteral("/Quillo Resources");
    if (usableAtStart)
        QVERIFY(QDir().mkdir(folder));
    resources::setFolder(folder);
    QCOMPARE(resources::folder().ok, usableAtStart);

    PreferencesWindow *window = PreferencesWindow::instance();
    window->SoundPrefCheckBox->click();
    window->AutoScalingGuideCheckBox->click();
    // Removing the folder rather than its permissions: root may write into a read-only folder.
    QVERIFY(QDir(folder).removeRecursively() || !usableAtStart);
    PreferencesWindow::closeIfOpen();

    QCOMPARE(m_host->messages.size(), messages);
    if (messages) {
        QVERIFY2(m_host->messages.first().contains(QDir::toNativeSeparators(folder)),
                 qPrintable(m_host->messages.first()));
    }
    QVERIFY(Module1::DisplaySoundAlertP);
    QVERIFY(Module1::AutoScalingGuideP);
    QVERIFY(!Module1::DisplayColorAlertP);
    QCOMPARE(m_host->beeps, 0);
}

QTEST_MAIN(tst_Preferences)
// The boxes act on the running program: switched while no selection runs, the landscape box
// shows no guide, and the next selection measures against landscape limits and beeps when the
// sound box is on.
void tst_Preferences::nextSelectionFollowsTheBoxes()
{
    Window1 w;
    PreferencesWindow *window = PreferencesWindow::instance();
    window->showWindow();
    window->SetASGtoLandscapeMode->click();
    window->SoundPrefCheckBox->click();
    window->AutoScalingGuideCheckBox->click();
    QVERIFY(!ScaleDisplayWindow::existing());
    Module1::AlwaysDisplayPageSetUpP = true; // no page setup pushed by an oversized release

    const auto dragFrom100 = [&w](QPoint to) {
        Module1::SelectTimer = 0;
        w.start();
        if (!QTest::qWaitFor([&w] { return w.o && w.o->isVisible(); }, 5000))
            return false;
        QTest::qWait(100);
        return desktoptools::drag(QPoint(100, 100), to) &&
               QTest::qWaitFor([&w] { return !w.o->isVisible(); }, 5000);
    };
    // 600 x 300 points: too wide for a portrait page (520), fits a landscape one (678 x 520).
    QVERIFY(dragFrom100(QPoint(700, 400)));
    QCOMPARE(m_host->beeps, 0);
    // 800 x 300 is too wide either way.
    QVERIFY(dragFrom100(QPoint(900, 400)));
    QVERIFY2(m_host->beeps > 0, "no beep for an oversized selection");
    QVERIFY(m_host->messages.isEmpty());
}

#include "tst_preferences_desktop.moc"
