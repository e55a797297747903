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
// Gives the three items that name the active project their texts from Module1::PrintBoardName.
void retitleProjectItems(Menu &menu);

} // namespace printboards
