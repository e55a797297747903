#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextFormat>
#include <functional>
#include <optional>

class QTextDocument;

// Quillo's own document file format, also used for fragments on the clipboard. The layout, the
// version rules and what a reader rejects are described in docs/document-format.md; keep the two
// in step.
namespace documentformat {

inline constexpr quint16 MajorVersion = 1;
inline constexpr quint16 MinorVersion = 0;
// Bytes before the payload: signature, two version numbers, payload length, SHA-256.
inline constexpr int HeaderSize = 52;
// Larger files are refused before they are read: no capture document comes near this.
inline constexpr qint64 MaxFileSize = qint64(1) << 30;

// A run of characters sharing one character format. A picture run has an image format whose
// ImageName is a key of Content::pictures and consists of U+FFFC characters.
struct Run
{
    QString text;
    QTextCharFormat format;
};

struct Paragraph
{
    QTextBlockFormat format;
    QTextCharFormat charFormat; // the format of the paragraph break itself
    QList<Run> runs;
};

// A picture as a document holds it: its pixels, its PNG encoding, or both. Pictures read from a
// file stay encoded until something needs their pixels, so that starting with boards full of
// screenshots costs neither the decoding nor the memory of the pixels, and saving them again
// costs no re-encoding.
class Picture
{
public:
    Picture() = default;
    explicit Picture(const QImage &image);
    // PNG bytes as read() checked them; `format` and `ratio` are those of the pixels they decode
    // to.
    Picture(QByteArray png, QImage::Format format, qreal ratio);

    [[nodiscard]] bool isNull() const { return m_image.isNull() && m_png.isEmpty(); }
    // The pixels; decoded on every call while only the encoding is held. A null image when the
    // PNG does not decode after all.
    [[nodiscard]] QImage image() const;
    // The PNG encoding; encoded on every call while only the pixels are held.
    [[nodiscard]] QByteArray png() const;
    [[nodiscard]] QImage::Format format() const { return m_format; }
    [[nodiscard]] qreal devicePixelRatio() const { return m_ratio; }
    // Encodes once if needed and lets the pixels go. False when the pixels cannot be encoded.
    bool keepEncodedOnly();
    [[nodiscard]] bool isEncoded() const { return !m_png.isEmpty(); }

private:
    QImage m_image;
    QByteArray m_png;
    QImage::Format m_format = QImage::Format_Invalid;
    qreal m_ratio = 1;
};

// A document or a range of one: at least one paragraph, and every picture its runs show.
struct Content
{
    QList<Paragraph> paragraphs;
    QHash<QString, Picture> pictures;
};

template<typename T> struct Result
{
    std::optional<T> value;
    QString error; // a sentence fragment for the user, empty when value is set
};

// Finds the picture a document's image format names; a null Picture when there is none.
using PictureLookup = std::function<Picture(const QString &name)>;

// The characters start..end of the document (positions as QTextCursor counts them). Pictures come
// from `lookup`, or from the document's resources without one. Fails when a picture in the range
// cannot be found.
[[nodiscard]] Result<Content> capture(const QTextDocument &document, int start, int end,
                                      const PictureLookup &lookup = {});

[[nodiscard]] Result<QByteArray> write(const Content &content);
// Checks everything (signature, version, length, checksum, structure, every picture's PNG
// structure, checksums and size) before it returns content, so a caller can apply the result or
// leave its document untouched. Pictures are returned encoded; they decode when first needed.
[[nodiscard]] Result<Content> read(const QByteArray &bytes);

} // namespace documentformat
