#pragma once

#include "platform/desktophost.h"
#include "platform/pageformat.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>

class QPrinter;

// The host for tests: records beeps, messages and bringing to the front in one event log, in the
// order they happened, and answers the page-setup and print dialogs from scripts. A dialog with
// no scripted answer left is shown for real (a test then drives it like a person would).
class RecordingHost final : public Host
{
public:
    struct PageSetupAnswer
    {
        int result = 0;
        // Applied to the format when result is 0.
        std::function<void(PageFormat &)> edit;
    };
    struct PrintAnswer
    {
        int result = 0;
        // Applied to the printer when result is 0, e.g. to pick a queue or an output file.
        std::function<void(QPrinter &)> configure;
    };

    // "beep", "front", "message:<text>", "pagesetup:<result>", "print:<result>",
    // "preview:<result>"
    QStringList events;
    QStringList messages;       // texts only
    QStringList messageDetails; // second texts, "" when none
    int beeps = 0;

    std::deque<PageSetupAnswer> pageSetupAnswers;
    std::deque<PrintAnswer> printAnswers;
    std::deque<int> previewAnswers;
    int lastPreviewPages = 0; // pages of the last document previewed

    void beep() override;
    void message(const QString &text, const QString &detail = {}) override;
    void bringProcessFront() override;
    int pageSetupDialog(PageFormat &format) override;
    int printDialog(QPrinter &printer) override;
    int previewDialog(const platform::PagedDocument &doc, const QPageLayout &layout) override;

    void clear();

private:
    DesktopHost m_real;
};
