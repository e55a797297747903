#pragma once

#include <QMimeData>
#include <QPointer>
#include <QWidget>

#include <memory>

class OverlayWindow;
class QLineEdit;
class QPushButton;
class QTimer;
class StyledDocument;

// The hidden engine window. Its push buttons are the commands: every entry point (command
// window, menus, hot keys, the selection overlay) starts a command by clicking its button, which
// runs the action at once. Its single-shot timers carry each command's second half, after the
// screen selection; its documents hold what is captured, printed and collected.
class Window1 final : public QWidget
{
    Q_OBJECT
public:
    explicit Window1(QWidget *parent = nullptr);
    ~Window1() override;

    // The one engine window of the run (the most recently created one).
    static Window1 *instance();

    // Begins a screen selection for the command whose continuation code is in
    // Module1::SelectTimer; returns as soon as the overlay is up.
    void start();

    // The overlay of the current or last selection.
    QPointer<OverlayWindow> o;

    // Commands.
    QPushButton *PrintPushButton;
    QPushButton *PrintWithStampPushButton;
    QPushButton *PrintWithNotePushButton;
    QPushButton *PageSetUpPushButton;
    QPushButton *AddToPrintJobPushButton1;
    QPushButton *AddToPrintJobPushButton2;
    QPushButton *AddNoteToJobPushButton;
    QPushButton *PrintPrintJjobPushButton;
    QPushButton *ClearPrintJobPushButton;

    // Documents.
    StyledDocument *WASTEfield1;                // capture document; keeps the one page format
    StyledDocument *WASTEfield2;                // capture document of stamp and note prints
    StyledDocument *WASTEfieldRestoreClipboard; // the user's clipboard while a command runs
    StyledDocument *WASTEfield3;                // PrintBoard slot 1
    StyledDocument *PrintBoard2WasteField;
    StyledDocument *PrintBoard3WASTEfield;
    StyledDocument *PrintBoard4WASTEfield;
    StyledDocument *PrintBoard5WASTEfield;

    // The Auto-Scaling Guide's advice in sentence form, for the PrintBoard adds.
    QLineEdit *ASGValuesEditfield;

    // Continuations and deferred work; all single-shot.
    QTimer *Timer1;
    QTimer *Timer2;
    QTimer *Timer3;
    QTimer *Timer4;
    QTimer *Timer5;
    QTimer *Timer8;
    QTimer *Timer9;
    QTimer *ContextualMenuTimer;
    QTimer *ForcehelpInstructionsUpdateTimer;
    QTimer *IntializePKSTimer;

    // Every format of the user's clipboard as the last clipboard save found it, so that the
    // restore gives back exactly what the user had (the restore document keeps only text or a
    // picture). Empty when the clipboard held nothing.
    std::unique_ptr<QMimeData> savedClipboard;

private:
    QPushButton *makeButton(const char *name, const QString &caption);
    StyledDocument *makeDocument(const char *name);
    QTimer *makeTimer(const char *name, int periodMs);
};
