#include "printing/stampandnote.h"

#include "core/module1.h"
#include "core/window1.h"
#include "platform/host.h"
#include "platform/styleddocument.h"
#include "printing/addnotewindow.h"
#include "printing/printpipeline.h"
#include "printing/stamp.h"

#include <QDateTime>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace printing {

namespace {

// StyledDocument reads "\r" as a paragraph break.
constexpr QChar Return = u'\r';

// The second half of both commands, once WASTEfield2 holds everything it will print.
void printCaptureDocument(Window1 &w)
{
    if (Module1::AlwaysDisplayPageSetUpP)
        pageSetupRun(w); // its result only decides its own message
    platform::host().bringProcessFront();
    const int printed = w.WASTEfield2->print();
    clipboardRestore(w);
    if (isError(printed))
        showPrintError(PrintErrorPrefix, printed);
    w.WASTEfield2->setText(QString());
}

} // namespace

void installStampAndNote(Window1 &w)
{
    QObject::connect(w.PrintWithStampPushButton, &QPushButton::clicked, &w,
                     [&w] { printWithStampCommand(w); });
    QObject::connect(w.PrintWithNotePushButton, &QPushButton::clicked, &w,
                     [&w] { printWithNoteCommand(w); });
    QObject::connect(w.Timer2, &QTimer::timeout, &w, [&w] { printStamped(w); });
    QObject::connect(w.Timer5, &QTimer::timeout, &w, [&w] { printNoted(w); });
}

void printWithStampCommand(Window1 &w)
{
    // The stamp tells when the material was on screen: the moment of the command, not of the
    // print, which follows the selection by two seconds or more.
    const QDateTime now = QDateTime::currentDateTime();
    clipboardSave(w);
    Module1::SelectTimer = 2;
    // Appended, not replaced: a stamp left by a rejected selection is printed too, the older
    // first. setText leaves the insertion point at the start, where the picture will go.
    w.WASTEfield2->setText(w.WASTEfield2->text() + Return + Return + stamp(now));
    w.start();
}

void printStamped(Window1 &w)
{
    // Whatever the clipboard holds now goes above the stamp; with nothing there the stamp
    // prints alone.
    w.WASTEfield2->paste();
    printCaptureDocument(w);
}

void printWithNoteCommand(Window1 &w)
{
    const QDateTime now = QDateTime::currentDateTime();
    clipboardSave(w);
    Module1::SelectTimer = 5;
    // One return only: the note, pasted in front of it later, brings the empty line.
    w.WASTEfield2->setText(w.WASTEfield2->text() + Return + stamp(now));
    w.start();
}

void addNoteAndPrint(Window1 &w, AddNoteWindow &window)
{
    // The user may have copied something else while the window was open; with neither text nor
    // a picture there is nothing to print, and the window stays so that they can cancel.
    if (!clipboardHasTextOrPicture()) {
        platform::host().beep();
        platform::host().message(NothingToAddNoteToMessage);
        return;
    }
    w.WASTEfield2->paste(); // at the start; the insertion point moves behind the picture
    // The note travels to the document through the clipboard, as the picture did, so that it
    // lands behind the picture at the insertion point.
    QPlainTextEdit *field = window.AddNoteEditField;
    field->setPlainText(QStringLiteral("\n\nNOTE: ") + field->toPlainText());
    field->selectAll();
    field->copy();
    w.Timer5->start();
    window.closeWindow();
}

void cancelNote(Window1 &w, AddNoteWindow &window)
{
    // The captured picture stays on the clipboard; the stamp goes.
    w.WASTEfield2->setText(QString());
    window.closeWindow();
}

void printNoted(Window1 &w)
{
    w.WASTEfield2->paste();
    printCaptureDocument(w);
}

} // namespace printing
