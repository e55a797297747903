#pragma once

#include <QWidget>

class QMenuBar;
class Window1;

// A compact window that carries the program's menus on desktops without a global menu bar.
class MenuBarWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit MenuBarWindow(Window1 &engine, QWidget *parent = nullptr);

    [[nodiscard]] QMenuBar *menuBar() const { return m_menuBar; }

private:
    QMenuBar *m_menuBar;
};
