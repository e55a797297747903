#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class StyledDocument;

// The resources folder, "Quillo Resources": one small file per kept value, plus the shipped texts.
//
// Where it is: a writable "Quillo Resources" beside the executable when one exists (a portable
// copy of the program); otherwise $XDG_DATA_HOME/quillo/Quillo Resources, created on first use
// and seeded with the shipped texts from the installed data folder.
//
// Every write goes to a temporary file in the folder and is renamed over the old one, so a crash
// or a full disk never leaves half a file. Readers never read more than they need: a first line
// is read up to its end or MaxLineBytes, whichever comes first.
namespace resources {

inline constexpr auto FolderName = "Quillo Resources";
inline constexpr qint64 MaxLineBytes = 4096;

struct Location
{
    QString path;    // the folder, also when it could not be made
    bool ok = false; // exists and can be written
    QString problem; // why not, for the user
};

// Finds (and when needed creates and seeds) the folder. `executableDir` is where the program
// lies, `dataHome` the XDG data home, `shippedDirs` the folders that may hold the shipped texts.
[[nodiscard]] Location locate(const QString &executableDir, const QString &dataHome,
                              const QStringList &shippedDirs);

// The folder of this run; found on first use (from the program's own location and the
// environment) unless a test set it.
[[nodiscard]] const Location &folder();
void setFolder(const QString &path); // tests, and the program's start-up
[[nodiscard]] QString filePath(const QString &name);

[[nodiscard]] bool exists(const QString &name);
// The first line without its line end ("\n", "\r\n" or "\r"); nullopt when the file is missing
// or unreadable.
[[nodiscard]] std::optional<QString> readFirstLine(const QString &name);
// The whole file as UTF-8 text, up to `maxBytes`; nullopt when missing or unreadable.
[[nodiscard]] std::optional<QString> readAll(const QString &name, qint64 maxBytes = 1 << 20);
// Replaces the file with exactly `text` (UTF-8, no line end added). False with `error` set when
// it cannot.
bool writeText(const QString &name, const QString &text, QString *error = nullptr);
bool remove(const QString &name);
// Lists the file in the folder's .hidden, which file managers honour.
bool markHidden(const QString &name, QString *error = nullptr);
[[nodiscard]] bool isHidden(const QString &name);
// Renames a file we cannot use to "<name>.unreadable-<date-time>" so that nothing overwrites it;
// returns the new name, or "" when the rename failed.
QString keepAside(const QString &name);

// A yes-or-no preference kept as one line: its "on" keyword, or its "off" keyword.
struct FlagFile
{
    const char *name;
    const char *on;
    const char *off;
    bool *variable;
};
// The six preference files, in the order the preferences window writes them.
[[nodiscard]] const FlagFile *flagFiles();
inline constexpr int FlagFileCount = 6;
[[nodiscard]] const FlagFile *flagFile(const char *name);

// nullopt when the file is missing; otherwise whether its first line is the "on" keyword,
// letter case ignored. Any other first line, an empty file included, is off.
[[nodiscard]] std::optional<bool> readFlag(const FlagFile &flag);
bool writeFlag(const FlagFile &flag, bool on, QString *error = nullptr);

// Loads a styled document from the folder; a missing file leaves the document alone and is not
// an error. A file that is there but not a document of ours is kept aside; `keptAs` then names it.
struct LoadOutcome
{
    bool loaded = false;
    QString problem; // why a present file was not loaded
    QString keptAs;  // where it was moved
};
LoadOutcome loadDocument(StyledDocument &doc, const QString &name);
// Saves a styled document and marks it hidden; false with `error` when it could not be saved.
bool saveDocument(const StyledDocument &doc, const QString &name, QString *error = nullptr);

// The names of the other files, exactly as they are spelled in the folder.
namespace files {
// Shortcut letters: the field's text, no line end.
inline constexpr auto PrintingHotkey = "Quillo PrintingHotkey Preference";
inline constexpr auto CommandWindowHotkey = "Quillo CMHotkey Preference";
inline constexpr auto StampHotkey = "Quillo PrintingTDHotkey Preference";
inline constexpr auto NoteHotkey = "Quillo PrintingNHotkey Preference";
// The key of the active PrintBoard, no line end.
inline constexpr auto ActivePrintBoard = "Quillo ActivePrintBoardPref";
// Project names, "QLPB1Name" to "QLPB5Name"; slot counts from 1.
[[nodiscard]] QString projectName(int slot);
// PrintBoard documents, "ProjectsPrintBoard1" to "ProjectsPrintBoard5".
[[nodiscard]] QString printBoard(int slot);
// Shipped texts.
inline constexpr auto SoftwareLicense = "Software License";
inline constexpr auto WelcomeText = "QuilloWelcomeText";
inline constexpr auto HelpOverview = "ContextualMenuHelpFile";
inline constexpr auto HelpInstructions = "ContextualMenuInstructions";
} // namespace files

} // namespace resources
