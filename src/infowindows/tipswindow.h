#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QLabel;

// A few tips on using Quillo, in a small floating window.
class TipsWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{410, 370};
    static constexpr QRect TextGeometry{4, 3, 400, 370};
    static constexpr qreal TextPoints = 12;

    // The open window; created hidden when there is none.
    static TipsWindow *instance();
    // The open window, or nullptr.
    static TipsWindow *existing();
    static void closeIfOpen();

    // Shows the window above the application the user is in.
    void showWindow();

    // The tips, paragraphs separated by blank lines.
    [[nodiscard]] static QString text();

    QLabel *StaticText1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TipsWindow();

    static QPointer<TipsWindow> s_window;
};
