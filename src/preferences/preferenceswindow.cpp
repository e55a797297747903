#include "preferences/preferenceswindow.h"

#include "core/module1.h"
#include "core/resources.h"
#include "infowindows/agreementwindow.h"
#include "infowindows/fittingfont.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"
#include "platform/host.h"
#include "selection/scaledisplaywindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFontMetricsF>
#include <QPushButton>
#include <algorithm>

QPointer<PreferencesWindow> PreferencesWindow::s_window;

namespace {

constexpr PreferencesWindow::Box s_boxes[PreferencesWindow::BoxCount] = {
    {"SoundPrefCheckBox", QRect(9, 19, 280, 20), "Enable Sound Alert For Oversized Selection",
     "When checked, Quillo will beep to signal you when your selection is larger than  the "
     "printing area for an 8.5\" x 11\" page (it's OK to make an oversized selection).\r\r"
     "Use Page Setup dialog box for printing an oversized selection on a single page.",
     "Quillo SoundA Preferences"},
    {"ColorWarningPrefCheckBox", QRect(9, 48, 260, 20),
     "Enable Color Alert For Oversized Selection",
     "When checked, Quillo changes the color of the selection area to signal you the selection is "
     "larger than the printing area of an 8.5\" x 11\" page (it's OK to make an oversized "
     "selection).\r\r"
     "When not checked, Quillo (in Panther) uses a darker shade of grey to indicate the selection "
     "area is oversized.\r\r"
     "Use Page Setup option in the contextual menu to print/view 100 % of an oversized selection "
     "that's been stored on the PrintBoard.\r\r",
     "Quillo DispA Preferences"},
    {"ContMenuPrefCheckBox", QRect(9, 77, 260, 20), "Enable Contextual Menu to Remain Visible",
     "When this box is checked, the contextual menu will remain on your screen even after you "
     "have used it to perform some function.\r\r"
     "This feature is especially handy when you expect to use Quillo multiple times or for "
     "multiple actions.",
     "Quillo CMV Preferences"},
    {"AutoScalingGuideCheckBox", QRect(9, 106, 260, 20), "Enable Auto-Scaling Guide",
     "When checked, this preference item provides you with a dynamic display of the horizontal "
     "and vertical scaling values to be used to print 100% of an oversized selection on a single "
     "page.\r\r"
     "NOTE:  These values are for the Portrait orientation in the Page Setup dialog box unless "
     "the preference for setting the guide to the Landscape mode is checked.\r\r"
     "If both the horizontal and the vertical selection areas are oversized, using the lower of "
     "the two scaling values in the Scaling Guide results in 100% of your selection being printed "
     "on a single page.",
     "PreferencesAScaleG"},
    {"SetASGtoLandscapeMode", QRect(9, 135, 260, 20), "Set Auto-Scaling Guide to Landscape Mode",
     "When this preference item is checked, the scaling values displayed in the Auto-Scaling "
     "Guide are for the Landscape mode of the Page Setup dialog box.\r\r"
     "NOTE:  This preference can be used to configure the sound alert and color alert preference "
     "settings for the Landscape mode even when the Auto-Scaling Guide isn't enabled.",
     "PreferencesSetASGtoLandscape"},
    {"PageSetUpCheckBox", QRect(9, 164, 260, 20), "Always Display Page Setup Dialog Box",
     "When checked, Quillo always will display a Page Setup dialog box before printing your "
     "selections and when you add selections to the PrintBoard.  (If you find that you "
     "frequently forget to reset the scaling value for your print jobs after having printed an "
     "oversized selection, using this feature will remind you the scaling value needs to be "
     "changed.)\r\r"
     "NOTE:  Quillo will display the Page Setup dialog for oversized selections even when this "
     "box isn't checked.",
     "PageSetup Preferences"},
};

constexpr QRect ShortcutButtonGeometry(44, 198, 194, 20);

std::function<void()> &openShortcutEditor()
{
    static std::function<void()> hook;
    return hook;
}

std::function<void()> &closeCommandWindow()
{
    static std::function<void()> hook;
    return hook;
}

// A plain-text tooltip is never wrapped and would run off the screen; as rich text it wraps at
// a readable width. pre-wrap keeps the texts' line breaks and double blanks.
QString helpTagHtml(const char *tag)
{
    QString text = QString::fromUtf8(tag);
    while (text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") +
           text.toHtmlEscaped().replace(QLatin1Char('\r'), QLatin1Char('\n')) +
           QStringLiteral("</p>");
}

} // namespace

const PreferencesWindow::Box *PreferencesWindow::boxes()
{
    return s_boxes;
}

PreferencesWindow *PreferencesWindow::instance()
{
    if (!s_window)
        s_window = new PreferencesWindow;
    return s_window;
}

PreferencesWindow *PreferencesWindow::existing()
{
    return s_window;
}

void PreferencesWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

void PreferencesWindow::setOpenShortcutEditor(std::function<void()> open)
{
    openShortcutEditor() = std::move(open);
}

void PreferencesWindow::setCloseCommandWindow(std::function<void()> close)
{
    closeCommandWindow() = std::move(close);
}

PreferencesWindow::PreferencesWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("PreferencesWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillo Preferences"));
    setFixedSize(Size);

    for (const Box &entry : s_boxes) {
        auto *checkBox = new QCheckBox(QString::fromUtf8(entry.caption), this);
        checkBox->setObjectName(QLatin1String(entry.name));
        checkBox->setGeometry(entry.geometry);
        checkBox->setToolTip(helpTagHtml(entry.helpTag));
        const resources::FlagFile *flag = resources::flagFile(entry.file);
        Q_ASSERT(flag);
        connect(checkBox, &QCheckBox::toggled, this, [this, flag] { boxChanged(*flag); });
    }
    SoundPrefCheckBox = box("SoundPrefCheckBox");
    ColorWarningPrefCheckBox = box("ColorWarningPrefCheckBox");
    ContMenuPrefCheckBox = box("ContMenuPrefCheckBox");
    AutoScalingGuideCheckBox = box("AutoScalingGuideCheckBox");
    SetASGtoLandscapeMode = box("SetASGtoLandscapeMode");
    PageSetUpCheckBox = box("PageSetUpCheckBox");

    PushButton1 = new QPushButton(QStringLiteral("Set/View Keyboard Shortcuts"), this);
    PushButton1->setObjectName(QStringLiteral("PushButton1"));
    PushButton1->setGeometry(ShortcutButtonGeometry);
    PushButton1->setAutoDefault(false);
    connect(PushButton1, &QPushButton::clicked, this, [] {
        if (openShortcutEditor())
            openShortcutEditor()();
    });

    // The check mark and the button's frame keep their size; only the text shrinks.
    int boxExtra = 0;
    const QFontMetricsF designMetrics(SoundPrefCheckBox->font());
    for (const Box &entry : s_boxes) {
        QCheckBox *checkBox = box(entry.name);
        boxExtra = std::max(boxExtra, checkBox->sizeHint().width() -
                                          int(designMetrics.horizontalAdvance(checkBox->text())));
    }
    const int buttonExtra =
        PushButton1->sizeHint().width() -
        int(QFontMetricsF(PushButton1->font()).horizontalAdvance(PushButton1->text()));
    const QFont captions = infowindows::fittingFont(CaptionPoints, [&](const QFont &font) {
        const QFontMetricsF metrics(font);
        for (const Box &entry : s_boxes) {
            // The sound box reaches past the window's right edge.
            const int room = std::min(entry.geometry.right() + 1, Size.width()) - entry.geometry.x();
            if (boxExtra + metrics.horizontalAdvance(QString::fromUtf8(entry.caption)) > room)
                return false;
        }
        return buttonExtra + metrics.horizontalAdvance(PushButton1->text()) <=
               ShortcutButtonGeometry.width();
    });
    for (const Box &entry : s_boxes)
        box(entry.name)->setFont(captions);
    PushButton1->setFont(captions);

    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - rect().center());

    loadBoxes();
}

QCheckBox *PreferencesWindow::box(const char *name) const
{
    return findChild<QCheckBox *>(QLatin1String(name), Qt::FindDirectChildrenOnly);
}

void PreferencesWindow::loadBoxes()
{
    for (const Box &entry : s_boxes) {
        const resources::FlagFile *flag = resources::flagFile(entry.file);
        if (resources::readFlag(*flag).value_or(false)) {
            // Checking the box runs its change handler, which flips the variable; the file
            // decides, so the variable is set afterwards.
            box(entry.name)->setChecked(true);
            *flag->variable = true;
        }
    }
}

void PreferencesWindow::boxChanged(const resources::FlagFile &flag)
{
    *flag.variable = !*flag.variable;
    // A guide still on screen would show the other orientation's values until the next drag.
    if (flag.variable == &Module1::ScaleForLandscapeMode) {
        if (ScaleDisplayWindow *guide = ScaleDisplayWindow::existing())
            guide->hide();
    }
}

void PreferencesWindow::showWindow()
{
    DesktopHost::raiseAndActivate(this);
    show();
}

void PreferencesWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    // Declining the licence ends the program without leaving anything behind.
    if (!infowindows::declined())
        writeFiles();
    QWidget::closeEvent(event);
}

void PreferencesWindow::writeFiles()
{
    const resources::FlagFile *soundFile = resources::flagFile("Quillo SoundA Preferences");
    QStringList failures;
    for (int i = 0; i < resources::FlagFileCount; ++i) {
        const resources::FlagFile &flag = resources::flagFiles()[i];
        const Box *entry = std::find_if(std::begin(s_boxes), std::end(s_boxes), [&](const Box &b) {
            return qstrcmp(b.file, flag.name) == 0;
        });
        QString error;
        if (!resources::writeFlag(flag, box(entry->name)->isChecked(), &error))
            failures << error;
        // The command window goes between the first three files and the last three.
        if (&flag == soundFile && !Module1::KeepContextualMenuDisplayedP && closeCommandWindow())
            closeCommandWindow()();
    }
    // A folder that was unusable from the start has been reported then, with the consequence.
    if (!failures.isEmpty() && resources::folder().ok) {
        platform::host().message(
            QStringLiteral("Quillo could not save your preferences in its folder “%1”. They "
                           "apply as you set them until Quillo quits.")
                .arg(QDir::toNativeSeparators(resources::folder().path)),
            failures.join(QLatin1Char('\n')));
    }
}
