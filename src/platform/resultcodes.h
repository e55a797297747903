#pragma once

// Result codes of the page-setup and print dialogs and of printing a document.
// 0 and -128 are the meanings every caller relies on; the negative codes below are our own
// failures, kept clear of -50 (which one caller treats as silent) and of -128.
// The table is documented for users in docs/printing.md; keep the two in step.
namespace result {

inline constexpr int Done = 0;        // accepted, or printed
inline constexpr int Cancelled = -128; // the user cancelled the dialog

inline constexpr int PrinterInvalid = -1;    // the chosen printer is unknown or unusable
inline constexpr int PrinterOpenFailed = -2; // the print device or output file could not be opened
inline constexpr int JobRejected = -3;       // the printing system refused the job
inline constexpr int OutputFailed = -4;      // printing started but failed part-way

} // namespace result
