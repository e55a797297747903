#include "printboards/renamewindow.h"

#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"
#include "platform/host.h"
#include "printboards/boards.h"
#include "printboards/slots.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>

QPointer<RenameFileWindow> RenameFileWindow::s_window;

namespace {

QFont uiFont(int points)
{
    QFont font = QGuiApplication::font();
    font.setPointSize(points);
    return font;
}

} // namespace

namespace printboards {

QString nameRejection(const QString &name, const QStringList &names)
{
    const bool blank = name.trimmed().isEmpty();
    const bool control = std::any_of(name.cbegin(), name.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
    if (blank || control)
        return EnterNameMessage;
    if (name.contains(QLatin1Char(':')) || name.contains(QLatin1Char('/')))
        return ColonOrSlashMessage;
    // Characters as the user sees them: an emoji or an accented letter outside the basic plane
    // counts once.
    if (name.toUcs4().size() > MaxNameLength)
        return TooLongMessage;
    for (const QString &other : names) {
        if (other.compare(name, Qt::CaseInsensitive) == 0)
            return NameInUseMessage;
    }
    return {};
}

bool renameActiveProject(Menu &menu, const QString &name, QString *error)
{
    bool written = true;
    if (const int slot = checkedSlot(menu)) {
        setName(menu, slot, name);
        Module1::PrintBoardName = name;
        // The name is only ever written, never used to build a path: the file is the slot's.
        written = resources::writeText(resources::files::projectName(slot), name, error);
    }
    retitleProjectItems(menu);
    return written;
}

} // namespace printboards

RenameFileWindow *RenameFileWindow::open(Menu &menu)
{
    if (!s_window)
        s_window = new RenameFileWindow(menu);
    const QRect screen = platform::mainScreenGeometry();
    s_window->move(screen.x() + int(screen.width() / 2.0 - 150), screen.y() + 400);
    s_window->show();
    DesktopHost::raiseAndActivate(s_window);
    platform::host().bringProcessFront();
    s_window->RenameFileEditField->setFocus();
    printboards::closeCommandWindow();
    return s_window;
}

RenameFileWindow *RenameFileWindow::existing()
{
    return s_window;
}

void RenameFileWindow::closeIfOpen()
{
    if (s_window) {
        RenameFileWindow *window = s_window;
        s_window = nullptr;
        window->close();
    }
}

RenameFileWindow::RenameFileWindow(Menu &menu)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint), m_menu(menu)
{
    setObjectName(QStringLiteral("RenameFileWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Name/Rename Your Project"));
    setFixedSize(Size);

    RenameFileStaticText = new QLabel(
        QStringLiteral("The currentlly active Project is:  \"%1.\" Type the new name for this "
                       "project.")
            .arg(Module1::PrintBoardName),
        this);
    RenameFileStaticText->setObjectName(QStringLiteral("RenameFileStaticText"));
    RenameFileStaticText->setTextFormat(Qt::PlainText);
    RenameFileStaticText->setWordWrap(true);
    RenameFileStaticText->setFont(uiFont(11));
    RenameFileStaticText->setGeometry(21, 3, 260, 46);

    RenameFileEditField = new QLineEdit(this);
    RenameFileEditField->setObjectName(QStringLiteral("RenameFileEditField"));
    RenameFileEditField->setFont(uiFont(12));
    RenameFileEditField->setGeometry(5, 52, 290, 25);
    RenameFileEditField->installEventFilter(this);

    CancelPushButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelPushButton->setObjectName(QStringLiteral("CancelPushButton"));
    CancelPushButton->setGeometry(30, 87, 60, 20);
    ClearPushButton = new QPushButton(QStringLiteral("Clear"), this);
    ClearPushButton->setObjectName(QStringLiteral("ClearPushButton"));
    ClearPushButton->setGeometry(120, 87, 60, 20);
    ClearPushButton->setEnabled(false);
    OkayPushButton = new QPushButton(QStringLiteral("Okay"), this);
    OkayPushButton->setObjectName(QStringLiteral("OkayPushButton"));
    OkayPushButton->setGeometry(210, 87, 60, 20);
    OkayPushButton->setEnabled(false);
    OkayPushButton->setDefault(true);
    // The field keeps the keyboard when a button is clicked; losing it would disable "Okay"
    // under the pointer.
    for (QPushButton *button : {CancelPushButton, ClearPushButton, OkayPushButton})
        button->setFocusPolicy(Qt::NoFocus);

    connect(RenameFileEditField, &QLineEdit::textChanged, this, [this](const QString &text) {
        OkayPushButton->setEnabled(!text.isEmpty());
        ClearPushButton->setEnabled(!text.isEmpty());
    });
    connect(RenameFileEditField, &QLineEdit::returnPressed, this, [this] {
        if (OkayPushButton->isEnabled())
            OkayPushButton->click();
    });
    connect(ClearPushButton, &QPushButton::clicked, RenameFileEditField, &QLineEdit::clear);
    connect(CancelPushButton, &QPushButton::clicked, this, [] { closeIfOpen(); });
    connect(OkayPushButton, &QPushButton::clicked, this, &RenameFileWindow::okay);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            [] { closeIfOpen(); });
}

void RenameFileWindow::okay()
{
    const QString name = RenameFileEditField->text();
    QStringList names;
    for (int slot = 1; slot <= printboards::SlotCount; ++slot)
        names << printboards::name(m_menu, slot);
    if (const QString why = printboards::nameRejection(name, names); !why.isEmpty()) {
        platform::host().beep();
        platform::host().bringProcessFront();
        platform::host().message(why);
        return;
    }
    QString error;
    if (!printboards::renameActiveProject(m_menu, name, &error)) {
        platform::host().message(
            QStringLiteral("The project is renamed, but its name could not be saved and will not "
                           "be there after Quillo restarts."),
            error);
    }
    closeIfOpen();
}

bool RenameFileWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == RenameFileEditField) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (!RenameFileEditField->text().isEmpty())
                OkayPushButton->setEnabled(true);
            break;
        case QEvent::FocusOut:
            OkayPushButton->setEnabled(false);
            break;
        case QEvent::MouseButtonPress:
            comeToFront();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RenameFileWindow::mousePressEvent(QMouseEvent *event)
{
    comeToFront();
    QWidget::mousePressEvent(event);
}

void RenameFileWindow::comeToFront()
{
    if (isActiveWindow())
        return;
    platform::host().bringProcessFront();
    raise();
    activateWindow();
}
