#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Window1;

// The command line: `quillo` starts the program (or brings a running one's menus to the front);
// `quillo COMMAND` hands the command to the running instance, starting one when none runs, so
// that the desktop's own keyboard settings can start Quillo's commands where global key grabs
// are not possible.
namespace commandline {

struct Parsed
{
    enum Kind { Start, Command, Help, Version, Error } kind = Start;
    QByteArray command; // for Command: one of commands()
    QString message;    // for Error: what is wrong, for stderr
};

// The commands, as typed.
[[nodiscard]] QStringList commands();
// `arguments` without the program name.
[[nodiscard]] Parsed parse(const QStringList &arguments);
[[nodiscard]] QString helpText();

// What travels to the running instance: "front", or "command:<name>".
[[nodiscard]] QByteArray message(const Parsed &parsed);
// Carries out a message from another start; false for one it does not know.
bool carryOut(Window1 &w, const QByteArray &message);

} // namespace commandline
