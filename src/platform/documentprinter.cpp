#include "platform/documentprinter.h"

#include "platform/resultcodes.h"

#include <QAbstractTextDocumentLayout>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextObjectInterface>
#include <algorithm>
#include <cups/cups.h>
#include <memory>

namespace {

QString &errorDetail()
{
    static QString detail;
    return detail;
}

int fail(int code, const QString &detail)
{
    errorDetail() = detail;
    return code;
}

// Lines closer than this to a page end count as ending on it: layout positions are sums of
// floating-point heights.
constexpr qreal Epsilon = 1e-6;

bool isCupsQueue(const QPrinter &printer)
{
    return printer.outputFormat() == QPrinter::NativeFormat && !printer.printerName().isEmpty();
}

// "queue/instance" names an instance of a CUPS queue; libcups wants the two apart.
QPair<QByteArray, QByteArray> cupsName(const QString &printerName)
{
    const qsizetype slash = printerName.indexOf(QLatin1Char('/'));
    if (slash < 0)
        return {printerName.toLocal8Bit(), {}};
    return {printerName.left(slash).toLocal8Bit(), printerName.mid(slash + 1).toLocal8Bit()};
}

// Asks the scheduler for the queue. Besides telling whether the queue exists, a successful
// request resets libcups's per-thread last error, so that what we read after Qt's submission is
// the answer to that submission and not a leftover.
bool cupsQueueExists(const QString &printerName)
{
    const auto [name, instance] = cupsName(printerName);
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(),
                                         instance.isEmpty() ? nullptr : instance.constData());
    if (!dest)
        return false;
    cupsFreeDests(1, dest);
    return true;
}

// Qt submits the spooled PDF with cupsPrintFile() in QPainter::end() and ignores the result;
// libcups keeps it as the calling thread's last error, which we read right after end().
int cupsSubmissionResult(const QString &printerName)
{
    const ipp_status_t status = cupsLastError();
    if (status < IPP_STATUS_ERROR_BAD_REQUEST)
        return result::Done;
    const QString said = QString::fromLocal8Bit(cupsLastErrorString());
    switch (status) {
    case IPP_STATUS_ERROR_NOT_FOUND:
        return fail(result::PrinterInvalid,
                    QStringLiteral("The printer “%1” does not exist.").arg(printerName));
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
        return fail(result::JobRejected,
                    QStringLiteral("The printer “%1” is not accepting jobs.").arg(printerName));
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
        return fail(result::JobRejected,
                    QStringLiteral("The printing system could not be reached (%1).").arg(said));
    default:
        return fail(result::JobRejected,
                    QStringLiteral("The printing system refused the job (%1).").arg(said));
    }
}

struct Column
{
    QList<QPair<qreal, qreal>> lines;
    qreal height = 0;
};

Column measure(const QTextDocument &doc)
{
    Column column;
    // Asking for the size lays the whole document out; until then the blocks have no lines.
    column.height = doc.documentLayout()->documentSize().height();
    column.lines = platform::lineExtents(doc);
    return column;
}

// Line-by-line drawing knows blocks only; tables and other frames need the document layout's
// own drawing, with its stray line above each page.
bool isPlainColumn(const QTextDocument &doc)
{
    return doc.rootFrame()->childFrames().isEmpty();
}

// Draws the document's pictures from its resource provider without the text document's own
// cache, which would keep every decoded picture until the printout is done.
class PictureHandler final : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)
public:
    explicit PictureHandler(QTextDocument::ResourceProvider provider, QObject *parent)
        : QObject(parent), m_provider(std::move(provider))
    {}

    QSizeF intrinsicSize(QTextDocument *, int, const QTextFormat &format) override
    {
        const QTextImageFormat image = format.toImageFormat();
        if (image.hasProperty(QTextFormat::ImageWidth) &&
            image.hasProperty(QTextFormat::ImageHeight))
            return {image.width(), image.height()};
        return picture(image).deviceIndependentSize();
    }

    void drawObject(QPainter *painter, const QRectF &rect, QTextDocument *, int,
                    const QTextFormat &format) override
    {
        // A picture that does not decode leaves its place blank; the rest still prints.
        const QImage image = picture(format.toImageFormat());
        if (!image.isNull())
            painter->drawImage(rect, image);
    }

private:
    QImage picture(const QTextImageFormat &format) const
    {
        if (!m_provider)
            return {};
        const QVariant value = m_provider(QUrl(format.name()));
        return value.typeId() == QMetaType::QImage ? value.value<QImage>() : QImage();
    }

    QTextDocument::ResourceProvider m_provider;
};

} // namespace

namespace platform {

QList<QPair<qreal, qreal>> lineExtents(const QTextDocument &doc)
{
    QList<QPair<qreal, qreal>> lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!layout || !block.isVisible())
            continue;
        const qreal top = layout->position().y();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.append({top + line.y(), line.height()});
        }
    }
    return lines;
}

void drawLines(QPainter &painter, const QTextDocument &doc, qreal top, qreal bottom)
{
    painter.setPen(Qt::black);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        if (!layout || !block.isVisible())
            continue;
        const QPointF position = layout->position();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal y = position.y() + line.y();
            if (y + line.height() <= top + Epsilon || y >= bottom - Epsilon)
                continue;
            line.draw(&painter, position);
        }
    }
}

struct PagedDocument::Private
{
    std::unique_ptr<QTextDocument> column;
    QList<qreal> starts;
    qreal scale = 1;
    QSizeF page;     // layout units
    QRectF sideways; // the paper's width in layout units, from the printable area's left
    bool lineByLine = true;
};

PagedDocument::PagedDocument(const QTextDocument &doc, const QSizeF &paper, const QRectF &printable,
                             int scalePercent)
    : d(std::make_unique<Private>())
{
    d->scale = std::clamp(scalePercent, PageFormat::MinScale, PageFormat::MaxScale) / 100.0;
    d->page = printable.size() / d->scale;
    // Our own copy: the layout width, margins and metrics below are for paper only.
    d->column.reset(doc.clone());
    // Pictures the document keeps outside its resources are drawn from its provider.
    if (doc.resourceProvider()) {
        d->column->documentLayout()->registerHandler(
            QTextFormat::ImageObject, new PictureHandler(doc.resourceProvider(), d->column.get()));
    }
    // The page margins are the only white border; a picture as wide as the printable area must
    // fit it exactly.
    d->column->setDocumentMargin(0);
    // Glyph advances hinted for a 96-dpi screen would add up to uneven spacing on paper.
    d->column->setUseDesignMetrics(true);
    d->column->setTextWidth(d->page.width());
    const Column measured = measure(*d->column);
    d->starts = pageBreaks(measured.lines, measured.height, d->page.height());
    d->sideways = QRectF(-printable.left() / d->scale, 0, paper.width() / d->scale, 0);
    d->lineByLine = isPlainColumn(*d->column);
}

PagedDocument::~PagedDocument() = default;

int PagedDocument::pageCount() const
{
    return int(d->starts.size());
}

void PagedDocument::paintPage(QPainter &painter, int index, qreal deviceUnitsPerPoint) const
{
    if (index < 0 || index >= d->starts.size())
        return;
    const qreal top = d->starts[index];
    const qreal bottom =
        index + 1 < d->starts.size() ? d->starts[index + 1] : top + d->page.height();
    // Only the page's slice: the line moved to the next page must not show at the foot of this
    // one. Sideways, the paper's edge is the limit.
    const QRectF slice(d->sideways.left(), top, d->sideways.width(), bottom - top);
    const qreal toDevice = deviceUnitsPerPoint * d->scale;
    painter.save();
    painter.scale(toDevice, toDevice);
    painter.translate(0, -top);
    painter.setClipRect(slice);
    if (d->lineByLine) {
        drawLines(painter, *d->column, top, bottom);
    } else {
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette.setColor(QPalette::Text, Qt::black);
        context.clip = slice;
        d->column->documentLayout()->draw(&painter, context);
    }
    painter.restore();
}

PageFormat defaultPageFormat()
{
    PageFormat format;
    const QPageSize paper = QPrinterInfo::defaultPrinter().defaultPageSize();
    if (paper.isValid())
        format.pageSize = paper;
    return format;
}

void applyPageFormat(QPrinter &printer, const PageFormat &format)
{
    printer.setPageSize(format.pageSize);
    printer.setPageOrientation(format.orientation);
    const QMarginsF minimum = printer.pageLayout().minimumMargins();
    const QMarginsF margins(std::max(format.marginsPt.left(), minimum.left()),
                            std::max(format.marginsPt.top(), minimum.top()),
                            std::max(format.marginsPt.right(), minimum.right()),
                            std::max(format.marginsPt.bottom(), minimum.bottom()));
    printer.setPageMargins(margins, QPageLayout::Point);
}

QList<qreal> pageBreaks(const QList<QPair<qreal, qreal>> &lines, qreal contentHeight,
                        qreal pageHeight)
{
    QList<qreal> starts{0};
    if (pageHeight <= 0)
        return starts;
    qreal start = 0;
    while (start + pageHeight < contentHeight - Epsilon) {
        const qreal natural = start + pageHeight;
        qreal next = natural;
        for (const auto &[top, height] : lines) {
            const bool straddles = top < natural - Epsilon && top + height > natural + Epsilon;
            const bool movable = height <= pageHeight + Epsilon && top > start + Epsilon;
            if (straddles && movable)
                next = std::min(next, top);
        }
        starts.append(next);
        start = next;
    }
    return starts;
}

int printDocument(const QTextDocument &doc, QPrinter &printer, int scalePercent)
{
    errorDetail().clear();
    const bool cups = isCupsQueue(printer);
    const QString queue = printer.printerName();
    const QString file = printer.outputFileName();

    // QPrinter silently keeps its old queue when told an unknown one, so ask CUPS directly.
    if (!printer.isValid() || (cups && QPrinterInfo::printerInfo(queue).isNull()))
        return fail(result::PrinterInvalid,
                    QStringLiteral("The printer “%1” is not available.").arg(queue));

    const QPageLayout layout = printer.pageLayout();
    const PagedDocument paged(doc, layout.fullRect(QPageLayout::Point).size(),
                              layout.paintRect(QPageLayout::Point), scalePercent);
    const int pageCount = paged.pageCount();

    QList<int> pages; // 0-based
    const QPageRanges ranges = printer.pageRanges();
    for (int i = 0; i < pageCount; ++i) {
        if (ranges.isEmpty() || ranges.contains(i + 1))
            pages.append(i);
    }
    if (pages.isEmpty())
        return fail(result::OutputFailed,
                    QStringLiteral("The chosen pages are not in the document, which has %1.")
                        .arg(pageCount));
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());

    // Queues make their own copies; a PDF file needs them drawn.
    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    const int documentCopies = printer.collateCopies() ? copies : 1;
    const int pageCopies = printer.collateCopies() ? 1 : copies;

    QPainter painter;
    if (!painter.begin(&printer)) {
        if (!file.isEmpty())
            return fail(result::PrinterOpenFailed,
                        QStringLiteral("The file “%1” could not be written.")
                            .arg(QFileInfo(file).absoluteFilePath()));
        return fail(result::PrinterOpenFailed,
                    QStringLiteral("The printer “%1” could not be opened.").arg(queue));
    }
    // Without this hint Qt's PDF engine stores opaque pictures as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal toDevice = printer.resolution() / 72.0;

    bool first = true;
    int failedPage = 0;
    for (int d = 0; d < documentCopies && !failedPage; ++d) {
        for (int index : pages) {
            for (int c = 0; c < pageCopies; ++c) {
                if (!first && !printer.newPage()) {
                    failedPage = index + 1;
                    break;
                }
                first = false;
                paged.paintPage(painter, index, toDevice);
            }
            if (failedPage)
                break;
        }
    }

    const bool queueSeen = !cups || cupsQueueExists(queue);
    painter.end();
    if (failedPage)
        return fail(result::OutputFailed,
                    QStringLiteral("Printing stopped at page %1.").arg(failedPage));
    if (printer.printerState() == QPrinter::Error)
        return fail(result::OutputFailed, QStringLiteral("The printer reported an error."));
    if (cups) {
        if (!queueSeen)
            return fail(result::PrinterInvalid,
                        QStringLiteral("The printer “%1” does not exist.").arg(queue));
        return cupsSubmissionResult(queue);
    }
    return result::Done;
}

QString lastPrintErrorDetail()
{
    return errorDetail();
}

} // namespace platform

#include "documentprinter.moc"
