#include "infowindows/tipswindow.h"

#include "infowindows/fittingfont.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"

#include <QCloseEvent>
#include <QLabel>

QPointer<TipsWindow> TipsWindow::s_window;

TipsWindow *TipsWindow::instance()
{
    if (!s_window)
        s_window = new TipsWindow;
    return s_window;
}

TipsWindow *TipsWindow::existing()
{
    return s_window;
}

void TipsWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

QString TipsWindow::text()
{
    return QStringLiteral(
        "\n"
        "Tip1:  Holding down the \"c\" key while dragging the cursor over an oversized selection "
        "temporarily toggles the Auto-Scaling Guide's values between those for the Landscape mode "
        "and those for the Portrait mode.\n\n"
        "Tip 2:  When the Auto-Scaling Guide displays a value for both width and height, use the "
        "smaller of the two values as the scaling value in the Page Setup dialog box.\n\n"
        "Tip 3:  You can use Quillo to select and print any part of the contents of a PrintBoard "
        "project when it\u2019s displayed in the Print Preview window.  (You also can use Quillo "
        "with the Print Preview window when printing from any program.)\n\n"
        "Tip 4:  If you want to print or save information from a web page, Finder list/window, "
        "document, or anything else that's too big to be fully displayed on your monitor, use the "
        "PrintBoard feature to place one page at a time on any of Quillo's PrintBoards.\n\n"
        "(For additional tips on using Quillo, please access Quillo's built-in Help files.)");
}

TipsWindow::TipsWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("TipsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillo Tips"));
    setFixedSize(Size);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    StaticText1 = new QLabel(this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setTextFormat(Qt::PlainText);
    StaticText1->setWordWrap(true);
    StaticText1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    StaticText1->setGeometry(TextGeometry);
    StaticText1->setText(text());
    // Every tip must be readable without scrolling: the part of the label inside the window.
    const int visible = Size.height() - TextGeometry.y();
    StaticText1->setFont(infowindows::fittingFont(TextPoints, [this, visible](const QFont &font) {
        StaticText1->setFont(font);
        return StaticText1->heightForWidth(TextGeometry.width()) <= visible;
    }));

    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - rect().center());
}

void TipsWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    QWidget::closeEvent(event);
}

void TipsWindow::showWindow()
{
    DesktopHost::raiseAndActivate(this);
    show();
}
