#pragma once

#include "platform/pageformat.h"

#include <QList>
#include <QPair>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <memory>

class QPainter;
class QPrinter;
class QTextDocument;

// Printing a document: one logical screen pixel prints as one point at 100 %, times the scale.
// The document is laid out in one long column as wide as the printable area (points divided by
// the scale) and cut into pages; pictures keep every one of their pixels on paper.
// Units here are layout units: points at 100 %, origin at the top of the column.
namespace platform {

// The format a document prints with before the user chose one: the default PageFormat on the
// default printer's paper, when there is a default printer.
[[nodiscard]] PageFormat defaultPageFormat();

// Puts paper, orientation and margins of `format` on `printer`. Margins smaller than the
// printer can print are raised to its minimum.
void applyPageFormat(QPrinter &printer, const PageFormat &format);

// Where pages start in a column of `contentHeight` cut into pages of `pageHeight`, given the
// column's text lines as (top, height). The first start is always 0. A page ends at its start
// plus `pageHeight`, except that a line straddling that end moves whole to the next page, unless
// it starts the page or is taller than a page (a tall picture): such a line is cut there and
// continues on the next page.
[[nodiscard]] QList<qreal> pageBreaks(const QList<QPair<qreal, qreal>> &lines, qreal contentHeight,
                                      qreal pageHeight);

// A document cut into pages: laid out once in a column as wide as the printable area, pages
// painted one at a time. Pictures are decoded when their page is painted and let go after it,
// so a board of hundreds of screenshots never holds more than one picture's pixels.
class PagedDocument
{
public:
    // `paper` and `printable` in points, `printable` within the paper (its margins).
    PagedDocument(const QTextDocument &doc, const QSizeF &paper, const QRectF &printable,
                  int scalePercent);
    ~PagedDocument();
    PagedDocument(const PagedDocument &) = delete;
    PagedDocument &operator=(const PagedDocument &) = delete;

    [[nodiscard]] int pageCount() const;
    // Paints page `index` (0-based) with the painter's origin at the printable area's top-left,
    // `deviceUnitsPerPoint` device pixels to a point of paper.
    void paintPage(QPainter &painter, int index, qreal deviceUnitsPerPoint) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The text lines of a laid-out document as (top, height), in document order: what pageBreaks()
// needs to know.
[[nodiscard]] QList<QPair<qreal, qreal>> lineExtents(const QTextDocument &doc);

// Draws the lines of a laid-out document that show between `top` and `bottom` (document
// coordinates). QTextLayout::draw() also draws the last line above its clip rectangle (and the
// painter's clip then hides it), so the line before a page's first one would go into a PDF a
// second time, invisible but found by search and copy. Drawing line by line keeps every line on
// exactly one page, except one taller than a page, which shows its part on each.
void drawLines(QPainter &painter, const QTextDocument &doc, qreal top, qreal bottom);

// Prints `doc` on `printer`, which is set up already (queue or file, paper, range, copies).
// Returns 0 or one of the codes of resultcodes.h; lastPrintErrorDetail() then says why.
[[nodiscard]] int printDocument(const QTextDocument &doc, QPrinter &printer, int scalePercent);

// A short sentence on the last failure of printDocument for the user, e.g.
// "The printer “PDF” is not accepting jobs."; empty after a success.
[[nodiscard]] QString lastPrintErrorDetail();

} // namespace platform
