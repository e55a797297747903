#include "infowindows/welcomewindow.h"

#include "core/resources.h"
#include "infowindows/agreementwindow.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QTextEdit>

QPointer<WelcomeWindow> WelcomeWindow::s_window;

WelcomeWindow *WelcomeWindow::instance()
{
    if (!s_window)
        s_window = new WelcomeWindow;
    return s_window;
}

WelcomeWindow *WelcomeWindow::existing()
{
    return s_window;
}

void WelcomeWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

WelcomeWindow::WelcomeWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("WelcomeWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Welcome"));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    WelcomeWindowEditField = new QTextEdit(this);
    WelcomeWindowEditField->setObjectName(QStringLiteral("WelcomeWindowEditField"));
    WelcomeWindowEditField->setReadOnly(true);
    QFont text = QGuiApplication::font();
    text.setPointSize(12);
    WelcomeWindowEditField->setFont(text);
    WelcomeWindowEditField->document()->setDefaultFont(text);
    WelcomeWindowEditField->document()->setDocumentMargin(8);
    QPalette field = WelcomeWindowEditField->palette();
    field.setColor(QPalette::Base, FieldColor);
    WelcomeWindowEditField->setPalette(field);

    // A current desktop gets the wider layout; the field follows the window's edges.
    resize(OpenedWidth, DesignSize.height());
    followEdges();
    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - rect().center());
}

void WelcomeWindow::showWelcome(const QString &html)
{
    WelcomeWindowEditField->setHtml(html);
    DesktopHost::raiseAndActivate(this);
    show();
}

void WelcomeWindow::followEdges()
{
    // One point beyond the window at the left, top and bottom hides the field's frame there, as
    // in the design (481 x 458 in a 482 x 456 window).
    WelcomeWindowEditField->setGeometry(-1, -1, width() - 1, height() + 2);
}

void WelcomeWindow::resizeEvent(QResizeEvent *event)
{
    followEdges();
    QWidget::resizeEvent(event);
}

void WelcomeWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    // The welcome is read once.
    const QString welcome = QLatin1String(resources::files::WelcomeText);
    if (!infowindows::declined() && resources::exists(welcome))
        resources::remove(welcome);
    QWidget::closeEvent(event);
}
