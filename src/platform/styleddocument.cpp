#include "platform/styleddocument.h"

#include "platform/documentformat.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextDocumentFragment>
#include <QUrl>
#include <algorithm>
#include <cmath>

namespace {

// Qt also takes "\r" and "\r\n" as breaks, but documents only "\n"; being explicit keeps setText
// and paste independent of that.
QString withLineFeeds(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// Right after a picture the cursor's format is the picture's; typed or pasted text must not
// carry its image properties along.
QTextCharFormat textFormat(QTextCharFormat format)
{
    for (int id : {QTextFormat::ObjectType, QTextFormat::ObjectIndex, QTextFormat::ImageName,
                   QTextFormat::ImageTitle, QTextFormat::ImageAltText, QTextFormat::ImageWidth,
                   QTextFormat::ImageHeight, QTextFormat::ImageQuality})
        format.clearProperty(id);
    return format;
}

// "w h" in logical pixels, as LogicalSizeMime carries it.
std::optional<QSizeF> parseLogicalSize(const QByteArray &value)
{
    const QList<QByteArray> parts = value.simplified().split(' ');
    if (parts.size() != 2)
        return std::nullopt;
    bool okW = false;
    bool okH = false;
    const double w = parts[0].toDouble(&okW);
    const double h = parts[1].toDouble(&okH);
    if (!okW || !okH || !std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
        return std::nullopt;
    return QSizeF(w, h);
}

} // namespace

// Picture resources are named "quillo-picture:<n>", n counting per document, so a name never
// meets a file path or a web address when QTextDocument looks a resource up.
QString StyledDocument::addPicture(const documentformat::Picture &picture)
{
    const QString name = QStringLiteral("quillo-picture:%1").arg(++m_nextImage);
    m_pictures.insert(name, picture);
    return name;
}

// Inserts at the cursor (replacing its selection) and leaves the cursor behind the content. The
// first paragraph's format replaces the one of the paragraph it lands in only when it fills it
// entirely or starts it and more paragraphs follow, so a word pasted into a line keeps the line's
// alignment while a whole loaded document keeps its own.
void StyledDocument::insertContent(const documentformat::Content &content)
{
    QTextCursor &cursor = m_cursor;
    QHash<QString, QString> names;
    for (auto it = content.pictures.cbegin(); it != content.pictures.cend(); ++it)
        names.insert(it.key(), addPicture(it.value()));

    cursor.removeSelectedText();
    const bool ownsFirstParagraph =
        cursor.atBlockStart() && (content.paragraphs.size() > 1 || cursor.atBlockEnd());
    for (qsizetype i = 0; i < content.paragraphs.size(); ++i) {
        const documentformat::Paragraph &paragraph = content.paragraphs[i];
        if (i > 0) {
            cursor.insertBlock(paragraph.format, paragraph.charFormat);
        } else if (ownsFirstParagraph) {
            cursor.setBlockFormat(paragraph.format);
            cursor.setBlockCharFormat(paragraph.charFormat);
        }
        for (const documentformat::Run &run : paragraph.runs) {
            QTextCharFormat format = run.format;
            if (format.isImageFormat())
                format.setProperty(QTextFormat::ImageName,
                                   names.value(format.toImageFormat().name()));
            cursor.insertText(run.text, format);
        }
    }
}

StyledDocument::StyledDocument(QObject *parent) : QObject(parent), m_cursor(&m_doc)
{
    // Pixels are handed out on request and never cached by the text document: whoever lays
    // pictures out (the printer's copy) holds them only while it needs them. Unknown names find
    // nothing, so a resource name never turns into a file read.
    m_doc.setResourceProvider([this](const QUrl &url) -> QVariant {
        const auto it = m_pictures.constFind(url.toString());
        if (it == m_pictures.cend())
            return {};
        return it->image();
    });
    QFont font = QGuiApplication::font();
    font.setPointSize(12);
    m_doc.setDefaultFont(font);
    QTextOption option = m_doc.defaultTextOption();
    option.setTabStopDistance(32);
    m_doc.setDefaultTextOption(option);
    m_doc.setUndoRedoEnabled(true);
}

QString StyledDocument::text() const
{
    QString raw = m_doc.toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\r'));
    return raw;
}

void StyledDocument::setText(const QString &text)
{
    // clear() also drops the old pictures and the undo history, as QTextDocument::setPlainText
    // does; the default font and tab stops stay.
    m_doc.clear();
    m_pictures.clear();
    m_cursor.insertText(withLineFeeds(text), QTextCharFormat());
    m_cursor.setPosition(0);
}

int StyledDocument::textLength() const
{
    return m_doc.characterCount() - 1;
}

void StyledDocument::paste()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    // A cleared clipboard has no MIME data at all on some platforms (offscreen).
    if (data)
        insertMimeData(*data);
}

void StyledDocument::insertMimeData(const QMimeData &data)
{
    if (data.hasFormat(QLatin1String(FragmentMime))) {
        const auto content = documentformat::read(data.data(QLatin1String(FragmentMime)));
        if (content.value) {
            m_cursor.beginEditBlock();
            insertContent(*content.value);
            m_cursor.endEditBlock();
            return;
        }
    }

    QImage image;
    if (data.hasImage())
        image = qvariant_cast<QImage>(data.imageData());
    if (image.isNull() && data.hasFormat(QStringLiteral("image/png")))
        image.loadFromData(data.data(QStringLiteral("image/png")), "PNG");
    if (!image.isNull()) {
        const auto logical = parseLogicalSize(data.data(QLatin1String(LogicalSizeMime)));
        insertPicture(image, logical.value_or(image.deviceIndependentSize()));
        return;
    }

    if (data.hasText()) {
        const QString text = withLineFeeds(data.text());
        if (!text.isEmpty())
            m_cursor.insertText(text, textFormat(m_cursor.charFormat()));
    }
}

void StyledDocument::insertPicture(const QImage &image, const QSizeF &logicalSize)
{
    if (image.isNull())
        return;
    const QSizeF size = logicalSize.isEmpty() ? image.deviceIndependentSize() : logicalSize;
    QTextImageFormat format;
    format.setName(addPicture(documentformat::Picture(image)));
    format.setWidth(size.width());
    format.setHeight(size.height());
    m_cursor.insertImage(format);
}

void StyledDocument::setSelStart(int start)
{
    m_cursor.setPosition(std::clamp(start, 0, textLength()));
}

void StyledDocument::setSelLength(int length)
{
    const int start = selStart();
    m_cursor.setPosition(start);
    m_cursor.setPosition(start + std::clamp(length, 0, textLength() - start),
                         QTextCursor::KeepAnchor);
}

int StyledDocument::selStart() const
{
    return m_cursor.selectionStart();
}

int StyledDocument::selLength() const
{
    return m_cursor.selectionEnd() - m_cursor.selectionStart();
}

void StyledDocument::copy() const
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (selLength() == 0)
        clipboard->clear();
    else
        clipboard->setMimeData(mimeDataForSelection());
}

QMimeData *StyledDocument::mimeDataForSelection() const
{
    auto *mime = new QMimeData;
    const int start = selStart();
    const int end = start + selLength();
    if (start == end)
        return mime;

    const auto content = documentformat::capture(
        m_doc, start, end, [this](const QString &name) { return m_pictures.value(name); });
    if (!content.value) // only a picture without image data; offer what is left
        return mime;
    if (const auto bytes = documentformat::write(*content.value); bytes.value)
        mime->setData(QLatin1String(FragmentMime), *bytes.value);

    const auto &paragraphs = content.value->paragraphs;
    if (end - start == 1 && paragraphs.size() == 1 && paragraphs[0].runs.size() == 1 &&
        paragraphs[0].runs[0].format.isImageFormat()) {
        const QTextImageFormat format = paragraphs[0].runs[0].format.toImageFormat();
        mime->setImageData(content.value->pictures.value(format.name()).image());
        mime->setData(QLatin1String(LogicalSizeMime), QByteArray::number(format.width()) + ' ' +
                                                          QByteArray::number(format.height()));
        return mime;
    }

    QString plain = m_cursor.selectedText();
    plain.remove(QChar::ObjectReplacementCharacter);
    plain.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    plain.replace(QChar::LineSeparator, QLatin1Char('\n'));
    mime->setText(plain);

    // Other programs cannot resolve our resource names; data: URIs make the pictures travel.
    QString html = QTextDocumentFragment(m_cursor).toHtml();
    for (auto it = content.value->pictures.cbegin(); it != content.value->pictures.cend(); ++it) {
        html.replace(QLatin1String("src=\"%1\"").arg(it.key()),
                     QLatin1String("src=\"data:image/png;base64,%1\"")
                         .arg(QLatin1String(it.value().png().toBase64())));
    }
    mime->setHtml(html);
    return mime;
}

StyledDocument::FileResult StyledDocument::loadFile(const QString &path, int start, int end)
{
    const QFileInfo info(path);
    const auto failure = [&](const QString &why) {
        return FileResult{false, tr("“%1” cannot be opened: %2.").arg(info.fileName(), why)};
    };
    if (m_readOnly)
        return failure(tr("the document it would go into is read-only"));
    if (!info.exists())
        return failure(tr("the file does not exist"));
    if (info.isDir())
        return failure(tr("it is a folder"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(file.errorString());
    // Bounded, so that a device file or a huge file cannot exhaust memory. A regular file is read
    // in one go at its known size, which is several times faster than a read sized for the bound.
    if (!file.isSequential() && file.size() > documentformat::MaxFileSize)
        return failure(tr("the file is too large"));
    const QByteArray bytes = file.isSequential() ? file.read(documentformat::MaxFileSize + 1)
                                                 : file.read(file.size() + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(tr("it could not be read (%1)").arg(file.errorString()));
    const auto content = documentformat::read(bytes);
    if (!content.value)
        return failure(content.error);

    const int a = std::clamp(std::min(start, end), 0, textLength());
    const int b = std::clamp(std::max(start, end), 0, textLength());
    m_cursor.beginEditBlock();
    m_cursor.setPosition(a);
    m_cursor.setPosition(b, QTextCursor::KeepAnchor);
    insertContent(*content.value);
    m_cursor.endEditBlock();
    m_cursor.movePosition(QTextCursor::End);
    return {true, {}};
}

StyledDocument::Snapshot StyledDocument::snapshot() const
{
    // A board is saved after every change: each picture is encoded once, and from then on only
    // its PNG bytes are kept, which are written again as they are.
    auto content = documentformat::capture(m_doc, 0, textLength(), [this](const QString &name) {
        const auto it = m_pictures.find(name);
        if (it == m_pictures.end())
            return documentformat::Picture();
        it->keepEncodedOnly();
        return *it;
    });
    return {std::move(content.value), content.error};
}

StyledDocument::FileResult StyledDocument::saveFile(const QString &path) const
{
    return writeSnapshot(snapshot(), path);
}

StyledDocument::FileResult StyledDocument::writeSnapshot(const Snapshot &snapshot,
                                                         const QString &path)
{
    const QFileInfo info(path);
    const auto failure = [&](const QString &why) {
        return FileResult{false, tr("“%1” could not be saved: %2.").arg(info.fileName(), why)};
    };
    if (!info.absoluteDir().exists())
        return failure(tr("the folder “%1” does not exist")
                           .arg(QDir::toNativeSeparators(info.absolutePath())));
    if (!snapshot.content)
        return failure(snapshot.error);
    const auto bytes = documentformat::write(*snapshot.content);
    if (!bytes.value)
        return failure(bytes.error);

    // QSaveFile writes beside the target and renames over it on commit: a failure at any point
    // leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failure(file.errorString());
    if (file.write(*bytes.value) != bytes.value->size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failure(why);
    }
    if (!file.commit())
        return failure(file.errorString());
    return {true, {}};
}
