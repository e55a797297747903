#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace selection {
struct Guide;
}

// The Auto-Scaling Guide: a small window beside the pointer that says at which page-setup scale
// the selection being dragged fits on one page. It floats above the overlay without the window
// manager (like the overlay itself) and never takes the keyboard, so the drag and Escape keep
// going to the overlay. One instance at a time, opened when needed and closed when not.
class ScaleDisplayWindow final : public QWidget
{
    Q_OBJECT
public:
    // Height of the strip that shows the title: override-redirect windows get no title bar from
    // the window manager, and the title is what tells portrait from landscape.
    static constexpr int TitleHeight = 16;

    // The open window, created (hidden) when there is none.
    static ScaleDisplayWindow *instance();
    // The open window, or nullptr.
    static ScaleDisplayWindow *existing();
    static void closeIfOpen();

    // Shows `guide` with the window's top-left at `topLeft` (global points); the content area
    // below the title strip is the guide's width x height. Changes nothing that is already so,
    // so a drag does not make it flicker.
    void showGuide(const selection::Guide &guide, QPoint topLeft);

    [[nodiscard]] QString displayedText() const;
    [[nodiscard]] QSize contentSize() const;

    QPlainTextEdit *ScaleDisplayEditField;
    QLineEdit *EditField1;

private:
    ScaleDisplayWindow();

    QLabel *m_title;
    QWidget *m_content;
    QString m_text;
    static QPointer<ScaleDisplayWindow> s_window;
};
