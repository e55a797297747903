#pragma once

#include <QWidget>

class Menu;
class QMenuBar;

// A compact window that carries the program's menus on desktops without a global menu bar.
class MenuBarWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MenuBarWindow(Menu &menus, QWidget *parent = nullptr);

    [[nodiscard]] QMenuBar *menuBar() const { return m_menuBar; }

private:
    QMenuBar *m_menuBar;
};
