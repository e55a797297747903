#pragma once

#include "selection/geometry.h"

#include <QString>

class OverlayContext;

// The application-wide state: one flat set of variables that every handler reads and writes
// directly. Everything runs on the one event-loop thread, so nothing here is locked; a timer's
// action runs only between two handlers, which is what makes a command's hand-over to its
// continuation safe.
namespace Module1 {

// The current screen selection.
inline int px = 0; // where the button went down, points from the top-left of the main screen
inline int py = 0;
inline int rx = 0; // the latest drag point, finally the release point
inline int ry = 0;
inline selection::DrawRect r;     // the rectangle of the last redraw, drawing coordinates
inline OverlayContext *co = nullptr; // the overlay's drawing context of the last redraw
// Which command continues after the selection: 1 print, 2 print with stamp, 3 and 4 add to the
// active PrintBoard (single, double space), 5 print with a note, 6 print with page setup forced.
inline int SelectTimer = 0;

// PrintBoards.
inline QString ActivePrintBoard; // "ProjectsPrintBoard1" .. "ProjectsPrintBoard5", else none
inline QString PrintBoardName;
inline bool ASGValuesOverRide = false;

// Preferences.
inline bool DisplaySoundAlertP = false;
inline bool DisplayColorAlertP = false;
inline bool KeepContextualMenuDisplayedP = false;
inline bool AutoScalingGuideP = false;
inline bool ScaleForLandscapeMode = false;
inline bool AlwaysDisplayPageSetUpP = false;

// Keyboard shortcut letters ("a".."z" in either case, or empty) and their key codes.
inline QString PKS;
inline int PKSValue = 0;
inline QString CMKS;
inline int CMKSValue = 0;
inline QString PTS;
inline int PTSValue = 0;
inline QString PNS;
inline int PNSValue = 0;

// The command window and the help window.
inline bool CMWindowVisibility = false;
inline int MenuValueForContextMenu = 0;
inline int OldCMMenuValue = 0;
inline int ResetInstructionsTimer = 0;

// Back to the values of a fresh start (tests; the program itself starts zeroed).
void reset();

} // namespace Module1
