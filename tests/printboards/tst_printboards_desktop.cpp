// The PrintBoards under the real X server: selections dragged with the real mouse and added to
// the active board through the real clipboard, notes, view/print to a PDF file, deleting the
// contents, switching and renaming projects, and what reaches the board files.
#include "core/menu.h"
#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/recordinghost.h"
#include "platform/styleddocument.h"
#include "printboards/boards.h"
#include "printboards/clearwindow.h"
#include "printboards/renamewindow.h"
#include "printboards/slots.h"
#include "printing/addnotewindow.h"
#include "printing/stamp.h"
#include "selection/overlaywindow.h"
#include "support/desktoptools.h"
#include "support/pdftools.h"
#include "support/testhost.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QClipboard>
#include <QDateTime>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace desktoptools;

namespace {

const QString Pic(QChar::ObjectReplacementCharacter);
const QByteArray UsersText("what the user copied");

QString shown(QString s)
{
    s.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(Pic, QLatin1String("[picture]"));
    return QLatin1Char('"') + s + QLatin1Char('"');
}

// What the board's file holds, as a fresh document loads it.
QString fileText(int slot)
{
    printboards::waitForSaves();
    StyledDocument doc;
    if (!resources::exists(printboards::key(slot)))
        return QStringLiteral("(no file)");
    resources::loadDocument(doc, printboards::key(slot));
    return doc.text();
}

} // namespace

class tst_PrintBoards final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void addsInOrderAndOnDisk();
    void guideSentenceOnlyWithCtrl_data();
    void guideSentenceOnlyWithCtrl();
    void noActiveBoard();
    void noteOnBoard();
    void viewPrint();
    void deleteContents_data();
    void deleteContents();
    void switchProjects();
    void nameRules_data();
    void nameRules();
    void renameWindow();
    void savedBeforeAKill();

private:
    // Drags the standard selection (or `to`) after clicking `button`; waits for `continuation`.
    bool addByDrag(QPushButton *button, QTimer *continuation, QPoint to = DragTo);

    RecordingHost *m_host = nullptr;
    Window1 *m_w = nullptr;
    Menu *m_menu = nullptr;
    std::unique_ptr<PatternWindow> m_patternWindow;
    QTemporaryDir m_dir;
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_PrintBoards::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY2(QGuiApplication::platformName() == QLatin1String("xcb"),
             "this test needs the X server of the test harness");
    m_host = installRecordingHost();
    m_patternWindow = std::make_unique<PatternWindow>(pattern(320, 240), PatternAt);
    QVERIFY(m_patternWindow->showAndWait());
}

void tst_PrintBoards::init()
{
    Module1::reset();
    m_host->clear();
    m_folder = std::make_unique<QTemporaryDir>();
    resources::setFolder(m_folder->path());
    m_menu = new Menu;
    m_w = new Window1;
    printboards::install(*m_w, *m_menu);
    printboards::switchTo(*m_menu, 2);
    QVERIFY(clipboardWrite(UsersText));
}

void tst_PrintBoards::cleanup()
{
    printboards::waitForSaves();
    AddNoteWindow::closeIfOpen();
    ClearJobWarningWindow::closeIfOpen();
    RenameFileWindow::closeIfOpen();
    QTest::qWait(50);
    delete m_w;
    delete m_menu;
    m_w = nullptr;
    m_menu = nullptr;
}

bool tst_PrintBoards::addByDrag(QPushButton *button, QTimer *continuation, QPoint to)
{
    button->click();
    if (!QTest::qWaitFor([this] { return m_w->o && m_w->o->isVisible(); }, 5000))
        return false;
    QTest::qWait(100);
    if (!drag(DragFrom, to))
        return false;
    return QTest::qWaitFor([continuation] { return continuation->isActive(); }, 5000) &&
           QTest::qWaitFor([continuation] { return !continuation->isActive(); }, 5000);
}

void tst_PrintBoards::addsInOrderAndOnDisk()
{
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton1, m_w->Timer3));
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton2, m_w->Timer4, DragTo + QPoint(-50, -40)));

    const QString expected = Pic + QStringLiteral(" \r") + Pic + QStringLiteral(" \r\r");
    const QString board = m_w->PrintBoard2WasteField->text();
    QVERIFY2(board == expected, qPrintable(shown(board)));
    // Two different pictures, in the order they were added.
    const QTextDocument *doc = m_w->PrintBoard2WasteField->document();
    const auto sizeAt = [doc](int position) {
        QTextCursor c(const_cast<QTextDocument *>(doc));
        c.setPosition(position + 1);
        const QTextImageFormat f = c.charFormat().toImageFormat();
        return QSizeF(f.width(), f.height());
    };
    QCOMPARE(sizeAt(0), QSizeF(CapturedPart.size()));
    QCOMPARE(sizeAt(3), QSizeF(CapturedPart.size() - QSize(50, 40)));
    QVERIFY2(fileText(2) == expected, qPrintable(shown(fileText(2))));
    QVERIFY(resources::isHidden(printboards::key(2)));
    QVERIFY2(m_w->WASTEfield3->text().isEmpty(), "another board changed");
    QCOMPARE(clipboardRead(), UsersText);
    QVERIFY2(m_host->messages.isEmpty(), qPrintable(m_host->messages.join(QLatin1Char('|'))));
}

void tst_PrintBoards::guideSentenceOnlyWithCtrl_data()
{
    QTest::addColumn<bool>("override");
    QTest::addColumn<bool>("oversize");
    QTest::newRow("Ctrl, oversize") << true << true;
    QTest::newRow("no Ctrl, oversize") << false << true;
    QTest::newRow("Ctrl, fits the page") << true << false;
}

void tst_PrintBoards::guideSentenceOnlyWithCtrl()
{
    QFETCH(bool, override);
    QFETCH(bool, oversize);
    Module1::AutoScalingGuideP = true;
    // Keeps the oversize selection from asking for a page setup on its own.
    Module1::AlwaysDisplayPageSetUpP = true;
    Module1::ASGValuesOverRide = override;
    const QPoint to = oversize ? QPoint(1800, 1000) : DragTo;
    QString sentence;
    QObject::connect(m_w->ASGValuesEditfield, &QLineEdit::textChanged, m_w,
                     [&sentence](const QString &text) {
                         if (!text.isEmpty())
                             sentence = text;
                     });
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton1, m_w->Timer3, to));
    QCOMPARE(!sentence.isEmpty(), oversize);
    const QString expected =
        Pic + (override && oversize ? sentence : QString()) + QStringLiteral(" \r");
    const QString board = m_w->PrintBoard2WasteField->text();
    QVERIFY2(board == expected,
             qPrintable(shown(board) + QStringLiteral(" expected ") + shown(expected)));
    if (override)
        QVERIFY(m_w->ASGValuesEditfield->text().isEmpty());
    QVERIFY(!Module1::ASGValuesOverRide);
    QCOMPARE(clipboardRead(), UsersText);
}

void tst_PrintBoards::noActiveBoard()
{
    Module1::ActivePrintBoard = QStringLiteral("ProjectsPrintBoard9");
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton1, m_w->Timer3));
    for (int slot = 1; slot <= printboards::SlotCount; ++slot)
        QVERIFY(printboards::document(*m_w, slot)->text().isEmpty());
    QVERIFY(m_host->messages.isEmpty());
    QCOMPARE(clipboardRead(), UsersText);
    // Letter case does not matter.
    Module1::ActivePrintBoard = QStringLiteral("projectsprintboard4");
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton1, m_w->Timer3));
    QCOMPARE(m_w->PrintBoard4WASTEfield->text(), Pic + QStringLiteral(" \r"));
}

void tst_PrintBoards::noteOnBoard()
{
    m_w->PrintBoard2WasteField->setText(QStringLiteral("before"));
    m_w->AddNoteToJobPushButton->click();
    AddNoteWindow *window = AddNoteWindow::existing();
    QVERIFY(window);
    QTRY_VERIFY(window->isVisible());
    QVERIFY(window->AddNoteSaveToJobButton->isVisible());
    QVERIFY(!window->AddNoteButton->isVisible());
    QCOMPARE(window->AddNoteSaveToJobButton->x(), 202);
    QVERIFY(!window->AddNoteSaveToJobButton->isEnabled());
    window->AddNoteEditField->setPlainText(QStringLiteral("Receipt of May"));
    QVERIFY(window->AddNoteSaveToJobButton->isEnabled());
    // The user copies something else meanwhile; the restore gives back what was there at the
    // opening.
    QVERIFY(clipboardWrite("copied later"));
    // The board active when "Add Note" is pressed gets it.
    printboards::switchTo(*m_menu, 3);
    const QString before = printing::stamp(QDateTime::currentDateTime());
    window->AddNoteSaveToJobButton->click();
    const QString after = printing::stamp(QDateTime::currentDateTime());
    QTRY_VERIFY(!AddNoteWindow::existing());
    const QString board = m_w->PrintBoard3WASTEfield->text();
    const QString head = QStringLiteral("\rNOTE: Receipt of May\r");
    QVERIFY2(board == head + before + QStringLiteral("\r\r") ||
                 board == head + after + QStringLiteral("\r\r"),
             qPrintable(shown(board)));
    QCOMPARE(m_w->PrintBoard2WasteField->text(), QStringLiteral("before"));
    QCOMPARE(fileText(3), board);
    QCOMPARE(clipboardRead(), UsersText);
}

void tst_PrintBoards::viewPrint()
{
    // Before any accepted page setup: the message, and no preview even when the forced page
    // setup is cancelled.
    Module1::AlwaysDisplayPageSetUpP = true;
    m_host->pageSetupAnswers.push_back({-128, {}});
    m_w->PrintPrintJjobPushButton->click();
    QCOMPARE(m_host->events,
             QStringList({QStringLiteral("front"), QStringLiteral("pagesetup:-128"),
                          QStringLiteral("front"), QStringLiteral("beep"),
                          QStringLiteral("message:") + printboards::NoPageSetupMessage}));

    // Two pictures, the second taller than what is left of the first page.
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton2, m_w->Timer4));
    QVERIFY(addByDrag(m_w->AddToPrintJobPushButton1, m_w->Timer3, QPoint(700, 1000)));
    Module1::AlwaysDisplayPageSetUpP = false;
    m_host->clear();
    m_host->pageSetupAnswers.push_back({0, {}});
    m_w->PageSetUpPushButton->click();

    // A closed preview says nothing.
    m_host->previewAnswers.push_back(-128);
    m_w->PrintPrintJjobPushButton->click();
    QVERIFY(m_host->messages.isEmpty());
    QCOMPARE(m_host->events.filter(QStringLiteral("print:")).size(), 0);

    const QString pdf = m_dir.filePath(QStringLiteral("board.pdf"));
    m_host->previewAnswers.push_back(0);
    m_host->printAnswers.push_back({0, [pdf](QPrinter &printer) {
                                        printer.setOutputFormat(QPrinter::PdfFormat);
                                        printer.setOutputFileName(pdf);
                                    }});
    m_w->PrintPrintJjobPushButton->click();
    QVERIFY2(m_host->messages.isEmpty(), qPrintable(m_host->messages.join(QLatin1Char('|'))));
    QCOMPARE(m_host->lastPreviewPages, pdftools::pageCount(pdf));
    QVERIFY2(pdftools::pageCount(pdf) == 2, qPrintable(QString::number(pdftools::pageCount(pdf))));
    const QList<pdftools::ImageRow> images = pdftools::images(pdf);
    QCOMPARE(images.size(), 2);
    const QList<QSizeF> expected{QSizeF(CapturedPart.size()), QSizeF(280, 680)};
    for (int i = 0; i < 2; ++i) {
        const QSizeF printed = images[i].printedSizePt();
        QVERIFY2(qAbs(printed.width() - expected[i].width()) < 2 &&
                     qAbs(printed.height() - expected[i].height()) < 2,
                 qPrintable(QStringLiteral("picture %1 printed %2 x %3 pt")
                                .arg(i + 1)
                                .arg(printed.width())
                                .arg(printed.height())));
        QCOMPARE(images[i].page, i + 1);
    }
}

void tst_PrintBoards::deleteContents_data()
{
    QTest::addColumn<bool>("okay");
    QTest::newRow("Okay") << true;
    QTest::newRow("Cancel") << false;
}

void tst_PrintBoards::deleteContents()
{
    QFETCH(bool, okay);
    for (int slot : {1, 2}) {
        printboards::document(*m_w, slot)->setText(QStringLiteral("board %1").arg(slot));
        printboards::saveBoard(*m_w, slot);
    }
    m_w->ClearPrintJobPushButton->click();
    QCOMPARE(m_host->beeps, 1);
    ClearJobWarningWindow *window = ClearJobWarningWindow::existing();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Delete PrintBoard Contents Confirmation"));
    (okay ? window->OkayClearPrintPushButton : window->CancelClearPrintJobPushButton)->click();
    QTRY_VERIFY(!ClearJobWarningWindow::existing());
    QCOMPARE(m_w->PrintBoard2WasteField->text(), okay ? QString() : QStringLiteral("board 2"));
    QCOMPARE(fileText(2), okay ? QStringLiteral("(no file)") : QStringLiteral("board 2"));
    QCOMPARE(m_w->WASTEfield3->text(), QStringLiteral("board 1"));
    QCOMPARE(fileText(1), QStringLiteral("board 1"));
}

void tst_PrintBoards::switchProjects()
{
    int rebuilds = 0;
    printboards::setCommandWindowHooks([&rebuilds] { ++rebuilds; }, {});
    printboards::setName(*m_menu, 3, QStringLiteral("Maps & Charts"));
    printboards::switchTo(*m_menu, 3);
    printboards::setCommandWindowHooks({}, {});
    QCOMPARE(rebuilds, 1);
    QCOMPARE(Module1::ActivePrintBoard, QStringLiteral("ProjectsPrintBoard3"));
    QCOMPARE(Module1::PrintBoardName, QStringLiteral("Maps & Charts"));
    for (int slot = 1; slot <= printboards::SlotCount; ++slot)
        QCOMPARE(m_menu->item(printboards::key(slot))->isChecked(), slot == 3);
    // "&" shown as typed, not taken as a mnemonic.
    QCOMPARE(m_menu->item(QStringLiteral("ViewPrintProject"))->iconText(),
             QStringLiteral("View/Print Project \"Maps & Charts\""));
    QCOMPARE(m_menu->item(QStringLiteral("NameProject"))->text(),
             QStringLiteral("Name/Rename Project \"Maps && Charts\""));
    QCOMPARE(m_menu->item(QStringLiteral("DeletePrintBoardContents"))->text(),
             QStringLiteral("Delete the contents of \"Maps && Charts\""));
}

void tst_PrintBoards::nameRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    const QString ok;
    QTest::newRow("empty") << QString() << printboards::EnterNameMessage;
    QTest::newRow("blanks only") << QStringLiteral("   ") << printboards::EnterNameMessage;
    QTest::newRow("line break") << QStringLiteral("a\nb") << printboards::EnterNameMessage;
    QTest::newRow("tab") << QStringLiteral("a\tb") << printboards::EnterNameMessage;
    QTest::newRow("slash") << QStringLiteral("a/b") << printboards::ColonOrSlashMessage;
    QTest::newRow("colon in 40 characters")
        << QStringLiteral("0123456789:0123456789012345678901234567")
        << printboards::ColonOrSlashMessage;
    QTest::newRow("30 characters") << QStringLiteral("Receipts and maps for May 2026") << ok;
    QTest::newRow("31 characters")
        << QStringLiteral("Receipts and maps for May 2026!") << printboards::TooLongMessage;
    QTest::newRow("30 with an emoji")
        << QStringLiteral("Receipts and maps for May 202\U0001F600") << ok;
    QTest::newRow("own name, other case")
        << QStringLiteral("printboard 2") << printboards::NameInUseMessage;
    QTest::newRow("another board's name")
        << QStringLiteral("PRINTBOARD 5") << printboards::NameInUseMessage;
    QTest::newRow("quotes and ampersand") << QStringLiteral("\"Q&A\"") << ok;
}

void tst_PrintBoards::nameRules()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    QStringList names;
    for (int slot = 1; slot <= printboards::SlotCount; ++slot)
        names << printboards::defaultName(slot);
    QCOMPARE(printboards::nameRejection(name, names), message);
}

void tst_PrintBoards::renameWindow()
{
    RenameFileWindow *window = RenameFileWindow::open(*m_menu);
    QVERIFY(window->isVisible());
    QCOMPARE(window->RenameFileStaticText->text(),
             QStringLiteral("The currentlly active Project is:  \"PrintBoard 2.\" Type the new "
                            "name for this project."));
    QVERIFY(!window->OkayPushButton->isEnabled());
    window->RenameFileEditField->setText(QStringLiteral("printboard 2"));
    QVERIFY(window->ClearPushButton->isEnabled());
    window->OkayPushButton->setEnabled(true);
    window->OkayPushButton->click();
    QCOMPARE(m_host->messages, QStringList{printboards::NameInUseMessage});
    QVERIFY(RenameFileWindow::existing());
    window->ClearPushButton->click();
    QVERIFY(!window->OkayPushButton->isEnabled() && !window->ClearPushButton->isEnabled());

    window->RenameFileEditField->setText(QStringLiteral("Tax 2026"));
    window->OkayPushButton->setEnabled(true);
    window->OkayPushButton->click();
    QTRY_VERIFY(!RenameFileWindow::existing());
    QCOMPARE(printboards::name(*m_menu, 2), QStringLiteral("Tax 2026"));
    QCOMPARE(Module1::PrintBoardName, QStringLiteral("Tax 2026"));
    QCOMPARE(m_menu->item(QStringLiteral("ViewPrintProject"))->text(),
             QStringLiteral("View/Print Project \"Tax 2026\""));
    QCOMPARE(resources::readAll(QStringLiteral("QLPB2Name")).value_or(QString()),
             QStringLiteral("Tax 2026"));
}

// A board is on disk once the add is done, not only at shutdown: a program killed with SIGKILL
// leaves both entries for the next start.
void tst_PrintBoards::savedBeforeAKill()
{
    if (qEnvironmentVariableIsSet("QUILLO_TEST_CHILD"))
        QSKIP("runs in the parent only");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLO_TEST_CHILD"), m_folder->path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForReadyRead(20000));
    QCOMPARE(child.readAllStandardOutput().trimmed(), QByteArray("added"));
    child.kill();
    child.waitForFinished();
    QCOMPARE(fileText(1), Pic + QStringLiteral(" \r") + Pic + QStringLiteral(" \r\r"));
}

// The child of savedBeforeAKill: two adds with pictures on the clipboard, then it waits to be
// killed.
static int childMain(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installRecordingHost();
    resources::setFolder(qEnvironmentVariable("QUILLO_TEST_CHILD"));
    Menu menu;
    Window1 w;
    printboards::install(w, menu);
    printboards::switchTo(menu, 1);
    for (int returns : {1, 2}) {
        QGuiApplication::clipboard()->setImage(pattern(40 * returns, 30));
        printboards::addContinuation(w, returns);
    }
    printboards::waitForSaves();
    std::printf("added\n");
    std::fflush(stdout);
    return app.exec();
}

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("QUILLO_TEST_CHILD"))
        return childMain(argc, argv);
    QApplication app(argc, argv);
    tst_PrintBoards test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_printboards_desktop.moc"
