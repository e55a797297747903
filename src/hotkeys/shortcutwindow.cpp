#include "hotkeys/shortcutwindow.h"

#include "core/module1.h"
#include "core/resources.h"
#include "hotkeys/window2.h"
#include "platform/desktophost.h"
#include "platform/host.h"

#include <QEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

QPointer<KeyboardShortcutWindow> KeyboardShortcutWindow::s_window;

namespace {

// One shortcut of the editor: its controls, its letter and key code, what the editor remembers,
// its file and its three messages.
struct Row
{
    int id;
    QLineEdit *KeyboardShortcutWindow::*field;
    QString *letter;
    int *keyCode;
    QString KeyboardShortcutWindow::*remembered;
    const char *file;
    const char *deleted;
    const char *clash;
    const char *confirmed;
};

const Row Rows[] = {
    {hotkeys::Print, &KeyboardShortcutWindow::PrintKeyboardShortcutEditField, &Module1::PKS,
     &Module1::PKSValue, &KeyboardShortcutWindow::OldPKS, resources::files::PrintingHotkey,
     "You have deleted your keyboard shortcut for printing.",
     "This keyboard shortcut is already being used by Quillo.",
     "Your keyboard shortcut for printing a selection is Ctrl-Alt-"},
    {hotkeys::ContextualDisplay, &KeyboardShortcutWindow::CMKeyBoardShortcutEditField,
     &Module1::CMKS, &Module1::CMKSValue, &KeyboardShortcutWindow::OldCMKS,
     resources::files::CommandWindowHotkey,
     "You have deleted your keyboard shortcut for toggling the visibility of Quillo's Contextual "
     "Menu.",
     "This shortcut already is being used by Quillo.",
     "Your keyboard shortcut for displaying/hiding the Contextual Menu is Ctrl-Alt-"},
    {hotkeys::Stamp, &KeyboardShortcutWindow::PrintWTDStampKBShortcutEditfield, &Module1::PTS,
     &Module1::PTSValue, &KeyboardShortcutWindow::OldPTS, resources::files::StampHotkey,
     "You have deleted your keyboard shortcut for printing with a time-date stamp.",
     "This keyboard shortcut is already being used by Quillo.",
     "Your keyboard shortcut for printing a selection with a time-date stamp is Ctrl-Alt-"},
    {hotkeys::Note, &KeyboardShortcutWindow::PrintWNoteKBSEditField, &Module1::PNS,
     &Module1::PNSValue, &KeyboardShortcutWindow::OldPNS, resources::files::NoteHotkey,
     "You have deleted your keyboard shortcut for printing with a note and a time-date stamp.",
     "This keyboard shortcut is already being used by Quillo.",
     "Your keyboard shortcut for printing a selection with a note and time-date stamp is "
     "Ctrl-Alt-"},
};

const Row &rowFor(int id)
{
    return Rows[id - 1];
}

QFont uiFont(int points)
{
    QFont font = QGuiApplication::font();
    font.setPointSize(points);
    return font;
}

} // namespace

KeyboardShortcutWindow *KeyboardShortcutWindow::instance()
{
    if (!s_window)
        s_window = new KeyboardShortcutWindow;
    return s_window;
}

KeyboardShortcutWindow *KeyboardShortcutWindow::existing()
{
    return s_window;
}

void KeyboardShortcutWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

KeyboardShortcutWindow::KeyboardShortcutWindow()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("KeyboardShortcutWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Set System-Wide Keyboard Shortcuts"));
    setFixedSize(Size);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(229, 229, 163));
    colours.setColor(QPalette::WindowText, Qt::black);
    setPalette(colours);

    auto *instructions = new QLabel(
        QStringLiteral("Type any key from a thru z for each shortcut you want to create.  This "
                       "key when used along with the Alt and Ctrl keys will be your customized "
                       "system-wide keyboard shortcut for that function."),
        this);
    instructions->setObjectName(QStringLiteral("InstructionsText"));
    instructions->setWordWrap(true);
    instructions->setFont(uiFont(11));
    instructions->setGeometry(16, 10, 304, 80);

    // Headings in the editor's order from top to bottom.
    const struct
    {
        QLineEdit **field;
        QPushButton **button;
        const char *fieldName;
        const char *buttonName;
        const char *heading;
        int id;
    } groups[] = {
        {&PrintKeyboardShortcutEditField, &PrintShortcutOKPushButton,
         "PrintKeyboardShortcutEditField", "PrintShortcutOKPushButton",
         "Shortcut For Printing a Selection in Any Program", hotkeys::Print},
        {&PrintWTDStampKBShortcutEditfield, &PrintTDShortcutPushButton,
         "PrintWTDStampKBShortcutEditfield", "PrintTDShortcutPushButton",
         "Shortcut For Printing Selection W/Time-Date Stamp", hotkeys::Stamp},
        {&PrintWNoteKBSEditField, &PrintShortcutWNoteOKPushButton, "PrintWNoteKBSEditField",
         "PrintShortcutWNoteOKPushButton",
         "Shortcut For Printing Selection W/Note && Time-Date Stamp", hotkeys::Note},
        {&CMKeyBoardShortcutEditField, &CMShortcutOKPushButtonPushButton,
         "CMKeyBoardShortcutEditField", "CMShortcutOKPushButtonPushButton",
         "Shortcut For Displaying/Hiding the Contextual Menu", hotkeys::ContextualDisplay},
    };
    // One letter a..z in either case; anything else is refused as it is typed.
    const QRegularExpression oneLetter(QStringLiteral("[A-Za-z]?"));
    int top = 100;
    for (const auto &group : groups) {
        auto *line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setGeometry(10, top, 316, 4);
        auto *heading = new QLabel(
            QString::fromUtf8(group.heading).replace(QLatin1String("&&"), QLatin1String("&")),
            this);
        heading->setFont(uiFont(11));
        heading->setGeometry(16, top + 10, 304, 20);
        QLineEdit *field = new QLineEdit(this);
        field->setObjectName(QLatin1String(group.fieldName));
        field->setFont(uiFont(12));
        field->setGeometry(60, top + 40, 80, 22);
        field->setValidator(new QRegularExpressionValidator(oneLetter, field));
        field->installEventFilter(this);
        QPushButton *button = new QPushButton(QStringLiteral("Okay"), this);
        button->setObjectName(QLatin1String(group.buttonName));
        button->setGeometry(190, top + 38, 80, 26);
        const int id = group.id;
        connect(button, &QPushButton::clicked, this, [this, id] { confirm(id); });
        connect(field, &QLineEdit::returnPressed, button, &QPushButton::click);
        *group.field = field;
        *group.button = button;
        top += 100;
    }

    SetPKSatLaunchPushButton = new QPushButton(QStringLiteral("Set HotKey"), this);
    SetPKSatLaunchPushButton->setObjectName(QStringLiteral("SetPKSatLaunchPushButton"));
    SetPKSatLaunchPushButton->setGeometry(120, 765, 100, 20);
    connect(SetPKSatLaunchPushButton, &QPushButton::clicked, this,
            &KeyboardShortcutWindow::setAtLaunch);

    // The opening step: the fields from the files, the letters from the fields.
    for (const Row &row : Rows) {
        QLineEdit *field = this->*row.field;
        if (const auto text = resources::readAll(QLatin1String(row.file), 64))
            field->setText(*text);
        *row.letter = field->text();
    }
}

void KeyboardShortcutWindow::showWindow()
{
    setFixedSize(Size);
    show();
    DesktopHost::raiseAndActivate(this);
    PrintKeyboardShortcutEditField->setFocus();
}

void KeyboardShortcutWindow::setAtLaunch()
{
    for (int id : {hotkeys::Print, hotkeys::ContextualDisplay, hotkeys::Stamp}) {
        const Row &row = rowFor(id);
        const QString text = (this->*row.field)->text();
        resources::writeText(QLatin1String(row.file), text);
        *row.letter = text;
    }
    m_refused = hotkeys::registerAllHotKeys();
}

void KeyboardShortcutWindow::confirm(int id)
{
    const Row &row = rowFor(id);
    QLineEdit *field = this->*row.field;
    QString &letter = *row.letter;
    QString &remembered = this->*row.remembered;
    QStringList others;
    for (const Row &other : Rows) {
        if (other.id != id)
            others << *other.letter;
    }
    const auto isOther = [&others](const QString &text) {
        return std::any_of(others.cbegin(), others.cend(), [&text](const QString &o) {
            return o.compare(text, Qt::CaseInsensitive) == 0;
        });
    };

    bool clashLeftEmpty = false;
    if (field->text().isEmpty()) {
        letter.clear();
        remembered.clear();
        *row.keyCode = 0;
        hotkeys::registerAllHotKeys();
        platform::host().beep();
        platform::host().bringProcessFront();
        platform::host().message(QString::fromUtf8(row.deleted));
    } else if (isOther(field->text())) {
        platform::host().beep();
        platform::host().bringProcessFront();
        platform::host().message(QString::fromUtf8(row.clash));
        field->clear();
        field->setFocus();
        if (!isOther(remembered) && !letter.isEmpty())
            field->setText(remembered);
        clashLeftEmpty = field->text().isEmpty() && !letter.isEmpty();
    } else {
        letter = field->text();
        platform::host().beep();
        platform::host().bringProcessFront();
        platform::host().message(QString::fromUtf8(row.confirmed) + letter);
    }
    // A clash that leaves the field empty does not end the shortcut in force: the file keeps it,
    // or the next start would silently drop it.
    QString error;
    if (!resources::writeText(QLatin1String(row.file), clashLeftEmpty ? letter : field->text(),
                              &error))
        platform::host().message(
            QStringLiteral("The shortcut works now, but it could not be saved and will be gone "
                           "after Quillo restarts."),
            error);
    m_refused = hotkeys::registerAllHotKeys();
    if (m_refused.contains(id) && !letter.isEmpty()) {
        platform::host().message(
            QStringLiteral("Another program already uses Ctrl-Alt-%1, so the shortcut for %2 will "
                           "not work until that program lets it go. Choose another letter, or "
                           "change the other program's shortcut.")
                .arg(letter, hotkeys::describe(id)));
    }
}

void KeyboardShortcutWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        PrintKeyboardShortcutEditField->setFocus();
    QWidget::changeEvent(event);
}

bool KeyboardShortcutWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (const Row &row : Rows) {
            if (watched == this->*row.field) {
                platform::host().bringProcessFront();
                this->*row.remembered = *row.letter;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
