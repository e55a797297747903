#include "core/startup.h"

#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "hotkeys/shortcutwindow.h"
#include "infowindows/agreementwindow.h"
#include "platform/host.h"
#include "platform/styleddocument.h"
#include "preferences/preferenceswindow.h"
#include "printboards/boards.h"
#include "printboards/slots.h"

#include <QAction>
#include <QLineEdit>
#include <QTimer>

namespace startup {

namespace {

// Reads the flags of `names` as start-up does: an "on" file switches its preference on; for
// the last three preferences any other existing file switches it off.
void readFlags(std::initializer_list<const char *> names, bool offWhenPresent)
{
    for (const char *name : names) {
        const resources::FlagFile *flag = resources::flagFile(name);
        const std::optional<bool> on = resources::readFlag(*flag);
        if (on && *on)
            *flag->variable = true;
        else if (on && offWhenPresent)
            *flag->variable = false;
    }
}

} // namespace

void openApplication(Menu &menu)
{
    for (int slot = 1; slot <= printboards::SlotCount; ++slot) {
        if (const auto name = resources::readFirstLine(resources::files::projectName(slot)))
            printboards::setName(menu, slot, *name);
    }
}

void openEngine(Window1 &w, Menu &menu)
{
    // Created hidden: their opening steps load the preference boxes and the four shortcut
    // letters. The registration a second later closes both, which writes the preferences.
    PreferencesWindow::instance();
    KeyboardShortcutWindow *shortcuts = KeyboardShortcutWindow::instance();

    if (const auto active =
            resources::readFirstLine(QLatin1String(resources::files::ActivePrintBoard)))
        Module1::ActivePrintBoard = *active;
    if (const int slot = printboards::slotForKey(Module1::ActivePrintBoard))
        menu.item(printboards::key(slot))->setChecked(true);

    // Shown while its file exists; start-up goes on without waiting for the answer.
    infowindows::showAgreementIfPresent();

    readFlags({"Quillo CMV Preferences", "Quillo DispA Preferences", "Quillo SoundA Preferences"},
              false);

    // A board file we cannot read is moved aside, never overwritten by the shutdown, and the
    // user hears about all of them at once.
    QStringList damaged;
    for (int slot = 1; slot <= printboards::SlotCount; ++slot) {
        const resources::LoadOutcome outcome =
            resources::loadDocument(*printboards::document(w, slot), printboards::key(slot));
        if (!outcome.problem.isEmpty()) {
            damaged << (outcome.keptAs.isEmpty() ? outcome.problem
                                                 : QStringLiteral("%1 It was kept as “%2”.")
                                                       .arg(outcome.problem, outcome.keptAs));
        }
    }
    if (!damaged.isEmpty()) {
        platform::host().message(
            QStringLiteral("Some PrintBoards could not be read and start empty."),
            damaged.join(QLatin1Char('\n')));
    }

    if (const int slot = printboards::checkedSlot(menu))
        Module1::PrintBoardName = printboards::name(menu, slot);
    printboards::retitleProjectItems(menu);

    if (const auto letter = resources::readAll(QLatin1String(resources::files::PrintingHotkey), 64))
        shortcuts->PrintKeyboardShortcutEditField->setText(*letter);
    Module1::PKS = shortcuts->PrintKeyboardShortcutEditField->text();

    readFlags({"PreferencesAScaleG", "PageSetup Preferences", "PreferencesSetASGtoLandscape"},
              true);

    // The command window is made and closed again during the opening, which leaves its state
    // as a closed window does; it is first built when the user asks for it.
    Module1::CMWindowVisibility = false;
    Module1::MenuValueForContextMenu = -1;
    Module1::OldCMMenuValue = 0;

    w.IntializePKSTimer->start();
}

void shutdown(Window1 &w)
{
    // Declining the agreement ends the program before it has kept anything.
    if (infowindows::declined())
        return;
    // Writes still on their way must not land over the ones below.
    printboards::waitForSaves();
    for (int slot = 1; slot <= printboards::SlotCount; ++slot) {
        if (!resources::saveDocument(*printboards::document(w, slot), printboards::key(slot)))
            platform::host().beep();
    }
    // What the editor's printing field holds: a window made for this loads the file first, so
    // the file then gets its own content back.
    resources::writeText(
        QLatin1String(resources::files::PrintingHotkey),
        KeyboardShortcutWindow::instance()->PrintKeyboardShortcutEditField->text());
    resources::writeText(QLatin1String(resources::files::ActivePrintBoard),
                         Module1::ActivePrintBoard);
    for (int slot = 1; slot <= printboards::SlotCount; ++slot) {
        if (resources::exists(printboards::key(slot)))
            resources::markHidden(printboards::key(slot));
    }
}

} // namespace startup
