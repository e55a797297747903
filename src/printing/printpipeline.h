#pragma once

#include <QString>

class Window1;

// Printing a selection: the Print Selection command and its continuations, the page-setup
// command, and the procedures every selection command shares (clipboard save and restore, the
// page-setup run).
namespace printing {

inline const QString WhoopsMessage = QStringLiteral(
    "Whoops, your command wasn't fully processed.  Please be sure you have selected the material "
    "you want to print by drawing a rectangle around it and then try again.");
inline const QString PageSetupErrorPrefix = QStringLiteral("Page Setup Error: ");
inline const QString PrintingErrorPrefix = QStringLiteral("Printing Error: ");

// Connects the commands of this subsystem to their buttons and timers.
void install(Window1 &w);

// Keeps the user's clipboard: in the restore document (text or a picture) and, every format of
// it, beside the document.
void clipboardSave(Window1 &w);
// Gives the kept clipboard back.
void clipboardRestore(Window1 &w);
// The page-setup dialog on the capture document; its format is then copied to the other six
// documents, also after a cancel. Shows the error message for a result other than 0 or -128.
int pageSetupRun(Window1 &w);

[[nodiscard]] bool clipboardHasTextOrPicture();
// "<prefix><code>", with the reason of the last print failure as the message's second text.
void showPrintError(const QString &prefix, int code);
[[nodiscard]] constexpr bool isError(int result)
{
    return result != 0 && result != -128;
}

// The actions.
void printSelectionCommand(Window1 &w);
void printCapture(Window1 &w);                    // Timer1
void printCaptureWithPageSetupForced(Window1 &w); // Timer9
void pageSetupCommand(Window1 &w);

} // namespace printing
