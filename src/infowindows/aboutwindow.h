#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QLabel;

// The about window: one picture with the program's name, version and licence.
class AboutQuilloWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{526, 396};
    static constexpr QColor Background{239, 239, 239};

    // The open window; created hidden when there is none.
    static AboutQuilloWindow *instance();
    // The open window, or nullptr.
    static AboutQuilloWindow *existing();
    static void closeIfOpen();

    // Shows the window above the application the user is in.
    void showWindow();

    // The about picture, drawn on first use at the main screen's resolution and kept for the run.
    [[nodiscard]] static QPixmap picture();

    QLabel *ImageWell1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AboutQuilloWindow();

    static QPointer<AboutQuilloWindow> s_window;
};
