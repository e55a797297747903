#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>
#include <functional>

class QCheckBox;
class QPushButton;

namespace resources {
struct FlagFile;
}

// The six yes-or-no preferences, one check box each, and the way to the shortcut editor.
//
// Each box mirrors a variable of Module1 and a flag file of the resources folder. Creating the
// window loads the boxes from the files; a click flips the variable at once (the selection and
// printing code read the variables every time, so nothing else has to be told); closing writes
// all six files, touched or not. One instance at a time; closing destroys it, so the next use
// loads the files again.
class PreferencesWindow final : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize Size{282, 240};
    static constexpr qreal CaptionPoints = 11;

    // One box of the window, top to bottom. `file` is its flag file's name in the resources
    // table; `geometry` is in points within the window.
    struct Box
    {
        const char *name;
        QRect geometry;
        const char *caption;
        const char *helpTag; // paragraphs separated by "\r\r"
        const char *file;
    };
    static constexpr int BoxCount = 6;
    [[nodiscard]] static const Box *boxes();

    // The open window; created hidden, with its boxes loaded from the files, when there is none.
    static PreferencesWindow *instance();
    // The open window, or nullptr.
    static PreferencesWindow *existing();
    // Closes the open window, which writes the six files.
    static void closeIfOpen();

    // What "Set/View Keyboard Shortcuts" opens, and how closing this window with the command
    // window not kept on screen closes the command window. Both do nothing until set.
    static void setOpenShortcutEditor(std::function<void()> open);
    static void setCloseCommandWindow(std::function<void()> close);

    // Shows the window above the application the user is in.
    void showWindow();

    [[nodiscard]] QCheckBox *box(const char *name) const;

    QCheckBox *SoundPrefCheckBox;
    QCheckBox *ColorWarningPrefCheckBox;
    QCheckBox *ContMenuPrefCheckBox;
    QCheckBox *AutoScalingGuideCheckBox;
    QCheckBox *SetASGtoLandscapeMode;
    QCheckBox *PageSetUpCheckBox;
    QPushButton *PushButton1;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    PreferencesWindow();
    void loadBoxes();
    void boxChanged(const resources::FlagFile &flag);
    void writeFiles();

    static QPointer<PreferencesWindow> s_window;
};
