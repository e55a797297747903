#include "platform/desktophost.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

void DesktopHost::beep()
{
    QApplication::beep();
}

void DesktopHost::raiseAndActivate(QWidget *window)
{
    // Nothing of ours is in front when a hot key or a timer opens a dialog: the user's own
    // application is. Keep the dialog above it and ask the window manager for the focus once
    // the window is mapped (activation before mapping is ignored on X11).
    window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    QTimer::singleShot(0, window, [window] {
        window->raise();
        window->activateWindow();
    });
}

void DesktopHost::message(const QString &text, const QString &detail)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quillo"), text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("QuilloMessageBox"));
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    raiseAndActivate(&box);
    box.exec();
}

void DesktopHost::bringProcessFront()
{
    // The program has no main window; what must come to the front are the windows it shows next
    // (dialogs and messages, raised as they open) and any window of ours already on screen.
    if (QWidget *w = QApplication::activeModalWidget()) {
        w->raise();
        w->activateWindow();
        return;
    }
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *w : windows) {
        if (w->isVisible() && !w->testAttribute(Qt::WA_X11NetWmWindowTypeDock) &&
            w->objectName() != QLatin1String("overlaywindow")) {
            w->raise();
        }
    }
}
