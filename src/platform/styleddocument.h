#pragma once

#include "platform/documentformat.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QTextCursor>
#include <QTextDocument>

class QMimeData;

// A styled text-and-picture document that is never shown: the program's capture documents,
// the clipboard keeper and the PrintBoards. A picture is one character of the text. Positions
// count characters, a picture counting as one, and a paragraph break as one ("\r" in text()).
//
// The document has one insertion point, which the operations move as their callers rely on:
// setText leaves it at the start, paste leaves it after what was inserted, loadFile at the end.
class StyledDocument final : public QObject
{
    Q_OBJECT
public:
    // Pictures put on the clipboard by the program carry their size in logical pixels here, so
    // that a HiDPI capture prints at the size the user saw; values are "width height".
    static constexpr auto LogicalSizeMime = "application/x-quillo-logical-size";
    // A range copied from a StyledDocument: the document file format, so that pasting it into
    // another StyledDocument keeps styles and pictures.
    static constexpr auto FragmentMime = "application/x-quillo-fragment";

    explicit StyledDocument(QObject *parent = nullptr);

    // Plain text with paragraph breaks as "\r" and each picture as U+FFFC.
    [[nodiscard]] QString text() const;
    // Replaces the whole content; "" empties it, pictures included. The insertion point goes to 0.
    void setText(const QString &text);
    // Number of characters, a picture counting as one.
    [[nodiscard]] int textLength() const;

    // Inserts the clipboard's content at the insertion point and leaves the point behind it:
    // our own fragment if present, else a picture, else plain text. Nothing usable: no change.
    void paste();
    // The same from any MIME data (paste() passes the clipboard's).
    void insertMimeData(const QMimeData &data);
    // Inserts one picture of the given logical size (points at 100 %).
    void insertPicture(const QImage &image, const QSizeF &logicalSize);

    void setSelStart(int start);
    void setSelLength(int length);
    [[nodiscard]] int selStart() const;
    [[nodiscard]] int selLength() const;
    // Puts the selected range on the clipboard, styles and pictures included. A lone picture is
    // offered as a picture (image/png); text as text/plain and text/html. An empty selection
    // empties the clipboard.
    void copy() const;
    // The MIME data copy() would put on the clipboard (nullptr-free; caller owns it).
    [[nodiscard]] QMimeData *mimeDataForSelection() const;

    [[nodiscard]] bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    struct FileResult
    {
        bool ok = false;
        QString reason; // empty when ok
    };
    // Replaces the range start..end with the content of the file and leaves the insertion point
    // at the end of the document. A read-only document, an unreadable file or one that is not a
    // complete document of ours fails with a reason and leaves the content as it was.
    FileResult loadFile(const QString &path, int start, int end);
    // Writes the whole document in our format (docs/document-format.md), atomically.
    [[nodiscard]] FileResult saveFile(const QString &path) const;

    // The document as saveFile writes it, taken now, to be written later on any thread: the
    // pictures are encoded here (once: from then on the document keeps their PNG bytes).
    struct Snapshot
    {
        std::optional<documentformat::Content> content;
        QString error; // why the document cannot be saved, when content is empty
    };
    [[nodiscard]] Snapshot snapshot() const;
    // Writes a snapshot atomically; safe on any thread.
    [[nodiscard]] static FileResult writeSnapshot(const Snapshot &snapshot, const QString &path);

    // The page-setup dialog for this document: 0 accepted, -128 cancelled, other values errors.
    int pageSetup();
    // The page format as text; empty until a page setup is accepted or a format is set.
    [[nodiscard]] QString pageSetupString() const { return m_pageSetup; }
    void setPageSetupString(const QString &format) { m_pageSetup = format; }
    // The print dialog, then the whole document printed: 0 printed, -128 cancelled, other
    // values the error codes of resultcodes.h.
    int print();
    // The print preview first; when the user asks to print from it, the print dialog and the
    // printout as print() does. -128 when either is closed without printing.
    int printWithPreview();

    [[nodiscard]] QTextDocument *document() { return &m_doc; }
    [[nodiscard]] const QTextDocument *document() const { return &m_doc; }

private:
    QString addPicture(const documentformat::Picture &picture);
    void insertContent(const documentformat::Content &content);

    QTextDocument m_doc;
    QTextCursor m_cursor;
    // The pixels or PNG bytes of every picture by resource name; the text document asks for them
    // through its resource provider. Saving turns them into PNG bytes only (hence mutable).
    mutable QHash<QString, documentformat::Picture> m_pictures;
    bool m_readOnly = false;
    QString m_pageSetup;
    int m_nextImage = 0;
};
