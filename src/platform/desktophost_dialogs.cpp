#include "platform/desktophost.h"
#include "platform/pagesetupdialog.h"
#include "platform/previewdialog.h"
#include "platform/resultcodes.h"

#include <QPrintDialog>
#include <QPrinter>

int DesktopHost::pageSetupDialog(PageFormat &format)
{
    PageSetupDialog dialog(format);
    raiseAndActivate(&dialog);
    if (dialog.exec() != QDialog::Accepted)
        return result::Cancelled;
    format = dialog.format();
    return result::Done;
}

int DesktopHost::printDialog(QPrinter &printer)
{
    QPrintDialog dialog(&printer);
    // The whole document is printed; there is no selection and no current page to offer.
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    raiseAndActivate(&dialog);
    return dialog.exec() == QDialog::Accepted ? result::Done : result::Cancelled;
}

int DesktopHost::previewDialog(const platform::PagedDocument &doc, const QPageLayout &layout)
{
    PreviewDialog dialog(doc, layout);
    raiseAndActivate(&dialog);
    return dialog.exec() == QDialog::Accepted ? result::Done : result::Cancelled;
}
