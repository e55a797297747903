#include "platform/documentprinter.h"
#include "platform/host.h"
#include "platform/resultcodes.h"
#include "platform/styleddocument.h"

#include <QPrinter>

namespace {
PageFormat currentFormat(const QString &text)
{
    if (text.isEmpty())
        return platform::defaultPageFormat();
    // A string we cannot read (damaged, or from a newer version) prints like a new document.
    return PageFormat::fromString(text).value_or(platform::defaultPageFormat());
}
} // namespace

int StyledDocument::pageSetup()
{
    PageFormat format = currentFormat(m_pageSetup);
    const int r = platform::host().pageSetupDialog(format);
    if (r == result::Done)
        setPageSetupString(format.toString());
    return r;
}

int StyledDocument::print()
{
    const PageFormat format = currentFormat(m_pageSetup);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quillo"));
    platform::applyPageFormat(printer, format);
    const int r = platform::host().printDialog(printer);
    if (r != result::Done)
        return r;
    return platform::printDocument(m_doc, printer, format.scalePercent);
}

int StyledDocument::printWithPreview()
{
    const PageFormat format = currentFormat(m_pageSetup);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quillo"));
    platform::applyPageFormat(printer, format);
    {
        const QPageLayout layout = printer.pageLayout();
        const platform::PagedDocument paged(m_doc, layout.fullRect(QPageLayout::Point).size(),
                                            layout.paintRect(QPageLayout::Point),
                                            format.scalePercent);
        const int r = platform::host().previewDialog(paged, layout);
        if (r != result::Done)
            return r;
    }
    const int r = platform::host().printDialog(printer);
    if (r != result::Done)
        return r;
    return platform::printDocument(m_doc, printer, format.scalePercent);
}
