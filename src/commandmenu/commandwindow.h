#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

class Menu;
class QAction;
class QMenu;
class QToolButton;
class Window1;

// The small floating command window: one button, "Quillo", whose pop-up menu holds every
// command. A chosen row is carried out half a second later by the engine window's
// ContextualMenuTimer, which pushes the command's button. It floats above every application,
// never takes the keyboard from the one the user works in, and stays out of the task bar.
class ContextualMenuWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{120, 22};

    // The rows of the pop-up menu, in order; "" is a separator. Rows 7 to 11 end with the active
    // project's name in double quotes.
    [[nodiscard]] static QStringList rows(const QString &projectName);
    static constexpr int TipRowsFrom = 18;

    // The window, created (hidden) when there is none.
    static ContextualMenuWindow *instance();
    static ContextualMenuWindow *existing();
    // Closes and destroys the window; closing resets the command-window state.
    static void closeIfOpen();

    QToolButton *BevelButton1;

    // The 0-based index of the marked row, separators counting; -1 for none.
    [[nodiscard]] int menuValue() const { return m_menuValue; }
    void setMenuValue(int value);
    // The row texts as the menu shows them, and the pop-up menu itself (tests).
    [[nodiscard]] QMenu *popup() const { return m_popup; }

    // What choosing row `value` does at once (the button's action).
    void choose(int value);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    ContextualMenuWindow();
    void pointerMoved();

    QMenu *m_popup;
    QList<QAction *> m_rows;
    int m_menuValue = -1;
    static QPointer<ContextualMenuWindow> s_window;
};

namespace commandmenu {

// Connects the command window to the engine window's timer, the menus' Display and Hide items,
// and the PrintBoard commands that rebuild or close it. The menus of `menu` also pop up at the
// window (Shift over it, "View Projects Menu").
void install(Window1 &w, Menu &menu);

// Shows the window at the pointer, or hides it when it is shown. `front` also raises it (the
// menu item); the hot key leaves the keyboard where it is.
void toggleCommandWindow(bool front);
// Hides the window if it is shown or meant to be.
void hideCommandWindow();
// Hides and closes the window unless the user keeps it displayed.
void hideUnlessKept();
// Re-creates the window at its place with its visibility, so that its rows show the current
// project name.
void rebuildCommandWindow();
// The timer's action: carries out the marked row.
void dispatch(Window1 &w);

// Where the window goes for a pointer at `pointer` on a screen of `screen` size (both in the
// main screen's coordinates).
[[nodiscard]] QPoint placement(QPoint pointer, QSize screen);

} // namespace commandmenu
