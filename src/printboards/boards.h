#pragma once

#include <QString>
#include <functional>

class AddNoteWindow;
class Menu;
class Window1;

// The PrintBoard commands: adding selections and notes to the active board, viewing and
// printing it, deleting its contents, switching projects. Every change is written to the board's
// file at once (atomically), so what the user collected survives a crash or a kill.
namespace printboards {

inline const QString NoPageSetupMessage = QStringLiteral(
    "Your request couldn't be processed. Before trying again, please use the Page Setup dialog. "
    "This can be accessed from either Quillo's contextual menu or under Quillo's Projects menu. "
    "When doing this, be sure to select \"OK\" in the dialog box.");

// Connects the commands to the engine window's buttons and timers and to the Projects menu.
void install(Window1 &w, Menu &menu);

// The actions.
void addCommand(Window1 &w, int code);           // AddToPrintJobPushButton1 (3), 2 (4)
void addContinuation(Window1 &w, int returns);   // Timer3 (1 return), Timer4 (2)
void noteCommand(Window1 &w);                    // AddNoteToJobPushButton
void addNote(Window1 &w, AddNoteWindow &window); // "Add Note", PrintBoard layout
void viewPrintCommand(Window1 &w);               // PrintPrintJjobPushButton
void clearCommand(Window1 &w);                   // ClearPrintJobPushButton
void clearContents(Window1 &w);                  // "Okay" in the confirmation window
void switchTo(Menu &menu, int slot);             // a Projects item

// Writes the slot's board to its file, on the board writer's thread. A failure is told once per
// board and run; the board is written again at the next change and at shutdown.
void saveBoard(Window1 &w, int slot);
// Returns when every board write asked for so far is done and reported.
void waitForSaves();

// What the commands ask of the command window, set by its owner: rebuild it after a project
// switch (so that its rows show the new name), and close it when the rename window opens.
void setCommandWindowHooks(std::function<void()> rebuild, std::function<void()> close);
void rebuildCommandWindow();
void closeCommandWindow();

} // namespace printboards
