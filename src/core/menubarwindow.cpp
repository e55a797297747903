#include "core/menubarwindow.h"

#include "core/menu.h"

#include <QMenuBar>
#include <QVBoxLayout>

MenuBarWindow::MenuBarWindow(Menu &menus, QWidget *parent)
    : QWidget(parent), m_menuBar(new QMenuBar(this))
{
    setObjectName(QStringLiteral("MenuBarWindow"));
    setWindowTitle(QStringLiteral("Quillo"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(m_menuBar);
    m_menuBar->setNativeMenuBar(false);

    for (QMenu *menu : menus.menus())
        m_menuBar->addMenu(menu);

    resize(m_menuBar->sizeHint());
}
