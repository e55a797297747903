#include "printing/printpipeline.h"

#include "core/module1.h"
#include "core/window1.h"
#include "platform/desktop.h"
#include "platform/documentprinter.h"
#include "platform/host.h"
#include "platform/styleddocument.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>

namespace printing {

namespace {

// Qt adds this to any clipboard that holds a picture; it is not a format of the owner's, and
// the picture's real formats (image/png ...) are kept anyway.
constexpr auto QtImageMime = "application/x-qt-image";

std::unique_ptr<QMimeData> snapshot(const QMimeData &source)
{
    auto copy = std::make_unique<QMimeData>();
    const QStringList formats = source.formats();
    for (const QString &format : formats) {
        if (format == QLatin1String(QtImageMime))
            continue;
        copy->setData(format, source.data(format));
    }
    if (copy->formats().isEmpty())
        return nullptr;
    return copy;
}

QMimeData *duplicate(const QMimeData &source)
{
    auto *copy = new QMimeData;
    const QStringList formats = source.formats();
    for (const QString &format : formats)
        copy->setData(format, source.data(format));
    return copy;
}

} // namespace

void install(Window1 &w)
{
    QObject::connect(w.PrintPushButton, &QPushButton::clicked, &w,
                     [&w] { printSelectionCommand(w); });
    QObject::connect(w.PageSetUpPushButton, &QPushButton::clicked, &w,
                     [&w] { pageSetupCommand(w); });
    QObject::connect(w.Timer1, &QTimer::timeout, &w, [&w] { printCapture(w); });
    QObject::connect(w.Timer9, &QTimer::timeout, &w, [&w] { printCaptureWithPageSetupForced(w); });
    QObject::connect(w.Timer8, &QTimer::timeout, &w, [&w] { w.PrintPushButton->click(); });
}

bool clipboardHasTextOrPicture()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data && (data->hasText() || data->hasImage());
}

void clipboardSave(Window1 &w)
{
    w.WASTEfieldRestoreClipboard->setText(QString());
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    if (data && (data->hasText() || data->hasImage()))
        w.WASTEfieldRestoreClipboard->insertMimeData(*data);
    w.savedClipboard = data ? snapshot(*data) : nullptr;
}

void clipboardRestore(Window1 &w)
{
    StyledDocument *doc = w.WASTEfieldRestoreClipboard;
    doc->setSelStart(0);
    doc->setSelLength(doc->textLength());
    if (w.savedClipboard)
        QGuiApplication::clipboard()->setMimeData(duplicate(*w.savedClipboard));
    else
        doc->copy();
}

int pageSetupRun(Window1 &w)
{
    platform::host().bringProcessFront();
    const int result = w.WASTEfield1->pageSetup();
    const QString format = w.WASTEfield1->pageSetupString();
    for (StyledDocument *doc :
         {w.WASTEfield2, w.WASTEfield3, w.PrintBoard2WasteField, w.PrintBoard3WASTEfield,
          w.PrintBoard4WASTEfield, w.PrintBoard5WASTEfield}) {
        doc->setPageSetupString(format);
    }
    if (isError(result))
        platform::host().message(PageSetupErrorPrefix + QString::number(result));
    return result;
}

void showPrintError(const QString &prefix, int code)
{
    platform::host().message(prefix + QString::number(code), platform::lastPrintErrorDetail());
}

void printSelectionCommand(Window1 &w)
{
    clipboardSave(w);
    Module1::SelectTimer = platform::commandKeyDown() ? 6 : 1;
    w.start();
}

void printCapture(Window1 &w)
{
    w.WASTEfield1->setText(QString());
    if (!clipboardHasTextOrPicture()) {
        platform::host().beep();
        platform::host().message(WhoopsMessage);
        clipboardRestore(w);
        return;
    }
    w.WASTEfield1->paste();
    if (Module1::AlwaysDisplayPageSetUpP)
        pageSetupRun(w);
    platform::host().bringProcessFront();
    const int printed = w.WASTEfield1->print();
    clipboardRestore(w);
    if (isError(printed))
        showPrintError(PrintingErrorPrefix, printed);
    w.WASTEfield1->setText(QString());
}

void printCaptureWithPageSetupForced(Window1 &w)
{
    w.WASTEfield1->setText(QString());
    if (!clipboardHasTextOrPicture()) {
        platform::host().beep();
        platform::host().message(WhoopsMessage);
        return;
    }
    w.WASTEfield1->paste();
    if (isError(pageSetupRun(w))) {
        w.WASTEfield1->setText(QString());
        return;
    }
    const int printed = w.WASTEfield1->print();
    if (isError(printed))
        showPrintError(PrintingErrorPrefix, printed);
    w.WASTEfield1->setText(QString());
}

void pageSetupCommand(Window1 &w)
{
    pageSetupRun(w);
}

} // namespace printing
