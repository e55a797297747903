#include "infowindows/agreementwindow.h"

#include "core/resources.h"
#include "infowindows/welcomewindow.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"
#include "platform/host.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>

QPointer<LicenseAgreementWindow> LicenseAgreementWindow::s_window;

namespace {

bool s_declined = false;

} // namespace

LicenseAgreementWindow *LicenseAgreementWindow::instance()
{
    if (!s_window)
        s_window = new LicenseAgreementWindow;
    return s_window;
}

LicenseAgreementWindow *LicenseAgreementWindow::existing()
{
    return s_window;
}

void LicenseAgreementWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

// No minimise button: an agreement tucked away in the task bar would be forgotten, and the
// program waits for it on every start.
LicenseAgreementWindow::LicenseAgreementWindow()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("LicenseAgreementWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Software License Agreement"));
    setFixedSize(Size);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    // The field reaches a point beyond the window's top and left, so that its frame does not
    // show at the window's edges.
    LicenseAgreementEditField1 = new QPlainTextEdit(this);
    LicenseAgreementEditField1->setObjectName(QStringLiteral("LicenseAgreementEditField1"));
    LicenseAgreementEditField1->setGeometry(-1, -1, 481, 400);
    LicenseAgreementEditField1->setReadOnly(true);
    QFont text = QGuiApplication::font();
    text.setPointSize(12);
    LicenseAgreementEditField1->setFont(text);

    AgreePushButton = new QPushButton(QStringLiteral("Accept"), this);
    AgreePushButton->setObjectName(QStringLiteral("AgreePushButton"));
    AgreePushButton->setGeometry(109, 418, 69, 20);
    DeclinePushButon = new QPushButton(QStringLiteral("Decline"), this);
    DeclinePushButon->setObjectName(QStringLiteral("DeclinePushButon"));
    DeclinePushButon->setGeometry(303, 418, 69, 20);
    for (QPushButton *button : {AgreePushButton, DeclinePushButon})
        button->setAutoDefault(false);
    connect(AgreePushButton, &QPushButton::clicked, this, &LicenseAgreementWindow::accept);
    connect(DeclinePushButon, &QPushButton::clicked, this, &LicenseAgreementWindow::decline);

    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - rect().center());
}

void LicenseAgreementWindow::accept()
{
    const QString agreement = QLatin1String(resources::files::SoftwareLicense);
    if (resources::exists(agreement) && !resources::remove(agreement)) {
        platform::host().message(
            QStringLiteral("Quillo could not remove “%1” from its folder “%2”, so the agreement "
                           "will be shown again at the next start.")
                .arg(agreement, QDir::toNativeSeparators(resources::folder().path)));
    }
    if (const auto welcome = resources::readAll(QLatin1String(resources::files::WelcomeText)))
        WelcomeWindow::instance()->showWelcome(*welcome);
    close();
}

void LicenseAgreementWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    QWidget::closeEvent(event);
}

void LicenseAgreementWindow::decline()
{
    s_declined = true;
    // exit() rather than quit(): quit() would first close the open windows, and closing some of
    // them writes files.
    QCoreApplication::exit(0);
}

namespace infowindows {

bool showAgreementIfPresent()
{
    const auto text = resources::readAll(QLatin1String(resources::files::SoftwareLicense));
    if (!text)
        return false;
    LicenseAgreementWindow *window = LicenseAgreementWindow::instance();
    window->LicenseAgreementEditField1->setPlainText(*text);
    // Start-up happens while the user is in another program; the agreement must not open
    // behind it.
    DesktopHost::raiseAndActivate(window);
    window->show();
    return true;
}

bool declined()
{
    return s_declined;
}

} // namespace infowindows
