#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QTextFormat>
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

// A document or a range of one: at least one paragraph, and every picture its runs show.
struct Content
{
    QList<Paragraph> paragraphs;
    QHash<QString, QImage> pictures;
};

template<typename T> struct Result
{
    std::optional<T> value;
    QString error; // a sentence fragment for the user, empty when value is set
};

// The characters start..end of the document (positions as QTextCursor counts them). Fails when a
// picture in the range has no image in the document's resources.
[[nodiscard]] Result<Content> capture(const QTextDocument &document, int start, int end);

[[nodiscard]] Result<QByteArray> write(const Content &content);
// Checks everything (signature, version, length, checksum, structure, every picture decoding)
// before it returns content, so a caller can apply the result or leave its document untouched.
[[nodiscard]] Result<Content> read(const QByteArray &bytes);

} // namespace documentformat
