#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QPushButton;

// The editor of the four system-wide shortcuts: one letter field and an "Okay" per shortcut.
// Confirming stores the letter in its file and registers all four shortcuts again. Created
// hidden at start-up (its opening step loads the letters), and whenever the user opens it.
class KeyboardShortcutWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{336, 516};

    static KeyboardShortcutWindow *instance(); // created (hidden) when there is none
    static KeyboardShortcutWindow *existing();
    static void closeIfOpen();
    // Shows the window in front, the keyboard in the printing field.
    void showWindow();

    QLineEdit *PrintKeyboardShortcutEditField;
    QPushButton *PrintShortcutOKPushButton;
    QLineEdit *PrintWTDStampKBShortcutEditfield;
    QPushButton *PrintTDShortcutPushButton;
    QLineEdit *PrintWNoteKBSEditField;
    QPushButton *PrintShortcutWNoteOKPushButton;
    QLineEdit *CMKeyBoardShortcutEditField;
    QPushButton *CMShortcutOKPushButtonPushButton;
    QPushButton *SetPKSatLaunchPushButton;

    // The letters in force when the user last clicked into each field.
    QString OldPKS, OldCMKS, OldPTS, OldPNS;

    // The shortcuts another program held at the last registration from this window.
    [[nodiscard]] QList<int> lastRefused() const { return m_refused; }

    // Confirms the shortcut with hot-key id `id` (hotkeys::Id), as its "Okay" does.
    void confirm(int id);

protected:
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyboardShortcutWindow();
    void setAtLaunch();

    QList<int> m_refused;
    static QPointer<KeyboardShortcutWindow> s_window;
};
