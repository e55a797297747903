#pragma once

#include <QPointer>
#include <QSize>
#include <QString>
#include <QWidget>

class QPushButton;
class QTextEdit;
class Window1;

namespace commandmenu {

inline const QString HelpFileMissingMessage =
    QStringLiteral("The requested Help file can't be found.");

// Shows the help window with the overview, creating the window when none is open. Both menus
// call it: the command window's "Quillo Help and Tips" and the Help menu's "View Quillo Help".
// A missing overview file beeps and says so, and leaves any open window as it was.
void showHelpOverview();

// Connects the second load of the instructions to ForcehelpInstructionsUpdateTimer. Calling it
// again for the same engine window changes nothing.
void installHelp(Window1 &w);

} // namespace commandmenu

// The help window: the overview or the instructions and tips, both HTML files of the resources
// folder, in a read-only field, with buttons to switch between them and to print the text on
// display. One instance at a time; closing destroys it, so the next opening starts afresh.
class ContextualMenuHelpWindow final : public QWidget
{
    Q_OBJECT
public:
    // The layout for current desktops: wider than the field, the buttons spread out.
    static constexpr QSize Size{591, 432};

    // Paper, in points: the text is laid out this wide and printed in blocks at most this high,
    // each at the top-left of its page's printable area.
    static constexpr double PrintWidthPt = 540;
    static constexpr double PrintBlockHeightPt = 720;

    // The open window; created (not shown) when there is none.
    static ContextualMenuHelpWindow *instance();
    // The open window, or nullptr.
    static ContextualMenuHelpWindow *existing();

    QTextEdit *EditFieldContextualMenuHelpDisplay;
    QPushButton *InstructionsPushButton;
    QPushButton *PrintContextualMenuHelpPushButton;
    QPushButton *ReturntToOverviewPushButton;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    ContextualMenuHelpWindow();

    friend void commandmenu::showHelpOverview();
    void showOverview(const QString &html);
    void showInstructions();
    void returnToOverview();
    void printText();
    // Empties the field and leaves plain formatting at the insertion point, so that nothing of
    // the previous text's last character carries over into a text that sets no style.
    void emptyField();

    static QPointer<ContextualMenuHelpWindow> s_window;
    bool m_printing = false;
};
