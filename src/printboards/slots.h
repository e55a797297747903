#pragma once

#include <QString>

class Menu;
class StyledDocument;
class Window1;

// The five PrintBoards ("projects"): slot 1 to 5, each with a key that is also its Projects
// menu item's name and its document's file name, a document of the engine window, and a name
// that lives in the text of its menu item.
namespace printboards {

inline constexpr int SlotCount = 5;

[[nodiscard]] QString key(int slot);         // "ProjectsPrintBoard1" ..
[[nodiscard]] QString defaultName(int slot); // "PrintBoard 1" ..
[[nodiscard]] StyledDocument *document(Window1 &w, int slot);
// The slot whose key equals `activeKey`, letter case ignored; 0 when none does.
[[nodiscard]] int slotForKey(const QString &activeKey);
// The first slot whose Projects item carries the check mark; 0 when none does.
[[nodiscard]] int checkedSlot(const Menu &menu);
// The slot's name, as its Projects item shows it.
[[nodiscard]] QString name(const Menu &menu, int slot);
// Shows `name` in the slot's Projects item. Item texts treat "&" as a mnemonic marker; a name
// is shown as typed.
void setName(Menu &menu, int slot, const QString &name);
// Gives the three items that name the active project their texts from Module1::PrintBoardName.
void retitleProjectItems(Menu &menu);
// The active project's name in double quotes, as menu texts end with it, "&" kept as typed.
[[nodiscard]] QString quotedMenuName();

} // namespace printboards
