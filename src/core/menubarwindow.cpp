#include "core/menubarwindow.h"

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

MenuBarWindow::MenuBarWindow(Window1 &engine, QWidget *parent)
    : QWidget(parent)
    , m_menuBar(new QMenuBar(this))
{
    setObjectName(QStringLiteral("MenuBarWindow"));
    setWindowTitle(QStringLiteral("Quillo"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(m_menuBar);
    m_menuBar->setNativeMenuBar(false);

    QMenu *file = m_menuBar->addMenu(QStringLiteral("File"));
    QAction *quit = file->addAction(QStringLiteral("Quit"), qApp, &QApplication::quit);
    quit->setObjectName(QStringLiteral("FileQuit"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *commands = m_menuBar->addMenu(QStringLiteral("Commands"));
    commands->addAction(QStringLiteral("Print Selection"), this,
                        [&engine] { pushLater(engine.PrintPushButton); });
    commands->addAction(QStringLiteral("Page Setup"), this,
                        [&engine] { pushLater(engine.PageSetUpPushButton); });

    resize(320, m_menuBar->sizeHint().height());
}
