#include "core/menubarwindow.h"

#include "core/menu.h"
#include "core/window1.h"

#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A command chosen from a menu starts once the menu has left the screen, so that the screen
// picture the selection works on does not show it.
constexpr int MenuSettleMs = 300;

void pushLater(QPushButton *button)
{
    QTimer::singleShot(MenuSettleMs, button, [button] { button->click(); });
}

} // namespace

MenuBarWindow::MenuBarWindow(Window1 &engine, Menu &menus, QWidget *parent)
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

    // The selection commands, until the command window and the hot keys reach them.
    QMenu *commands = m_menuBar->addMenu(QStringLiteral("Commands"));
    commands->addAction(QStringLiteral("Print Selection"), this,
                        [&engine] { pushLater(engine.PrintPushButton); });
    commands->addAction(QStringLiteral("Print Selection With a Time-Date Stamp"), this,
                        [&engine] { pushLater(engine.PrintWithStampPushButton); });
    commands->addAction(QStringLiteral("Print Selection With a Note and Time-Date Stamp"), this,
                        [&engine] { pushLater(engine.PrintWithNotePushButton); });
    commands->addAction(QStringLiteral("Page Setup"), this,
                        [&engine] { pushLater(engine.PageSetUpPushButton); });
    commands->addSeparator();
    commands->addAction(QStringLiteral("Add Selection W/Single Space After it"), this,
                        [&engine] { pushLater(engine.AddToPrintJobPushButton1); });
    commands->addAction(QStringLiteral("Add Selection W/Double Space After it"), this,
                        [&engine] { pushLater(engine.AddToPrintJobPushButton2); });
    commands->addAction(QStringLiteral("Add a Note and Time-Date Stamp"), this,
                        [&engine] { pushLater(engine.AddNoteToJobPushButton); });

    resize(m_menuBar->sizeHint());
}
