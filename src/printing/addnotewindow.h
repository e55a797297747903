#pragma once

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// Where the note window's top-left goes on a main screen with the given geometry (points,
// global coordinates): 350 points left of the right edge and 700 above the bottom, but never
// closer than 50 points to the top, so that a low screen still shows the window whole.
[[nodiscard]] constexpr QPoint addNoteWindowPlacement(const QRect &screen)
{
    const int top = screen.height() - 700;
    return {screen.x() + screen.width() - 350, screen.y() + (top < 50 ? 50 : top)};
}

// The small window in which the user types a note after making a selection. It has two layouts
// that differ only in which "Add Note" button shows: one prints the selection with the note, the
// other adds the note to a PrintBoard. One instance at a time; closing destroys it, so each
// opening starts with an empty field and both "Add Note" buttons disabled.
class AddNoteWindow final : public QWidget
{
    Q_OBJECT
public:
    enum class Layout { Print, PrintBoard };

    static constexpr QSize Size{300, 300};

    // The open window; created and placed (not shown) when there is none.
    static AddNoteWindow *instance();
    // The open window, or nullptr.
    static AddNoteWindow *existing();
    static void closeIfOpen();

    // Sets the layout and shows the window above the application the user is in, with the
    // keyboard in the note field.
    void showIn(Layout layout);
    // Closes and destroys the window (later, so it may be called from its own buttons).
    void closeWindow();

    QPlainTextEdit *AddNoteEditField;
    QPushButton *AddNoteButton;          // print layout
    QPushButton *AddNoteSaveToJobButton; // PrintBoard layout
    QPushButton *CancelButton;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AddNoteWindow();
    void comeToFront();
    void noteChanged();

    static QPointer<AddNoteWindow> s_window;
    bool m_closedByCommand = false;
};
