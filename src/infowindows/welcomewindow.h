#pragma once

#include <QColor>
#include <QPointer>
#include <QWidget>

class QTextEdit;

// The welcome shown once, after the licence is accepted, from the shipped HTML file
// "QuilloWelcomeText"; closing the window deletes that file, so it is never shown again.
class WelcomeWindow final : public QWidget
{
    Q_OBJECT
public:
    // The design is 482 points wide; on a current desktop it opens wider, the text field
    // following the window's edges.
    static constexpr QSize DesignSize{482, 456};
    static constexpr int OpenedWidth = 552;
    static constexpr QColor FieldColor{229, 229, 163};

    // The open window; created (not shown) when there is none.
    static WelcomeWindow *instance();
    // The open window, or nullptr.
    static WelcomeWindow *existing();
    static void closeIfOpen();

    // Puts the welcome text (HTML) into the field and shows the window.
    void showWelcome(const QString &html);

    QTextEdit *WelcomeWindowEditField;

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    WelcomeWindow();
    void followEdges();

    static QPointer<WelcomeWindow> s_window;
};
