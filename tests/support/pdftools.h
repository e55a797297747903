#pragma once

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

// What a PDF holds, read with poppler-utils (pdfimages, pdfinfo, pdftotext). Every function
// returns an empty or zero value when the tool fails and puts the reason in `error` if given.
namespace pdftools {

// One row of `pdfimages -list`.
struct ImageRow
{
    int page = 0;
    QString type; // "image", "smask", ...
    int width = 0;
    int height = 0;
    QString color; // "rgb", "gray", ...
    int bitsPerComponent = 0;
    QString encoding; // "image" (Flate, lossless), "jpeg", "jbig2", ...
    qreal xPpi = 0;
    qreal yPpi = 0;

    // The size it prints at, in points (pdfimages rounds ppi to whole numbers).
    [[nodiscard]] QSizeF printedSizePt() const
    {
        return {xPpi > 0 ? width / xPpi * 72 : 0, yPpi > 0 ? height / yPpi * 72 : 0};
    }
};

[[nodiscard]] QList<ImageRow> images(const QString &pdf, QString *error = nullptr);
// The same images as decoded pixels, in the order of images(); lossless (`pdfimages -png`).
[[nodiscard]] QList<QImage> extractImages(const QString &pdf, QString *error = nullptr);
[[nodiscard]] int pageCount(const QString &pdf, QString *error = nullptr);
// Page size in points, `page` counting from 1.
[[nodiscard]] QSizeF pageSizePt(const QString &pdf, int page = 1, QString *error = nullptr);
// The text of all pages, pages separated by form feeds.
[[nodiscard]] QString text(const QString &pdf, QString *error = nullptr);

} // namespace pdftools
