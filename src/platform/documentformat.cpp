#include "platform/documentformat.h"

#include <QBrush>
#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QImageReader>
#include <QImageWriter>
#include <QLibrary>
#include <QPixmap>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLength>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cmath>

namespace documentformat {
namespace {

// High bit first so that a 7-bit transfer shows, a line feed last so that newline conversion
// shows: the same idea as PNG's signature.
constexpr char Magic[] = "\x89QUILLO\n";
constexpr int MagicSize = 8;
constexpr int ChecksumSize = 32;
// Pinned so that the bytes of strings, doubles and colours never change with the Qt in use.
constexpr auto StreamVersion = QDataStream::Qt_6_0;
constexpr QByteArrayView PngSignature("\x89PNG\r\n\x1a\n", 8);

// The kinds of format property values the file can hold. Numbers are part of the format.
enum class Kind : quint8 {
    Bool = 1,
    Int = 2,
    Double = 3,
    String = 4,
    StringList = 5,
    Color = 6,
    Brush = 7,
    Length = 8,
};

QString tr(const char *text)
{
    return QCoreApplication::translate("DocumentFormat", text);
}

QString damaged(const QString &detail)
{
    return tr("the file is damaged (%1)").arg(detail);
}

// Brush styles that are fully described by style and colour; textures, gradients and transforms
// are not kept.
bool isPlainBrush(const QBrush &brush)
{
    return brush.style() <= Qt::DiagCrossPattern && brush.transform().isIdentity();
}

std::optional<Kind> kindOf(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Kind::Bool;
    case QMetaType::Int:
        return Kind::Int;
    case QMetaType::Double:
        return Kind::Double;
    case QMetaType::QString:
        return Kind::String;
    case QMetaType::QStringList:
        return Kind::StringList;
    case QMetaType::QColor:
        return Kind::Color;
    case QMetaType::QBrush:
        if (isPlainBrush(value.value<QBrush>()))
            return Kind::Brush;
        return std::nullopt;
    default:
        if (value.metaType() == QMetaType::fromType<QTextLength>())
            return Kind::Length;
        return std::nullopt;
    }
}

void writeProperties(QDataStream &out, const QMap<int, QVariant> &properties)
{
    QList<std::pair<int, Kind>> kept;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        // ObjectIndex ties a format to an object of one document (a list, a frame); it has no
        // meaning in another.
        if (it.key() == QTextFormat::ObjectIndex)
            continue;
        if (const auto kind = kindOf(it.value()))
            kept.append({it.key(), *kind});
    }
    out << quint32(kept.size());
    for (const auto &[key, kind] : std::as_const(kept)) {
        const QVariant &value = properties[key];
        out << qint32(key) << quint8(kind);
        switch (kind) {
        case Kind::Bool:
            out << quint8(value.toBool() ? 1 : 0);
            break;
        case Kind::Int:
            out << qint32(value.toInt());
            break;
        case Kind::Double:
            out << value.toDouble();
            break;
        case Kind::String:
            out << value.toString();
            break;
        case Kind::StringList: {
            const QStringList list = value.toStringList();
            out << quint32(list.size());
            for (const QString &s : list)
                out << s;
            break;
        }
        case Kind::Color:
            out << value.value<QColor>();
            break;
        case Kind::Brush: {
            const auto brush = value.value<QBrush>();
            out << quint8(brush.style()) << brush.color();
            break;
        }
        case Kind::Length: {
            const auto length = value.value<QTextLength>();
            out << qint32(length.type()) << length.rawValue();
            break;
        }
        }
    }
}

QImage imageFromResource(const QVariant &resource)
{
    switch (resource.typeId()) {
    case QMetaType::QImage:
        return resource.value<QImage>();
    case QMetaType::QPixmap:
        return resource.value<QPixmap>().toImage();
    case QMetaType::QByteArray:
        return QImage::fromData(resource.toByteArray());
    default:
        return {};
    }
}

// Board files run to tens of megabytes, and Qt's SHA-256 is plain C: about 230 MB/s here, where
// OpenSSL's, using the CPU's SHA instructions, does 1.3 GB/s. Linking OpenSSL would cost every
// start about 3 MB of memory, so it is loaded the first time a large payload is hashed, and Qt's
// serves small ones and any system without it.
QByteArray sha256(QByteArrayView bytes)
{
    using Md = const void *(*)();
    using Digest =
        int (*)(const void *, size_t, unsigned char *, unsigned int *, const void *, void *);
    struct Fast
    {
        Md sha256 = nullptr;
        Digest digest = nullptr;
    };
    constexpr qsizetype FastFrom = 1 << 20;
    if (bytes.size() >= FastFrom) {
        static const Fast fast = [] {
            QLibrary crypto(QStringLiteral("crypto"), 3);
            crypto.setLoadHints(QLibrary::PreventUnloadHint);
            return Fast{reinterpret_cast<Md>(crypto.resolve("EVP_sha256")),
                        reinterpret_cast<Digest>(crypto.resolve("EVP_Digest"))};
        }();
        if (fast.sha256 && fast.digest) {
            QByteArray digest(ChecksumSize, Qt::Uninitialized);
            unsigned int length = 0;
            if (fast.digest(bytes.data(), size_t(bytes.size()),
                            reinterpret_cast<unsigned char *>(digest.data()), &length,
                            fast.sha256(), nullptr) == 1 &&
                length == ChecksumSize)
                return digest;
        }
    }
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

quint32 crc32(QByteArrayView bytes)
{
    static const auto table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (char byte : bytes)
        c = table[(c ^ quint8(byte)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

quint32 bigEndian32(const char *p)
{
    return quint32(quint8(p[0])) << 24 | quint32(quint8(p[1])) << 16 | quint32(quint8(p[2])) << 8 |
           quint32(quint8(p[3]));
}

// What can be known of a PNG without inflating it: the signature, every chunk whole, a header
// that matches its CRC first and an end last, and a size whose pixels Qt would agree to allocate.
// Decoding waits until the picture is needed, so a large board loads in milliseconds. Damage on
// disk or in transfer already shows in the file's own checksum, so the data chunks' CRCs are left
// to the decoder.
bool checkPng(QByteArrayView png, QImage::Format format)
{
    if (!png.startsWith(PngSignature))
        return false;
    qsizetype at = PngSignature.size();
    bool first = true;
    bool data = false;
    while (true) {
        if (png.size() - at < 12)
            return false;
        const quint32 length = bigEndian32(png.data() + at);
        if (length > 0x7fffffffu || quint64(length) > quint64(png.size() - at - 12))
            return false;
        const QByteArrayView typeAndData = png.sliced(at + 4, 4 + length);
        const QByteArrayView type = typeAndData.first(4);
        if (first) {
            if (type != "IHDR" || length != 13 ||
                crc32(typeAndData) != bigEndian32(png.data() + at + 8 + length))
                return false;
            const quint64 width = bigEndian32(png.data() + at + 8);
            const quint64 height = bigEndian32(png.data() + at + 12);
            const int bytesPerPixel = std::max(1, QImage::toPixelFormat(format).bitsPerPixel() / 8);
            const quint64 limit = quint64(QImageReader::allocationLimit()) << 20;
            if (width == 0 || height == 0 || width > 0x7fffffff || height > 0x7fffffff ||
                (limit && width * height * bytesPerPixel > limit))
                return false;
            first = false;
        }
        data = data || type == "IDAT";
        at += 12 + length;
        if (type == "IEND")
            return data && at == png.size();
    }
}

// Reads the payload. Every count is checked against the bytes that are left before anything is
// allocated for it, so hostile numbers end in an error, not in a huge allocation.
class PayloadReader
{
public:
    PayloadReader(const QByteArray &payload, bool trailingAllowed)
        : m_size(payload.size()), m_in(payload), m_trailingAllowed(trailingAllowed)
    {
        m_in.setVersion(StreamVersion);
    }

    Result<Content> read()
    {
        Content content;
        QHash<QString, Picture> pictures;
        quint32 pictureCount = 0;
        m_in >> pictureCount;
        if (!checkCount(pictureCount, 4 + 4 + 8 + 4))
            return fail();
        for (quint32 i = 0; i < pictureCount; ++i) {
            QString name;
            qint32 format = 0;
            double ratio = 0;
            QByteArray png;
            m_in >> name >> format >> ratio >> png;
            if (!ok())
                return fail();
            if (name.isEmpty() || pictures.contains(name)) {
                m_error = damaged(tr("a picture name is empty or used twice"));
                return fail();
            }
            if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats ||
                !std::isfinite(ratio) || ratio <= 0 || ratio > 64) {
                m_error = damaged(tr("picture %1 has an unknown pixel format").arg(i + 1));
                return fail();
            }
            if (!checkPng(png, QImage::Format(format))) {
                m_error = tr("picture %1 in the file cannot be decoded").arg(i + 1);
                return fail();
            }
            pictures.insert(name, Picture(png, QImage::Format(format), ratio));
        }

        quint32 paragraphCount = 0;
        m_in >> paragraphCount;
        if (!checkCount(paragraphCount, 4 + 4 + 4))
            return fail();
        if (paragraphCount == 0) {
            m_error = damaged(tr("it holds no paragraph"));
            return fail();
        }
        for (quint32 i = 0; i < paragraphCount; ++i) {
            Paragraph paragraph;
            if (!readFormat(paragraph.format) || !readFormat(paragraph.charFormat))
                return fail();
            quint32 runCount = 0;
            m_in >> runCount;
            if (!checkCount(runCount, 4 + 4))
                return fail();
            for (quint32 r = 0; r < runCount; ++r) {
                Run run;
                m_in >> run.text;
                if (!ok() || !readFormat(run.format))
                    return fail();
                if (!checkRun(run, pictures))
                    return fail();
                if (run.format.isImageFormat()) {
                    const QString name = run.format.toImageFormat().name();
                    content.pictures.insert(name, pictures.value(name));
                }
                paragraph.runs.append(std::move(run));
            }
            content.paragraphs.append(std::move(paragraph));
        }
        if (!ok())
            return fail();
        // A later minor version appends what it adds; a reader of this version skips it.
        if (!m_trailingAllowed && !m_in.atEnd()) {
            m_error = damaged(tr("unexpected data after the content"));
            return fail();
        }
        return {std::move(content), {}};
    }

private:
    qint64 remaining() const { return m_size - m_in.device()->pos(); }

    bool ok()
    {
        if (m_in.status() == QDataStream::Ok)
            return true;
        if (m_error.isEmpty())
            m_error = damaged(tr("its content is malformed"));
        return false;
    }

    Result<Content> fail() { return {std::nullopt, m_error}; }

    bool checkCount(quint32 count, qint64 minBytesEach)
    {
        if (!ok())
            return false;
        if (qint64(count) * minBytesEach > remaining()) {
            m_error = damaged(tr("a count of %1 does not fit in the file").arg(count));
            return false;
        }
        return true;
    }

    bool finite(double value)
    {
        if (std::isfinite(value))
            return true;
        m_error = damaged(tr("a number is not finite"));
        return false;
    }

    template<typename Format> bool readFormat(Format &format)
    {
        quint32 count = 0;
        m_in >> count;
        if (!checkCount(count, 4 + 1 + 1))
            return false;
        for (quint32 i = 0; i < count; ++i) {
            qint32 key = 0;
            quint8 kind = 0;
            m_in >> key >> kind;
            if (!ok())
                return false;
            QVariant value;
            switch (Kind(kind)) {
            case Kind::Bool: {
                quint8 b = 0;
                m_in >> b;
                value = b != 0;
                break;
            }
            case Kind::Int: {
                qint32 n = 0;
                m_in >> n;
                value = int(n);
                break;
            }
            case Kind::Double: {
                double d = 0;
                m_in >> d;
                if (!finite(d))
                    return false;
                value = d;
                break;
            }
            case Kind::String: {
                QString s;
                m_in >> s;
                value = s;
                break;
            }
            case Kind::StringList: {
                quint32 n = 0;
                m_in >> n;
                if (!checkCount(n, 4))
                    return false;
                QStringList list;
                for (quint32 j = 0; j < n && ok(); ++j) {
                    QString s;
                    m_in >> s;
                    list.append(s);
                }
                value = list;
                break;
            }
            case Kind::Color: {
                QColor color;
                m_in >> color;
                value = color;
                break;
            }
            case Kind::Brush: {
                quint8 style = 0;
                QColor color;
                m_in >> style >> color;
                if (style > Qt::DiagCrossPattern) {
                    m_error = damaged(tr("unknown brush style %1").arg(style));
                    return false;
                }
                value = QBrush(color, Qt::BrushStyle(style));
                break;
            }
            case Kind::Length: {
                qint32 type = 0;
                double raw = 0;
                m_in >> type >> raw;
                if (type < QTextLength::VariableLength || type > QTextLength::PercentageLength) {
                    m_error = damaged(tr("unknown length type %1").arg(type));
                    return false;
                }
                if (!finite(raw))
                    return false;
                value = QVariant::fromValue(QTextLength(QTextLength::Type(type), raw));
                break;
            }
            default:
                m_error = damaged(tr("unknown property kind %1").arg(kind));
                return false;
            }
            if (!ok())
                return false;
            if (key != QTextFormat::ObjectIndex)
                format.setProperty(key, value);
        }
        return true;
    }

    bool checkRun(const Run &run, const QHash<QString, Picture> &pictures)
    {
        // Paragraph and frame breaks live between paragraphs; inside a run they would make the
        // document's structure differ from the file's.
        static constexpr char16_t Breaks[] = {u'\n', u'\r', 0x2029, 0xfdd0, 0xfdd1};
        for (QChar c : run.text) {
            if (std::find(std::begin(Breaks), std::end(Breaks), c.unicode()) != std::end(Breaks)) {
                m_error = damaged(tr("a paragraph break inside a run"));
                return false;
            }
        }
        if (run.format.isImageFormat() && !pictures.contains(run.format.toImageFormat().name())) {
            m_error = damaged(tr("it shows a picture it does not contain"));
            return false;
        }
        return true;
    }

    qint64 m_size;
    QDataStream m_in;
    bool m_trailingAllowed;
    QString m_error;
};

} // namespace

Picture::Picture(const QImage &image)
    : m_image(image), m_format(image.format()), m_ratio(image.devicePixelRatio())
{}

Picture::Picture(QByteArray png, QImage::Format format, qreal ratio)
    : m_png(std::move(png)), m_format(format), m_ratio(ratio)
{}

QImage Picture::image() const
{
    if (!m_image.isNull() || m_png.isEmpty())
        return m_image;
    QBuffer buffer;
    buffer.setData(m_png);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    // Decided by the signature, not by Qt's content sniffing, which would take any format.
    reader.setDecideFormatFromContent(false);
    QImage image = reader.read();
    if (image.isNull())
        return image;
    // PNG has no premultiplied alpha, for one; the pixels come back as they were stored.
    if (image.format() != m_format)
        image.convertTo(m_format);
    image.setDevicePixelRatio(m_ratio);
    return image;
}

QByteArray Picture::png() const
{
    if (!m_png.isEmpty() || m_image.isNull())
        return m_png;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // A lighter zlib level than the default: a fifth faster on screenshots, files 3 % larger.
    writer.setQuality(50);
    if (!writer.write(m_image))
        return {};
    return png;
}

bool Picture::keepEncodedOnly()
{
    if (m_png.isEmpty())
        m_png = png();
    if (m_png.isEmpty())
        return false;
    m_image = QImage();
    return true;
}

Result<Content> capture(const QTextDocument &document, int start, int end,
                        const PictureLookup &lookup)
{
    Content content;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() <= end;
         block = block.next()) {
        Paragraph paragraph{block.blockFormat(), block.charFormat(), {}};
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int from = std::max(fragment.position(), start);
            const int to = std::min(fragment.position() + fragment.length(), end);
            if (from >= to)
                continue;
            Run run{fragment.text().mid(from - fragment.position(), to - from),
                    fragment.charFormat()};
            if (run.format.isImageFormat()) {
                const QString name = run.format.toImageFormat().name();
                if (!content.pictures.contains(name)) {
                    const Picture picture =
                        lookup ? lookup(name)
                               : Picture(imageFromResource(
                                     document.resource(QTextDocument::ImageResource, QUrl(name))));
                    if (picture.isNull())
                        return {std::nullopt, tr("the image of picture “%1” is missing").arg(name)};
                    content.pictures.insert(name, picture);
                }
            }
            paragraph.runs.append(std::move(run));
        }
        content.paragraphs.append(std::move(paragraph));
    }
    if (content.paragraphs.isEmpty())
        content.paragraphs.append(Paragraph{});
    return {std::move(content), {}};
}

Result<QByteArray> write(const Content &content)
{
    // Pictures are stored under names of the file's own, numbered in order of appearance: the
    // document's resource names mean nothing elsewhere, and the same content always gives the
    // same bytes.
    QHash<QString, QString> fileNames;
    QStringList order;
    for (const Paragraph &paragraph : content.paragraphs) {
        for (const Run &run : paragraph.runs) {
            const QString name = run.format.toImageFormat().name();
            if (run.format.isImageFormat() && !fileNames.contains(name)) {
                fileNames.insert(name, QString::number(order.size() + 1));
                order.append(name);
            }
        }
    }
    QList<QByteArray> pngs;
    qsizetype pictureBytes = 0;
    for (const QString &name : std::as_const(order)) {
        pngs.append(content.pictures.value(name).png());
        if (pngs.last().isEmpty())
            return {std::nullopt, tr("picture “%1” cannot be stored as PNG").arg(name)};
        pictureBytes += pngs.last().size();
    }

    // Header and payload in one buffer, sized for the pictures up front: a board of a hundred
    // screenshots is tens of megabytes, and every reallocation would copy all of it again.
    QByteArray bytes;
    bytes.reserve(HeaderSize + pictureBytes + 64 * 1024);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    buffer.seek(HeaderSize);
    QDataStream out(&buffer);
    out.setVersion(StreamVersion);

    out << quint32(order.size());
    for (qsizetype i = 0; i < order.size(); ++i) {
        const Picture picture = content.pictures.value(order[i]);
        out << fileNames.value(order[i]) << qint32(picture.format())
            << double(picture.devicePixelRatio()) << pngs[i];
    }

    out << quint32(content.paragraphs.size());
    for (const Paragraph &paragraph : content.paragraphs) {
        writeProperties(out, paragraph.format.properties());
        writeProperties(out, paragraph.charFormat.properties());
        out << quint32(paragraph.runs.size());
        for (const Run &run : paragraph.runs) {
            out << run.text;
            QMap<int, QVariant> properties = run.format.properties();
            if (run.format.isImageFormat())
                properties.insert(QTextFormat::ImageName,
                                  fileNames.value(run.format.toImageFormat().name()));
            writeProperties(out, properties);
        }
    }
    if (out.status() != QDataStream::Ok)
        return {std::nullopt, tr("the document could not be encoded")};

    const QByteArrayView payload = QByteArrayView(bytes).sliced(HeaderSize);
    const QByteArray checksum = sha256(payload);
    buffer.seek(0);
    QDataStream header(&buffer);
    header.setVersion(StreamVersion);
    header.writeRawData(Magic, MagicSize);
    header << MajorVersion << MinorVersion << quint64(payload.size());
    header.writeRawData(checksum.constData(), checksum.size());
    return {std::move(bytes), {}};
}

Result<Content> read(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return {std::nullopt, tr("the file is empty")};
    const QByteArrayView magic(Magic, MagicSize);
    if (!bytes.startsWith(magic)) {
        if (bytes.size() < MagicSize && magic.startsWith(bytes))
            return {std::nullopt, tr("the file is incomplete (it ends too early)")};
        return {std::nullopt, tr("it is not a Quillo document")};
    }
    if (bytes.size() < HeaderSize)
        return {std::nullopt, tr("the file is incomplete (it ends too early)")};
    if (bytes.size() > MaxFileSize)
        return {std::nullopt, tr("the file is too large")};

    QDataStream header(bytes);
    header.setVersion(StreamVersion);
    header.skipRawData(MagicSize);
    quint16 major = 0;
    quint16 minor = 0;
    quint64 length = 0;
    header >> major >> minor >> length;
    if (major == 0)
        return {std::nullopt, damaged(tr("format version 0 does not exist"))};
    if (major > MajorVersion)
        return {std::nullopt, tr("it was written by a newer Quillo (document format %1.%2; this "
                                 "version reads format %3.x)")
                                  .arg(major)
                                  .arg(minor)
                                  .arg(MajorVersion)};
    const quint64 present = quint64(bytes.size() - HeaderSize);
    if (length > present)
        return {std::nullopt, tr("the file is incomplete (it ends too early)")};
    if (length < present)
        return {std::nullopt, damaged(tr("unexpected data after the end"))};

    // A view, not a copy: the pictures' bytes are copied once, out of it.
    const QByteArray payload =
        QByteArray::fromRawData(bytes.constData() + HeaderSize, bytes.size() - HeaderSize);
    const QByteArrayView checksum(bytes.constData() + HeaderSize - ChecksumSize, ChecksumSize);
    if (sha256(payload) != checksum)
        return {std::nullopt, damaged(tr("its checksum does not match its content"))};

    return PayloadReader(payload, minor > MinorVersion).read();
}

} // namespace documentformat
