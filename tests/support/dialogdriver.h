#pragma once

#include <QObject>
#include <QPageLayout>
#include <QPageSize>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

// Answers the program's modal dialogs like a person would, so that code which calls exec() can
// run in a test. Queue the answers in the order the dialogs will open, then call the code. The
// driver polls QApplication::activeModalWidget(); each dialog it meets is answered with the next
// queued answer when the kinds match. A dialog it did not expect (or could not operate) is
// cancelled, so that a test fails instead of hanging, and noted in errors().
//
//   DialogDriver driver;
//   driver.answerPageSetup(DialogDriver::Accept, {.scale = 50});
//   driver.printToFile(path);
//   doc.pageSetup(); doc.print();
//   QCOMPARE(driver.log(), (QStringList{"pagesetup", "print"}));
class DialogDriver final : public QObject
{
    Q_OBJECT
public:
    enum Answer { Accept, Cancel, Close };
    struct PageSetupChoice
    {
        std::optional<int> scale;
        std::optional<QPageLayout::Orientation> orientation;
        std::optional<QPageSize::PageSizeId> paper;
    };

    explicit DialogDriver(QObject *parent = nullptr);
    ~DialogDriver() override;

    // Our PageSetupDialog: set what `choice` holds, then OK, Cancel, or close the window.
    void answerPageSetup(Answer answer, const PageSetupChoice &choice = {});
    // Qt's QPrintDialog: choose "Print to File (PDF)", enter `path` (which must not exist, or
    // the dialog asks whether to overwrite), and press Print.
    void printToFile(const QString &path);
    // Qt's QPrintDialog: choose the CUPS queue `queue` and press Print.
    void printToQueue(const QString &queue);
    // Qt's QPrintDialog: press Cancel.
    void cancelPrint();

    // The dialogs answered, in order: "pagesetup", "print".
    [[nodiscard]] QStringList log() const { return m_log; }
    [[nodiscard]] bool acted() const { return !m_log.isEmpty(); }
    // Unexpected dialogs and dialogs that could not be operated, one sentence each.
    [[nodiscard]] QStringList errors() const { return m_errors; }
    // Answers queued but not used yet.
    [[nodiscard]] int pending() const { return int(m_steps.size()); }

private:
    struct Step
    {
        QString kind;
        // Operates the dialog; returns why it could not, or "".
        std::function<QString(QDialog *)> act;
    };

    void poll();
    static QString kindOf(const QWidget *w);

    QTimer m_timer;
    std::deque<Step> m_steps;
    QPointer<QWidget> m_handled;
    QStringList m_log;
    QStringList m_errors;
};
