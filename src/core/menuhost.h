#pragma once

#include <QObject>

class Menu;
class MenuBarWindow;
class QMenu;
class QSystemTrayIcon;

// Where the program's menus live on this desktop: in a tray icon's menu when the desktop has a
// system tray, otherwise in the compact menu-bar window, which is then shown at start-up.
class MenuHost final : public QObject
{
    Q_OBJECT
public:
    explicit MenuHost(Menu &menu, QObject *parent = nullptr);
    ~MenuHost() override;

    // Shows the menus: the menu-bar window raised, or the tray's menu at the pointer.
    void bringToFront();

    [[nodiscard]] bool usesTray() const { return m_tray != nullptr; }
    [[nodiscard]] MenuBarWindow *window() const { return m_window; }
    [[nodiscard]] QSystemTrayIcon *tray() const { return m_tray; }

private:
    MenuBarWindow *m_window;
    QMenu *m_trayMenu = nullptr;
    QSystemTrayIcon *m_tray = nullptr;
};
