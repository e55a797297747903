#pragma once

#include <QString>

class AddNoteWindow;
class Window1;

// Printing a selection with the time-date stamp of the command below it, and with a note the
// user types after the selection, between the picture and the stamp. Both build on the shared
// procedures of printpipeline.h and use WASTEfield2 as their capture document.
namespace printing {

inline const QString PrintErrorPrefix = QStringLiteral("Print Error: ");
inline const QString NothingToAddNoteToMessage = QStringLiteral(
    "Quillo can't find text or a picture/graphic to add a note to.  Please try again to select "
    "the information you want to print.");

// Connects the stamp and note commands to their buttons and timers.
void installStampAndNote(Window1 &w);

// The actions.
void printWithStampCommand(Window1 &w);                  // PrintWithStampPushButton
void printStamped(Window1 &w);                           // Timer2
void printWithNoteCommand(Window1 &w);                   // PrintWithNotePushButton
void addNoteAndPrint(Window1 &w, AddNoteWindow &window); // "Add Note", print layout
void cancelNote(Window1 &w, AddNoteWindow &window);      // "Cancel", both layouts
void printNoted(Window1 &w);                             // Timer5

} // namespace printing
