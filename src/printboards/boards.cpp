#include "printboards/boards.h"

#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/host.h"
#include "platform/styleddocument.h"
#include "printboards/boardwriter.h"
#include "printboards/clearwindow.h"
#include "printboards/renamewindow.h"
#include "printboards/slots.h"
#include "printing/addnotewindow.h"
#include "printing/printpipeline.h"
#include "printing/stamp.h"

#include <QAction>
#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSet>
#include <QTimer>

namespace printboards {

namespace {

std::function<void()> s_rebuildCommandWindow;
std::function<void()> s_closeCommandWindow;
// Boards whose failed save was told this run: one message per board, not one per add.
QSet<int> s_toldUnsaved;

// Menus close before their action runs; a modal dialog opened right inside the action would
// come up while the menu still holds the pointer grab.
void later(QPushButton *button)
{
    QTimer::singleShot(0, button, [button] { button->click(); });
}

} // namespace

static void reportWrite(int slot, bool ok, const QString &error)
{
    if (ok) {
        s_toldUnsaved.remove(slot);
        resources::markHidden(key(slot));
        return;
    }
    if (s_toldUnsaved.contains(slot))
        return;
    s_toldUnsaved.insert(slot);
    platform::host().message(
        QStringLiteral("The PrintBoard could not be saved. What you added is kept while Quillo "
                       "runs, and Quillo tries again with every change and when it quits."),
        error);
}

void install(Window1 &w, Menu &menu)
{
    QObject::connect(&BoardWriter::instance(), &BoardWriter::finished, &w, &reportWrite);
    QObject::connect(w.AddToPrintJobPushButton1, &QPushButton::clicked, &w,
                     [&w] { addCommand(w, 3); });
    QObject::connect(w.AddToPrintJobPushButton2, &QPushButton::clicked, &w,
                     [&w] { addCommand(w, 4); });
    QObject::connect(w.Timer3, &QTimer::timeout, &w, [&w] { addContinuation(w, 1); });
    QObject::connect(w.Timer4, &QTimer::timeout, &w, [&w] { addContinuation(w, 2); });
    QObject::connect(w.AddNoteToJobPushButton, &QPushButton::clicked, &w, [&w] { noteCommand(w); });
    QObject::connect(w.PrintPrintJjobPushButton, &QPushButton::clicked, &w,
                     [&w] { viewPrintCommand(w); });
    QObject::connect(w.ClearPrintJobPushButton, &QPushButton::clicked, &w,
                     [&w] { clearCommand(w); });

    for (int slot = 1; slot <= SlotCount; ++slot) {
        QObject::connect(menu.item(key(slot)), &QAction::triggered, &w,
                         [&menu, slot] { switchTo(menu, slot); });
    }
    QObject::connect(menu.item(QStringLiteral("NameProject")), &QAction::triggered, &w,
                     [&menu] { RenameFileWindow::open(menu); });
    QObject::connect(menu.item(QStringLiteral("PageSetup")), &QAction::triggered, &w,
                     [&w] { later(w.PageSetUpPushButton); });
    QObject::connect(menu.item(QStringLiteral("ViewPrintProject")), &QAction::triggered, &w,
                     [&w] { later(w.PrintPrintJjobPushButton); });
    QObject::connect(menu.item(QStringLiteral("DeletePrintBoardContents")), &QAction::triggered, &w,
                     [&w] { later(w.ClearPrintJobPushButton); });
}

void setCommandWindowHooks(std::function<void()> rebuild, std::function<void()> close)
{
    s_rebuildCommandWindow = std::move(rebuild);
    s_closeCommandWindow = std::move(close);
}

void rebuildCommandWindow()
{
    if (s_rebuildCommandWindow)
        s_rebuildCommandWindow();
}

void closeCommandWindow()
{
    if (s_closeCommandWindow)
        s_closeCommandWindow();
}

void saveBoard(Window1 &w, int slot)
{
    if (StyledDocument *board = document(w, slot))
        BoardWriter::instance().save(slot, board->snapshot(), resources::filePath(key(slot)));
}

void waitForSaves()
{
    BoardWriter::instance().waitForDone();
    // What the writes reported is queued for this thread; take it in before going on.
    QCoreApplication::sendPostedEvents(&BoardWriter::instance());
}

void addCommand(Window1 &w, int code)
{
    printing::clipboardSave(w);
    Module1::SelectTimer = code;
    w.start();
}

void addContinuation(Window1 &w, int returns)
{
    if (!printing::clipboardHasTextOrPicture()) {
        platform::host().beep();
        platform::host().message(printing::WhoopsMessage);
    } else if (const int slot = slotForKey(Module1::ActivePrintBoard)) {
        StyledDocument *board = document(w, slot);
        board->paste();
        QLineEdit *advice = w.ASGValuesEditfield;
        if (Module1::ASGValuesOverRide && !advice->text().isEmpty()) {
            advice->selectAll();
            advice->copy();
            board->paste();
            advice->clear();
        }
        QGuiApplication::clipboard()->setText(QStringLiteral(" ") +
                                              QString(returns, QLatin1Char('\r')));
        board->paste();
        Module1::ASGValuesOverRide = false;
        saveBoard(w, slot);
    }
    printing::clipboardRestore(w);
    Module1::ASGValuesOverRide = false;
}

void noteCommand(Window1 &w)
{
    printing::clipboardSave(w);
    AddNoteWindow::instance()->showIn(AddNoteWindow::Layout::PrintBoard);
}

void addNote(Window1 &w, AddNoteWindow &window)
{
    const QDateTime now = QDateTime::currentDateTime();
    QPlainTextEdit *field = window.AddNoteEditField;
    // The stamp is "date  time": the two stamp texts joined by two blanks.
    field->setPlainText(QStringLiteral("\nNOTE: ") + field->toPlainText() + QLatin1Char('\n') +
                        printing::stamp(now) + QStringLiteral("\n\n"));
    field->selectAll();
    field->copy();
    // The board active now, which may not be the one active when the window opened.
    if (const int slot = slotForKey(Module1::ActivePrintBoard)) {
        document(w, slot)->paste();
        saveBoard(w, slot);
    }
    printing::clipboardRestore(w);
    window.closeWindow();
}

void viewPrintCommand(Window1 &w)
{
    if (Module1::AlwaysDisplayPageSetUpP)
        printing::pageSetupRun(w); // its result only decides its own message
    if (w.WASTEfield1->pageSetupString().isEmpty()) {
        platform::host().bringProcessFront();
        platform::host().beep();
        platform::host().message(NoPageSetupMessage);
        return;
    }
    platform::host().bringProcessFront();
    const int slot = slotForKey(Module1::ActivePrintBoard);
    if (!slot)
        return;
    const int printed = document(w, slot)->printWithPreview();
    if (printing::isError(printed) && printed != -50)
        printing::showPrintError(printing::PrintingErrorPrefix, printed);
}

void clearCommand(Window1 &w)
{
    platform::host().beep();
    ClearJobWarningWindow::open(w);
}

void clearContents(Window1 &w)
{
    if (const int slot = slotForKey(Module1::ActivePrintBoard)) {
        document(w, slot)->setText(QString());
        // Through the writer, behind any write of the old contents still on its way.
        BoardWriter::instance().remove(slot, resources::filePath(key(slot)));
    }
    ClearJobWarningWindow::closeIfOpen();
}

void switchTo(Menu &menu, int slot)
{
    Module1::ActivePrintBoard = key(slot);
    for (int other = 1; other <= SlotCount; ++other)
        menu.item(key(other))->setChecked(other == slot);
    Module1::PrintBoardName = name(menu, slot);
    retitleProjectItems(menu);
    rebuildCommandWindow();
}

} // namespace printboards
