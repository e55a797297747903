#include "core/menuhost.h"

#include "core/menubarwindow.h"

#include <QCursor>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// A sheet of paper with a dashed selection on it, drawn here until the program ships its own
// icon files.
QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal u = size / 16.0;
        p.setPen(QPen(QColor(60, 60, 60), u));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(2.5 * u, 0.5 * u, 11 * u, 15 * u), u, u);
        p.setPen(QPen(QColor(30, 110, 220), u, Qt::DashLine));
        p.setBrush(QColor(30, 110, 220, 60));
        p.drawRect(QRectF(4.5 * u, 3.5 * u, 7 * u, 6 * u));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

MenuHost::MenuHost(Menu &menu, QObject *parent)
    : QObject(parent), m_window(new MenuBarWindow(menu))
{
    m_window->setWindowIcon(appIcon());
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_trayMenu = new QMenu;
        m_trayMenu->setObjectName(QStringLiteral("TrayMenu"));
        // The same menus as the window's, as submenus.
        m_trayMenu->addActions(m_window->menuBar()->actions());
        m_tray = new QSystemTrayIcon(appIcon(), this);
        m_tray->setToolTip(QStringLiteral("Quillo"));
        m_tray->setContextMenu(m_trayMenu);
        connect(m_tray, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        m_trayMenu->popup(QCursor::pos());
                });
        m_tray->show();
    } else {
        m_window->show();
    }
}

MenuHost::~MenuHost()
{
    delete m_trayMenu;
    delete m_window;
}

void MenuHost::bringToFront()
{
    if (m_tray) {
        m_trayMenu->popup(QCursor::pos());
        return;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
