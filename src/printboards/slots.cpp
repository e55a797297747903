#include "printboards/slots.h"

#include "core/menu.h"
#include "core/module1.h"
#include "core/window1.h"

#include <QAction>

namespace printboards {

QString key(int slot)
{
    return QStringLiteral("ProjectsPrintBoard%1").arg(slot);
}

QString defaultName(int slot)
{
    return QStringLiteral("PrintBoard %1").arg(slot);
}

StyledDocument *document(Window1 &w, int slot)
{
    switch (slot) {
    case 1:
        return w.WASTEfield3;
    case 2:
        return w.PrintBoard2WasteField;
    case 3:
        return w.PrintBoard3WASTEfield;
    case 4:
        return w.PrintBoard4WASTEfield;
    case 5:
        return w.PrintBoard5WASTEfield;
    default:
        return nullptr;
    }
}

int slotForKey(const QString &activeKey)
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        if (activeKey.compare(key(slot), Qt::CaseInsensitive) == 0)
            return slot;
    }
    return 0;
}

int checkedSlot(const Menu &menu)
{
    for (int slot = 1; slot <= SlotCount; ++slot) {
        if (menu.item(key(slot))->isChecked())
            return slot;
    }
    return 0;
}

namespace {

QString escaped(QString text)
{
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

} // namespace

QString name(const Menu &menu, int slot)
{
    return menu.item(key(slot))->text().replace(QLatin1String("&&"), QLatin1String("&"));
}

void setName(Menu &menu, int slot, const QString &name)
{
    menu.item(key(slot))->setText(escaped(name));
}

QString quotedMenuName()
{
    return QLatin1Char('"') + escaped(Module1::PrintBoardName) + QLatin1Char('"');
}

void retitleProjectItems(Menu &menu)
{
    const QString quoted = quotedMenuName();
    menu.item(QStringLiteral("DeletePrintBoardContents"))
        ->setText(QStringLiteral("Delete the contents of ") + quoted);
    menu.item(QStringLiteral("NameProject"))
        ->setText(QStringLiteral("Name/Rename Project ") + quoted);
    menu.item(QStringLiteral("ViewPrintProject"))
        ->setText(QStringLiteral("View/Print Project ") + quoted);
}

} // namespace printboards
