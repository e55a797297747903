#include "printboards/clearwindow.h"

#include "core/window1.h"
#include "platform/desktophost.h"
#include "platform/host.h"
#include "printboards/boards.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>

QPointer<ClearJobWarningWindow> ClearJobWarningWindow::s_window;

namespace {

// The desktop theme's caution icon, drawn at the canvas's origin.
class CautionCanvas final : public QWidget
{
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QIcon icon = style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this);
        icon.paint(&painter, QRect(QPoint(0, 0), size()));
    }
};

} // namespace

ClearJobWarningWindow *ClearJobWarningWindow::open(Window1 &w)
{
    closeIfOpen();
    s_window = new ClearJobWarningWindow(w);
    s_window->show();
    DesktopHost::raiseAndActivate(s_window);
    platform::host().bringProcessFront();
    return s_window;
}

ClearJobWarningWindow *ClearJobWarningWindow::existing()
{
    return s_window;
}

void ClearJobWarningWindow::closeIfOpen()
{
    if (s_window) {
        ClearJobWarningWindow *window = s_window;
        s_window = nullptr;
        window->close();
    }
}

ClearJobWarningWindow::ClearJobWarningWindow(Window1 &w)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ClearJobWarningWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Delete PrintBoard Contents Confirmation"));
    setFixedSize(Size);

    Canvas1 = new CautionCanvas(this);
    Canvas1->setObjectName(QStringLiteral("Canvas1"));
    Canvas1->setGeometry(17, 14, 46, 46);

    StaticText1 = new QLabel(
        QStringLiteral("Are you sure you want to delete the contents of your print job?"), this);
    StaticText1->setObjectName(QStringLiteral("StaticText1"));
    StaticText1->setWordWrap(true);
    StaticText1->setGeometry(80, 14, 250, 60);

    CancelClearPrintJobPushButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelClearPrintJobPushButton->setObjectName(QStringLiteral("CancelClearPrintJobPushButton"));
    CancelClearPrintJobPushButton->setGeometry(160, 108, 80, 26);
    CancelClearPrintJobPushButton->setAutoDefault(false);

    OkayClearPrintPushButton = new QPushButton(QStringLiteral("Okay"), this);
    OkayClearPrintPushButton->setObjectName(QStringLiteral("OkayClearPrintPushButton"));
    OkayClearPrintPushButton->setGeometry(250, 108, 80, 26);
    OkayClearPrintPushButton->setDefault(true);
    OkayClearPrintPushButton->setFocus();

    connect(CancelClearPrintJobPushButton, &QPushButton::clicked, this, [] { closeIfOpen(); });
    // Escape answers "Cancel", as in any dialog.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [] { closeIfOpen(); });
    connect(OkayClearPrintPushButton, &QPushButton::clicked, this,
            [&w] { printboards::clearContents(w); });
}
