#include "printing/addnotewindow.h"

#include "core/window1.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"
#include "platform/host.h"
#include "platform/styleddocument.h"
#include "printboards/boards.h"
#include "printing/stampandnote.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>

QPointer<AddNoteWindow> AddNoteWindow::s_window;

namespace {

// Takes dragged text; a dragged file adds nothing. File managers offer a file as its address in
// text form too, which a plain text field would otherwise insert.
class NoteField final : public QPlainTextEdit
{
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override
    {
        if (source->hasUrls()) {
            const QList<QUrl> urls = source->urls();
            if (std::all_of(urls.cbegin(), urls.cend(),
                            [](const QUrl &url) { return url.isLocalFile(); }))
                return false;
        }
        return QPlainTextEdit::canInsertFromMimeData(source);
    }
    void insertFromMimeData(const QMimeData *source) override
    {
        if (canInsertFromMimeData(source))
            QPlainTextEdit::insertFromMimeData(source);
    }
};

QFont uiFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSize(12);
    return font;
}

} // namespace

AddNoteWindow *AddNoteWindow::instance()
{
    if (!s_window)
        s_window = new AddNoteWindow;
    return s_window;
}

AddNoteWindow *AddNoteWindow::existing()
{
    return s_window;
}

void AddNoteWindow::closeIfOpen()
{
    if (s_window)
        s_window->closeWindow();
}

AddNoteWindow::AddNoteWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AddNoteWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Add a Note to the PrintBoard"));
    setFixedSize(Size);
    setFont(uiFont());

    // The field reaches a point beyond the window on three sides, so that its frame does not show
    // at the window's edges.
    AddNoteEditField = new NoteField(this);
    AddNoteEditField->setObjectName(QStringLiteral("AddNoteEditField"));
    AddNoteEditField->setGeometry(-1, -1, 302, 263);
    AddNoteEditField->setAcceptDrops(true);
    AddNoteEditField->viewport()->installEventFilter(this);

    AddNoteButton = new QPushButton(QStringLiteral("Add Note"), this);
    AddNoteButton->setObjectName(QStringLiteral("AddNoteButton"));
    AddNoteButton->setGeometry(202, 272, 76, 20);
    AddNoteButton->setEnabled(false);

    AddNoteSaveToJobButton = new QPushButton(QStringLiteral("Add Note"), this);
    AddNoteSaveToJobButton->setObjectName(QStringLiteral("AddNoteSaveToJobButton"));
    AddNoteSaveToJobButton->setGeometry(115, 272, 76, 20);
    AddNoteSaveToJobButton->setEnabled(false);

    CancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    CancelButton->setGeometry(25, 272, 72, 20);

    // Buttons this small have no room for the focus frame, and Return belongs to the note.
    for (QPushButton *button : {AddNoteButton, AddNoteSaveToJobButton, CancelButton}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
    }

    connect(AddNoteEditField, &QPlainTextEdit::textChanged, this, &AddNoteWindow::noteChanged);
    connect(AddNoteEditField, &QPlainTextEdit::cursorPositionChanged, this,
            &AddNoteWindow::comeToFront);
    connect(AddNoteEditField, &QPlainTextEdit::selectionChanged, this, &AddNoteWindow::comeToFront);
    connect(AddNoteButton, &QPushButton::clicked, this, [this] {
        if (Window1 *w = Window1::instance())
            printing::addNoteAndPrint(*w, *this);
    });
    connect(AddNoteSaveToJobButton, &QPushButton::clicked, this, [this] {
        if (Window1 *w = Window1::instance())
            printboards::addNote(*w, *this);
    });
    connect(CancelButton, &QPushButton::clicked, this, [this] {
        if (Window1 *w = Window1::instance())
            printing::cancelNote(*w, *this);
        else
            closeWindow();
    });

    platform::host().bringProcessFront();
    setGeometry(QRect(addNoteWindowPlacement(platform::mainScreenGeometry()), Size));
    AddNoteEditField->setFocus();
}

void AddNoteWindow::showIn(Layout layout)
{
    QPushButton *shown = layout == Layout::Print ? AddNoteButton : AddNoteSaveToJobButton;
    QPushButton *hidden = layout == Layout::Print ? AddNoteSaveToJobButton : AddNoteButton;
    hidden->hide();
    hidden->move(115, hidden->y());
    shown->move(202, shown->y());
    shown->show();
    // Stays above the application the user selected from, which keeps the focus otherwise.
    DesktopHost::raiseAndActivate(this);
    show();
    AddNoteEditField->setFocus();
}

void AddNoteWindow::closeWindow()
{
    if (s_window == this)
        s_window = nullptr;
    m_closedByCommand = true;
    close();
}

void AddNoteWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    // Closed from its title bar: the same as "Cancel", or the stamp waiting in the capture
    // document would print with the next command.
    if (!m_closedByCommand) {
        if (Window1 *w = Window1::instance())
            w->WASTEfield2->setText(QString());
    }
    QWidget::closeEvent(event);
}

bool AddNoteWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click into the note while another application is active must bring the keyboard along.
    if (watched == AddNoteEditField->viewport() && event->type() == QEvent::MouseButtonPress)
        comeToFront();
    return QWidget::eventFilter(watched, event);
}

void AddNoteWindow::comeToFront()
{
    if (!isVisible() || isActiveWindow())
        return;
    platform::host().bringProcessFront();
    raise();
    activateWindow();
}

void AddNoteWindow::noteChanged()
{
    const bool hasNote = !AddNoteEditField->toPlainText().isEmpty();
    AddNoteButton->setEnabled(hasNote);
    AddNoteSaveToJobButton->setEnabled(hasNote);
}
