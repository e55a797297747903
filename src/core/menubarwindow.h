#pragma once

#include <QWidget>

class Menu;
class QMenuBar;
class Window1;

// A compact window that carries the program's menus on desktops without a global menu bar.
class MenuBarWindow final : public QWidget
{
    Q_OBJECT
public:
    MenuBarWindow(Window1 &engine, Menu &menus, QWidget *parent = nullptr);

    [[nodiscard]] QMenuBar *menuBar() const { return m_menuBar; }

private:
    QMenuBar *m_menuBar;
};
