#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;
class QPushButton;
class Window1;

// Asks whether to delete the active PrintBoard's contents. Modal, but shown without waiting: the
// command returns at once and the buttons carry the answer out. One instance; each opening
// creates it anew.
class ClearJobWarningWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{345, 150};

    static ClearJobWarningWindow *open(Window1 &w);
    static ClearJobWarningWindow *existing();
    static void closeIfOpen();

    QWidget *Canvas1;
    QLabel *StaticText1;
    QPushButton *CancelClearPrintJobPushButton;
    QPushButton *OkayClearPrintPushButton;

private:
    explicit ClearJobWarningWindow(Window1 &w);
    static QPointer<ClearJobWarningWindow> s_window;
};
