#pragma once

#include "platform/host.h"

// The real host: the system's alert sound, QMessageBox, window activation, our page-setup
// dialog and Qt's print dialog (CUPS printers and "Print to File (PDF)").
class DesktopHost final : public Host
{
public:
    void beep() override;
    void message(const QString &text, const QString &detail = {}) override;
    void bringProcessFront() override;
    int pageSetupDialog(PageFormat &format) override; // desktophost_dialogs.cpp
    int printDialog(QPrinter &printer) override;      // desktophost_dialogs.cpp
    int previewDialog(const platform::PagedDocument &doc,
                      const QPageLayout &layout) override; // desktophost_dialogs.cpp

    // Dialogs and message boxes shown after bringProcessFront() are raised and activated.
    static void raiseAndActivate(class QWidget *window);
};
