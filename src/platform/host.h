#pragma once

#include <QString>
#include <memory>

class QPageLayout;
class QPrinter;
struct PageFormat;
namespace platform {
class PagedDocument;
}

// The services where the program meets a person: the alert sound, modal messages, bringing the
// program to the front, and the two modal dialogs of printing. The desktop implementation shows
// real things; tests install a RecordingHost that records them and answers dialogs by script.
class Host
{
public:
    virtual ~Host() = default;

    virtual void beep() = 0;
    // A modal message with one OK button; returns when it is dismissed. `detail` is an optional
    // second, smaller text (why it happened); `text` is the program's message word for word.
    virtual void message(const QString &text, const QString &detail = {}) = 0;
    // Makes the program the one in front, so that the dialogs and messages that follow show
    // above the application the user was working in.
    virtual void bringProcessFront() = 0;
    // Page-setup dialog on `format`: 0 accepted (format updated), -128 cancelled (unchanged).
    virtual int pageSetupDialog(PageFormat &format) = 0;
    // Print dialog configuring `printer`: 0 accepted, -128 cancelled.
    virtual int printDialog(QPrinter &printer) = 0;
    // Print preview of `doc` laid out on `layout`: 0 when the user asks to print it, -128 when
    // they close it.
    virtual int previewDialog(const platform::PagedDocument &doc, const QPageLayout &layout) = 0;
};

namespace platform {

// The host in use. Defaults to the desktop host on first use.
Host &host();
// Replaces the host (tests); returns the previous one.
std::unique_ptr<Host> setHost(std::unique_ptr<Host> host);

} // namespace platform
