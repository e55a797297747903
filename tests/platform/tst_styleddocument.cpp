// StyledDocument without a screen: its file format, the insertion point, copy and paste through
// the offscreen platform's in-process clipboard.
#include "platform/styleddocument.h"

#include <QBuffer>
#include <QClipboard>
#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <functional>

using Step = std::function<void(StyledDocument &)>;
Q_DECLARE_METATYPE(Step)

namespace {

constexpr QChar Pic = QChar::ObjectReplacementCharacter;

// Every pixel different, alpha included, so that a lossy or premultiplying path shows.
QImage patternImage(QSize size, QImage::Format format)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y,
                           qRgba(x * 37 % 256, y * 53 % 256, (x + y) * 19 % 256,
                                 format == QImage::Format_RGB32 ? 255 : (x * 71 + y * 13) % 256));
    return image.convertToFormat(format);
}

QString samePixels(const QImage &expected, const QImage &actual)
{
    if (actual.format() != expected.format() || actual.size() != expected.size())
        return QStringLiteral("format/size %1 %2x%3, expected %4 %5x%6")
            .arg(actual.format())
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.format())
            .arg(expected.width())
            .arg(expected.height());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            if (expected.pixel(x, y) != actual.pixel(x, y))
                return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(actual.pixel(x, y), 8, 16)
                    .arg(expected.pixel(x, y), 8, 16);
    return {};
}

// The document as a comparable value: paragraphs with their formats, runs with theirs (picture
// names left out, since they are per document), and the pictures in order of appearance.
struct Snapshot
{
    QString text;
    QList<QMap<int, QVariant>> blockFormats; // per paragraph: its format, then its break's
    QList<std::pair<QString, QMap<int, QVariant>>> runs;
    QList<QImage> pictures;
};

Snapshot snapshot(const StyledDocument &doc)
{
    Snapshot s{doc.text(), {}, {}, {}};
    for (QTextBlock block = doc.document()->begin(); block.isValid(); block = block.next()) {
        s.blockFormats.append(block.blockFormat().properties());
        s.blockFormats.append(block.charFormat().properties());
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            auto properties = it.fragment().charFormat().properties();
            if (it.fragment().charFormat().isImageFormat()) {
                const QString name = properties.take(QTextFormat::ImageName).toString();
                s.pictures.append(doc.document()
                                      ->resource(QTextDocument::ImageResource, QUrl(name))
                                      .value<QImage>());
            }
            s.runs.append({it.fragment().text(), properties});
        }
    }
    return s;
}

QString differences(const Snapshot &expected, const Snapshot &actual)
{
    if (actual.text != expected.text)
        return QStringLiteral("text %1, expected %2").arg(actual.text, expected.text);
    if (actual.blockFormats.size() != expected.blockFormats.size())
        return QStringLiteral("%1 paragraphs, expected %2")
            .arg(actual.blockFormats.size() / 2)
            .arg(expected.blockFormats.size() / 2);
    for (qsizetype i = 0; i < expected.blockFormats.size(); ++i) {
        if (actual.blockFormats[i] != expected.blockFormats[i]) {
            QString detail;
            QDebug(&detail) << actual.blockFormats[i] << "expected" << expected.blockFormats[i];
            return QStringLiteral("paragraph %1 %2: %3")
                .arg(i / 2)
                .arg(i % 2 ? QStringLiteral("break format") : QStringLiteral("format"), detail);
        }
    }
    if (actual.runs.size() != expected.runs.size())
        return QStringLiteral("%1 runs, expected %2")
            .arg(actual.runs.size())
            .arg(expected.runs.size());
    for (qsizetype i = 0; i < expected.runs.size(); ++i) {
        if (actual.runs[i] != expected.runs[i]) {
            QString detail;
            QDebug(&detail) << actual.runs[i].second << "expected" << expected.runs[i].second;
            return QStringLiteral("run %1 (%2): %3").arg(i).arg(expected.runs[i].first, detail);
        }
    }
    for (qsizetype i = 0; i < expected.pictures.size(); ++i) {
        if (const QString d = samePixels(expected.pictures[i], actual.pictures[i]); !d.isEmpty())
            return QStringLiteral("picture %1: %2").arg(i).arg(d);
    }
    return {};
}

QTextImageFormat pictureAt(const StyledDocument &doc, int position)
{
    const QTextBlock block = doc.document()->findBlock(position);
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(position))
            return fragment.charFormat().toImageFormat();
    }
    return {};
}

QImage pictureImage(const StyledDocument &doc, int position)
{
    return doc.document()
        ->resource(QTextDocument::ImageResource, QUrl(pictureAt(doc, position).name()))
        .value<QImage>();
}

// The header as docs/document-format.md lays it out, around any payload.
QByteArray wrapPayload(const QByteArray &payload, quint16 major = 1, quint16 minor = 0)
{
    QByteArray bytes("\x89QUILLO\n", 8);
    QDataStream out(&bytes, QIODevice::Append);
    out << major << minor << quint64(payload.size());
    bytes += QCryptographicHash::hash(payload, QCryptographicHash::Sha256) + payload;
    return bytes;
}

constexpr int HeaderSize = 52;

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QClipboard *clipboard()
{
    return QGuiApplication::clipboard();
}

} // namespace

class tst_StyledDocument final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();

    void textAndLength_data();
    void textAndLength();
    void picturesCountAsOneCharacter();
    void saveLoadRoundTrip();
    void insertionPoint_data();
    void insertionPoint();
    void copyLonePicture();
    void pastedPictureSize_data();
    void pastedPictureSize();
    void copyTextWithPicture();
    void emptySelectionClearsClipboard();
    void badFile_data();
    void badFile();
    void newerMinorVersionIsRead();
    void saveIntoMissingFolder();
    void largeFileChecksum();

private:
    // A document with every kind of content the format keeps.
    void fillRichDocument(StyledDocument &doc) const;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
    QByteArray m_validFile; // fillRichDocument saved
};

void tst_StyledDocument::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(m_dir.isValid(), qPrintable(m_dir.errorString()));
    StyledDocument doc;
    fillRichDocument(doc);
    const auto saved = doc.saveFile(path(QStringLiteral("valid.doc")));
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    m_validFile = readAll(path(QStringLiteral("valid.doc")));
}

void tst_StyledDocument::fillRichDocument(StyledDocument &doc) const
{
    doc.setText(QStringLiteral("Plain, "));
    QTextCursor c(doc.document());
    c.movePosition(QTextCursor::End);
    QTextCharFormat styled;
    styled.setFontFamilies({QStringLiteral("DejaVu Serif")});
    styled.setFontPointSize(17.5);
    styled.setFontWeight(QFont::Bold);
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    styled.setForeground(QColor(200, 10, 30));
    styled.setBackground(QColor(1, 2, 3, 100));
    c.insertText(QStringLiteral("styled\ttext"), styled);

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    c.insertBlock(right);
    c.insertText(QStringLiteral("right "));
    doc.setSelStart(doc.textLength());
    doc.insertPicture(patternImage({7, 5}, QImage::Format_ARGB32), {3.5, 2.5});
    doc.insertPicture(patternImage({13, 9}, QImage::Format_RGB32), {13, 9});
    doc.insertPicture(patternImage({6, 4}, QImage::Format_ARGB32_Premultiplied), {6, 4});

    QTextBlockFormat centered;
    centered.setAlignment(Qt::AlignHCenter);
    c.movePosition(QTextCursor::End);
    c.insertBlock(centered);
    c.insertText(QStringLiteral("centred"));
    c.insertBlock(QTextBlockFormat()); // an empty last paragraph must survive too
}

void tst_StyledDocument::textAndLength_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("CR") << QStringLiteral("a\rb") << QStringLiteral("a\rb");
    QTest::newRow("LF") << QStringLiteral("a\nb") << QStringLiteral("a\rb");
    QTest::newRow("CRLF is one break") << QStringLiteral("a\r\nb") << QStringLiteral("a\rb");
    QTest::newRow("LF CR is two") << QStringLiteral("a\n\rb") << QStringLiteral("a\r\rb");
    QTest::newRow("mixed, trailing break")
        << QStringLiteral("1\r\n2\n3\r") << QStringLiteral("1\r2\r3\r");
}

void tst_StyledDocument::textAndLength()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);

    StyledDocument doc;
    doc.insertPicture(patternImage({2, 2}, QImage::Format_RGB32), {2, 2});
    doc.setText(input);
    QCOMPARE(doc.text(), expected);
    QCOMPARE(doc.textLength(), expected.size());
    QCOMPARE(doc.selStart(), 0);

    // Replacing the content must not take the document's defaults with it.
    QFont font = QGuiApplication::font();
    font.setPointSize(12);
    QCOMPARE(doc.document()->defaultFont(), font);
    QCOMPARE(doc.document()->defaultTextOption().tabStopDistance(), 32.0);
    QVERIFY(doc.document()->isUndoRedoEnabled());
}

void tst_StyledDocument::picturesCountAsOneCharacter()
{
    StyledDocument doc;
    doc.setText(QStringLiteral("ab\rcd"));
    doc.setSelStart(3);
    doc.insertPicture(patternImage({5, 3}, QImage::Format_RGB32), {5, 3});
    doc.insertPicture(patternImage({5, 3}, QImage::Format_RGB32), {5, 3});
    const QString expected = QStringLiteral("ab\r") + Pic + Pic + QStringLiteral("cd");
    QCOMPARE(doc.text(), expected);
    QCOMPARE(doc.textLength(), 7);
    QCOMPARE(doc.selStart(), 5);

    // Positions count the same way: selecting past a picture lands where text() says.
    doc.setSelStart(5);
    doc.setSelLength(100);
    QCOMPARE(doc.selLength(), 2);
    doc.setSelStart(-4);
    QCOMPARE(doc.selStart(), 0);
}

void tst_StyledDocument::saveLoadRoundTrip()
{
    StyledDocument original;
    fillRichDocument(original);
    const QString file = path(QStringLiteral("roundtrip.doc"));
    const auto saved = original.saveFile(file);
    QVERIFY2(saved.ok, qPrintable(saved.reason));

    StyledDocument loaded;
    const auto result = loaded.loadFile(file, 0, 0);
    QVERIFY2(result.ok, qPrintable(result.reason));
    const QString diff = differences(snapshot(original), snapshot(loaded));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));

    const int firstPicture = int(loaded.text().indexOf(Pic));
    for (int i = 0; i < 3; ++i) {
        const QTextImageFormat a = pictureAt(original, firstPicture + i);
        const QTextImageFormat b = pictureAt(loaded, firstPicture + i);
        QVERIFY2(a.width() == b.width() && a.height() == b.height(),
                 qPrintable(QStringLiteral("picture %1 is %2x%3, expected %4x%5")
                                .arg(i)
                                .arg(b.width())
                                .arg(b.height())
                                .arg(a.width())
                                .arg(a.height())));
    }

    // Saving what was loaded gives the same bytes: nothing drifts over repeated round trips.
    const auto again = loaded.saveFile(path(QStringLiteral("again.doc")));
    QVERIFY2(again.ok, qPrintable(again.reason));
    QVERIFY(readAll(file) == readAll(path(QStringLiteral("again.doc"))));
}

void tst_StyledDocument::insertionPoint_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<Step>("step");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("expectedPoint");

    const auto clip = [](const QString &text) {
        clipboard()->setText(text);
    };
    const QString abcd = QStringLiteral("abcd");

    QTest::newRow("setText goes to the start")
        << abcd << 3 << 0 << Step([](StyledDocument &d) { d.setText(QStringLiteral("x\ry")); })
        << QStringLiteral("x\ry") << 0;
    QTest::newRow("paste text goes behind it") << abcd << 2 << 0 << Step([clip](StyledDocument &d) {
        clip(QStringLiteral("XY"));
        d.paste();
    }) << QStringLiteral("abXYcd") << 4;
    QTest::newRow("pasted CRLF is one break") << abcd << 1 << 0 << Step([clip](StyledDocument &d) {
        clip(QStringLiteral("1\r\n2"));
        d.paste();
    }) << QStringLiteral("a1\r2bcd") << 4;
    QTest::newRow("two pastes keep their order")
        << abcd << 2 << 0 << Step([clip](StyledDocument &d) {
               clip(QStringLiteral("1"));
               d.paste();
               clip(QStringLiteral("2"));
               d.paste();
           })
        << QStringLiteral("ab12cd") << 4;
    QTest::newRow("paste picture goes behind it") << abcd << 2 << 0 << Step([](StyledDocument &d) {
        clipboard()->setImage(patternImage({3, 3}, QImage::Format_ARGB32));
        d.paste();
        d.paste();
    }) << QStringLiteral("ab") + Pic + Pic + QStringLiteral("cd")
                                                  << 4;
    QTest::newRow("paste fragment goes behind it") << abcd << 1 << 0 << Step([](StyledDocument &d) {
        StyledDocument source;
        source.setText(QStringLiteral("x\ry"));
        source.insertPicture(patternImage({3, 3}, QImage::Format_ARGB32), {3, 3});
        source.setSelStart(0);
        source.setSelLength(source.textLength());
        source.copy();
        d.paste();
    }) << QStringLiteral("a") + Pic + QStringLiteral("x\rybcd")
                                                   << 5;
    QTest::newRow("paste replaces the selection")
        << abcd << 1 << 2 << Step([clip](StyledDocument &d) {
               clip(QStringLiteral("X"));
               d.paste();
           })
        << QStringLiteral("aXd") << 2;
    QTest::newRow("empty clipboard changes nothing")
        << abcd << 2 << 0 << Step([](StyledDocument &d) {
               clipboard()->clear();
               d.paste();
           })
        << abcd << 2;
    QTest::newRow("empty text changes nothing")
        << abcd << 2 << 0 << Step([clip](StyledDocument &d) {
               clip(QString());
               d.paste();
           })
        << abcd << 2;

    const QString file = path(QStringLiteral("two-lines.doc"));
    StyledDocument saved;
    saved.setText(QStringLiteral("F1\rF2"));
    QVERIFY(saved.saveFile(file).ok);
    QTest::newRow("loadFile into the middle goes to the end")
        << abcd << 0 << 0 << Step([file](StyledDocument &d) { QVERIFY(d.loadFile(file, 1, 3).ok); })
        << QStringLiteral("aF1\rF2d") << 7;
    QTest::newRow("loadFile with start after end")
        << abcd << 0 << 0
        << Step([file](StyledDocument &d) { QVERIFY(d.loadFile(file, 99, 2).ok); })
        << QStringLiteral("abF1\rF2") << 7;
}

void tst_StyledDocument::insertionPoint()
{
    QFETCH(QString, initial);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(Step, step);
    QFETCH(QString, expected);
    QFETCH(int, expectedPoint);

    StyledDocument doc;
    doc.setText(initial);
    doc.setSelStart(start);
    doc.setSelLength(length);
    step(doc);
    QCOMPARE(doc.text(), expected);
    QVERIFY2(doc.selStart() == expectedPoint && doc.selLength() == 0,
             qPrintable(QStringLiteral("insertion point %1 (+%2), expected %3")
                            .arg(doc.selStart())
                            .arg(doc.selLength())
                            .arg(expectedPoint)));
}

void tst_StyledDocument::copyLonePicture()
{
    const QImage image = patternImage({9, 7}, QImage::Format_ARGB32);
    StyledDocument source;
    source.setText(QStringLiteral("ab"));
    source.setSelStart(1);
    source.insertPicture(image, {4.5, 3.5});
    source.setSelStart(1);
    source.setSelLength(1);
    source.copy();

    const QMimeData *mime = clipboard()->mimeData();
    QVERIFY(mime);
    QVERIFY2(mime->hasImage() && !mime->hasText(), qPrintable(mime->formats().join(u' ')));
    QCOMPARE(mime->data(QLatin1String(StyledDocument::LogicalSizeMime)), QByteArray("4.5 3.5"));
    QVERIFY(mime->hasFormat(QLatin1String(StyledDocument::FragmentMime)));
    const QString onClipboard = samePixels(image, qvariant_cast<QImage>(mime->imageData()));
    QVERIFY2(onClipboard.isEmpty(), qPrintable(onClipboard));

    StyledDocument target;
    target.paste();
    QCOMPARE(target.text(), QString(Pic));
    QCOMPARE(QSizeF(pictureAt(target, 0).width(), pictureAt(target, 0).height()), QSizeF(4.5, 3.5));
    const QString pasted = samePixels(image, pictureImage(target, 0));
    QVERIFY2(pasted.isEmpty(), qPrintable(pasted));
}

// Pictures that come from elsewhere: without our fragment, the size comes from the logical-size
// entry, else from the image's device pixel ratio.
void tst_StyledDocument::pastedPictureSize_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("logicalSize");
    QTest::addColumn<bool>("asPngBytes");
    QTest::addColumn<QSizeF>("expected");

    QImage hiDpi = patternImage({40, 20}, QImage::Format_ARGB32);
    hiDpi.setDevicePixelRatio(2);
    const QImage plain = patternImage({40, 20}, QImage::Format_ARGB32);

    QTest::newRow("logical size entry") << plain << QByteArray("20 10") << false << QSizeF(20, 10);
    QTest::newRow("device pixel ratio") << hiDpi << QByteArray() << false << QSizeF(20, 10);
    QTest::newRow("unreadable entry falls back")
        << plain << QByteArray("20 x") << false << QSizeF(40, 20);
    QTest::newRow("only image/png bytes") << plain << QByteArray() << true << QSizeF(40, 20);
}

void tst_StyledDocument::pastedPictureSize()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, logicalSize);
    QFETCH(bool, asPngBytes);
    QFETCH(QSizeF, expected);

    QMimeData mime;
    if (asPngBytes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        mime.setData(QStringLiteral("image/png"), png);
    } else {
        mime.setImageData(image);
    }
    if (!logicalSize.isEmpty())
        mime.setData(QLatin1String(StyledDocument::LogicalSizeMime), logicalSize);

    StyledDocument doc;
    doc.insertMimeData(mime);
    QCOMPARE(doc.text(), QString(Pic));
    QCOMPARE(QSizeF(pictureAt(doc, 0).width(), pictureAt(doc, 0).height()), expected);
    const QString pixels = samePixels(image.convertToFormat(QImage::Format_ARGB32),
                                      pictureImage(doc, 0).convertToFormat(QImage::Format_ARGB32));
    QVERIFY2(pixels.isEmpty(), qPrintable(pixels));
}

void tst_StyledDocument::copyTextWithPicture()
{
    const QImage image = patternImage({5, 3}, QImage::Format_ARGB32);
    StyledDocument source;
    source.setText(QStringLiteral("ab"));
    source.setSelStart(2);
    source.insertPicture(image, {5, 3});
    QTextCursor c(source.document());
    c.movePosition(QTextCursor::End);
    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    c.insertBlock(right);
    c.insertText(QStringLiteral("cd"), bold);
    source.setSelStart(0);
    source.setSelLength(source.textLength());
    source.copy();

    const QMimeData *mime = clipboard()->mimeData();
    QVERIFY(mime);
    QCOMPARE(mime->text(), QStringLiteral("ab\ncd"));
    QVERIFY(mime->hasFormat(QLatin1String(StyledDocument::FragmentMime)));
    // Other programs get the picture inside the HTML.
    const auto match = QRegularExpression(QStringLiteral("src=\"data:image/png;base64,([^\"]+)\""))
                           .match(mime->html());
    QVERIFY2(match.hasMatch(), qPrintable(mime->html().left(400)));
    const QImage inHtml = QImage::fromData(QByteArray::fromBase64(match.captured(1).toLatin1()));
    const QString htmlPixels = samePixels(image, inHtml.convertToFormat(image.format()));
    QVERIFY2(htmlPixels.isEmpty(), qPrintable(htmlPixels));

    StyledDocument target;
    target.paste();
    const QString diff = differences(snapshot(source), snapshot(target));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void tst_StyledDocument::emptySelectionClearsClipboard()
{
    clipboard()->setText(QStringLiteral("the user's text"));
    StyledDocument doc;
    doc.setText(QStringLiteral("abc"));
    doc.setSelStart(1);
    doc.copy();
    const QMimeData *mime = clipboard()->mimeData();
    QVERIFY2(!mime || mime->formats().isEmpty(),
             qPrintable(mime ? mime->formats().join(u' ') : QString()));
}

void tst_StyledDocument::badFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("createFile");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QString>("reasonPart");

    const QByteArray &valid = m_validFile;
    QVERIFY(valid.size() > HeaderSize + 100);
    const QString incomplete = QStringLiteral("incomplete");
    const QString damaged = QStringLiteral("damaged");

    QTest::newRow("missing file") << QByteArray() << false << false
                                  << QStringLiteral("does not exist");
    QTest::newRow("empty") << QByteArray() << true << false << QStringLiteral("empty");
    QTest::newRow("cut in the signature") << valid.left(5) << true << false << incomplete;
    QTest::newRow("cut in the header") << valid.left(30) << true << false << incomplete;
    QTest::newRow("cut after the header") << valid.left(HeaderSize) << true << false << incomplete;
    QTest::newRow("cut in the middle")
        << valid.left(valid.size() / 2) << true << false << incomplete;
    QTest::newRow("last byte missing") << valid.chopped(1) << true << false << incomplete;
    QTest::newRow("a byte too many") << valid + 'x' << true << false << damaged;

    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    patternImage({4, 4}, QImage::Format_ARGB32).save(&buffer, "PNG");
    const QString foreign = QStringLiteral("not a Quillo document");
    QTest::newRow("a PNG file") << png << true << false << foreign;
    QTest::newRow("a text file") << QByteArray("Plain, styled\ttext\n") << true << false << foreign;

    QByteArray future = valid;
    future[9] = 2;
    QTest::newRow("newer major version") << future << true << false << QStringLiteral("newer");
    QByteArray flipped = valid;
    flipped[valid.size() - 20] = char(flipped[valid.size() - 20] ^ 0x10);
    QTest::newRow("one bit changed") << flipped << true << false << QStringLiteral("checksum");

    // Files with a correct checksum whose payload is wrong: what a buggy or hostile writer makes.
    const QByteArray payload = valid.sliced(HeaderSize);
    const qsizetype signature = payload.indexOf("\x89PNG");
    QVERIFY(signature > 0);
    QByteArray notPng = payload;
    notPng[signature + 1] = 'X';
    QTest::newRow("picture is not a PNG")
        << wrapPayload(notPng) << true << false << QStringLiteral("cannot be decoded");
    QByteArray badPng = payload;
    badPng[signature + 19] = char(badPng[signature + 19] ^ 0x01); // image width; its CRC fails
    QTest::newRow("picture's PNG is damaged")
        << wrapPayload(badPng) << true << false << QStringLiteral("cannot be decoded");
    QTest::newRow("huge picture count")
        << wrapPayload(QByteArray("\xff\xff\xff\xff", 4)) << true << false << damaged;
    QTest::newRow("huge paragraph count")
        << wrapPayload(QByteArray("\0\0\0\0\x7f\xff\xff\xff", 8)) << true << false << damaged;
    QTest::newRow("huge string")
        // no picture, one paragraph, no properties, one run of 2 GB of text
        << wrapPayload(
               QByteArray("\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\0\0\0\0\1\x7f\xff\xff\xfe\0\0\0\0", 28))
        << true << false << damaged;
    QTest::newRow("unknown property kind")
        // no picture, one paragraph with one property of kind 99
        << wrapPayload(QByteArray("\0\0\0\0\0\0\0\1\0\0\0\1\0\0\0\1\x63\0\0\0\0", 21)) << true
        << false << damaged;
    QTest::newRow("no paragraph") << wrapPayload(QByteArray(8, '\0')) << true << false << damaged;

    QTest::newRow("read-only document") << valid << true << true << QStringLiteral("read-only");
}

void tst_StyledDocument::badFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, createFile);
    QFETCH(bool, readOnly);
    QFETCH(QString, reasonPart);

    const QString file = path(QStringLiteral("bad-%1.doc").arg(QTest::currentDataTag()));
    if (createFile)
        QVERIFY(writeAll(file, bytes));

    StyledDocument doc;
    fillRichDocument(doc);
    doc.setSelStart(4);
    doc.setSelLength(3);
    doc.setReadOnly(readOnly);
    const Snapshot before = snapshot(doc);

    const auto result = doc.loadFile(file, 2, 9);
    QVERIFY2(!result.ok, "loaded");
    QVERIFY2(
        result.reason.contains(reasonPart, Qt::CaseInsensitive),
        qPrintable(
            QStringLiteral("reason \"%1\" does not say \"%2\"").arg(result.reason, reasonPart)));
    const QString diff = differences(before, snapshot(doc));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
    QCOMPARE(doc.selStart(), 4);
    QCOMPARE(doc.selLength(), 3);
}

// A later minor version only appends; this version must still read what it knows.
void tst_StyledDocument::newerMinorVersionIsRead()
{
    const QByteArray payload = m_validFile.sliced(HeaderSize) + QByteArray("added later");
    const QString file = path(QStringLiteral("minor.doc"));
    QVERIFY(writeAll(file, wrapPayload(payload, 1, 7)));

    StyledDocument expected;
    fillRichDocument(expected);
    StyledDocument doc;
    const auto result = doc.loadFile(file, 0, 0);
    QVERIFY2(result.ok, qPrintable(result.reason));
    const QString diff = differences(snapshot(expected), snapshot(doc));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void tst_StyledDocument::saveIntoMissingFolder()
{
    StyledDocument doc;
    doc.setText(QStringLiteral("abc"));
    const QString file = path(QStringLiteral("no-such-folder/a.doc"));
    const auto result = doc.saveFile(file);
    QVERIFY2(!result.ok, "saved");
    QVERIFY2(result.reason.contains(QLatin1String("does not exist")), qPrintable(result.reason));
    QVERIFY(!QFile::exists(file));
}

// Large payloads are hashed by another implementation than small ones; both must give the
// standard SHA-256, or files written on one machine would not load on another.
void tst_StyledDocument::largeFileChecksum()
{
    QImage noise(1024, 1024, QImage::Format_RGB32);
    quint32 state = 12345;
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, (state = state * 1664525u + 1013904223u) >> 8);
    StyledDocument doc;
    doc.insertPicture(noise, noise.size());
    const QString file = path(QStringLiteral("large.doc"));
    const auto saved = doc.saveFile(file);
    QVERIFY2(saved.ok, qPrintable(saved.reason));
    const QByteArray bytes = readAll(file);
    QVERIFY2(bytes.size() > 2 * 1024 * 1024, qPrintable(QString::number(bytes.size())));
    QCOMPARE(bytes.mid(HeaderSize - 32, 32),
             QCryptographicHash::hash(bytes.sliced(HeaderSize), QCryptographicHash::Sha256));

    StyledDocument loaded;
    const auto result = loaded.loadFile(file, 0, 0);
    QVERIFY2(result.ok, qPrintable(result.reason));
    const QString diff = differences(snapshot(doc), snapshot(loaded));
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

QTEST_MAIN(tst_StyledDocument)
#include "tst_styleddocument.moc"
