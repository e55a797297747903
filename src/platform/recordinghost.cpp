#include "platform/recordinghost.h"

#include "platform/documentprinter.h"

void RecordingHost::beep()
{
    ++beeps;
    events << QStringLiteral("beep");
}

void RecordingHost::message(const QString &text, const QString &detail)
{
    messages << text;
    messageDetails << detail;
    events << QStringLiteral("message:") + text;
}

void RecordingHost::bringProcessFront()
{
    events << QStringLiteral("front");
}

int RecordingHost::pageSetupDialog(PageFormat &format)
{
    int result;
    if (pageSetupAnswers.empty()) {
        result = m_real.pageSetupDialog(format);
    } else {
        auto answer = std::move(pageSetupAnswers.front());
        pageSetupAnswers.pop_front();
        result = answer.result;
        if (result == 0 && answer.edit)
            answer.edit(format);
    }
    events << QStringLiteral("pagesetup:%1").arg(result);
    return result;
}

int RecordingHost::printDialog(QPrinter &printer)
{
    int result;
    if (printAnswers.empty()) {
        result = m_real.printDialog(printer);
    } else {
        auto answer = std::move(printAnswers.front());
        printAnswers.pop_front();
        result = answer.result;
        if (result == 0 && answer.configure)
            answer.configure(printer);
    }
    events << QStringLiteral("print:%1").arg(result);
    return result;
}

int RecordingHost::previewDialog(const platform::PagedDocument &doc, const QPageLayout &layout)
{
    lastPreviewPages = doc.pageCount();
    int result;
    if (previewAnswers.empty()) {
        result = m_real.previewDialog(doc, layout);
    } else {
        result = previewAnswers.front();
        previewAnswers.pop_front();
    }
    events << QStringLiteral("preview:%1").arg(result);
    return result;
}

void RecordingHost::clear()
{
    events.clear();
    messages.clear();
    messageDetails.clear();
    beeps = 0;
    pageSetupAnswers.clear();
    printAnswers.clear();
    previewAnswers.clear();
    lastPreviewPages = 0;
}
