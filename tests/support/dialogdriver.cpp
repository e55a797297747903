#include "support/dialogdriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {

// Names of the widgets Qt 6's Unix print dialog is built from (its .ui files).
constexpr auto PrintersCombo = "printers";
constexpr auto FileNameEdit = "filename";
// The entry Qt adds after the CUPS queues for writing a PDF file.
constexpr auto PrintToFileEntry = "Print to File (PDF)";

QDialogButtonBox *buttonBox(QDialog *dialog)
{
    return dialog->findChild<QDialogButtonBox *>(QString(), Qt::FindDirectChildrenOnly);
}

QString press(QDialog *dialog, QDialogButtonBox::StandardButton which)
{
    QDialogButtonBox *box = buttonBox(dialog);
    QAbstractButton *button = box ? box->button(which) : nullptr;
    if (!button)
        return QStringLiteral("%1 has no button %2").arg(dialog->objectName()).arg(int(which));
    button->click();
    return {};
}

QString choosePrinter(QDialog *dialog, const QString &entry)
{
    auto *combo = dialog->findChild<QComboBox *>(QLatin1String(PrintersCombo));
    if (!combo)
        return QStringLiteral("the print dialog has no printer list");
    const int index = combo->findText(entry);
    if (index < 0) {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        return QStringLiteral("the print dialog offers no “%1” (it has: %2)")
            .arg(entry, items.join(QLatin1String(", ")));
    }
    combo->setCurrentIndex(index);
    return {};
}

} // namespace

DialogDriver::DialogDriver(QObject *parent) : QObject(parent)
{
    m_timer.setInterval(20);
    connect(&m_timer, &QTimer::timeout, this, &DialogDriver::poll);
    m_timer.start();
}

DialogDriver::~DialogDriver()
{
    if (!m_steps.empty())
        qWarning("DialogDriver: %d answer(s) never used; first for a “%s” dialog", pending(),
                 qPrintable(m_steps.front().kind));
}

QString DialogDriver::kindOf(const QWidget *w)
{
    if (w->objectName() == QLatin1String("PageSetupDialog"))
        return QStringLiteral("pagesetup");
    if (qobject_cast<const QPrintDialog *>(w))
        return QStringLiteral("print");
    return QStringLiteral("%1 “%2”").arg(QLatin1String(w->metaObject()->className()),
                                         w->windowTitle());
}

void DialogDriver::answerPageSetup(Answer answer, const PageSetupChoice &choice)
{
    m_steps.push_back({QStringLiteral("pagesetup"), [answer, choice](QDialog *d) -> QString {
                           if (choice.scale) {
                               auto *scale = d->findChild<QSpinBox *>(u"scaleSpinBox"_qs);
                               if (!scale)
                                   return QStringLiteral("no scaleSpinBox");
                               scale->setValue(*choice.scale);
                           }
                           if (choice.orientation) {
                               auto *radio = d->findChild<QRadioButton *>(
                                   *choice.orientation == QPageLayout::Landscape
                                       ? u"landscapeRadioButton"_qs
                                       : u"portraitRadioButton"_qs);
                               if (!radio)
                                   return QStringLiteral("no orientation radio button");
                               radio->click();
                           }
                           if (choice.paper) {
                               auto *paper = d->findChild<QComboBox *>(u"paperComboBox"_qs);
                               const int index = paper ? paper->findData(int(*choice.paper)) : -1;
                               if (index < 0)
                                   return QStringLiteral("paper %1 not offered")
                                       .arg(QPageSize::key(*choice.paper));
                               paper->setCurrentIndex(index);
                           }
                           switch (answer) {
                           case Accept:
                               return press(d, QDialogButtonBox::Ok);
                           case Cancel:
                               return press(d, QDialogButtonBox::Cancel);
                           case Close:
                               d->close();
                               return {};
                           }
                           return {};
                       }});
}

void DialogDriver::printToFile(const QString &path)
{
    m_steps.push_back({QStringLiteral("print"), [path](QDialog *d) -> QString {
                           QString why = choosePrinter(d, QLatin1String(PrintToFileEntry));
                           if (!why.isEmpty())
                               return why;
                           auto *name = d->findChild<QLineEdit *>(QLatin1String(FileNameEdit));
                           if (!name)
                               return QStringLiteral("the print dialog has no file name field");
                           name->setText(path);
                           return press(d, QDialogButtonBox::Ok);
                       }});
}

void DialogDriver::printToQueue(const QString &queue)
{
    m_steps.push_back({QStringLiteral("print"), [queue](QDialog *d) -> QString {
                           const QString why = choosePrinter(d, queue);
                           return why.isEmpty() ? press(d, QDialogButtonBox::Ok) : why;
                       }});
}

void DialogDriver::cancelPrint()
{
    m_steps.push_back({QStringLiteral("print"), [](QDialog *d) {
                           return press(d, QDialogButtonBox::Cancel);
                       }});
}

void DialogDriver::poll()
{
    QWidget *w = QApplication::activeModalWidget();
    if (!w || !w->isVisible() || w == m_handled)
        return;
    m_handled = w;
    auto *dialog = qobject_cast<QDialog *>(w);
    const QString kind = kindOf(w);
    if (!dialog || m_steps.empty() || m_steps.front().kind != kind) {
        m_errors << QStringLiteral("unexpected dialog: %1").arg(kind);
        // Deferred like the answers below, so that nothing runs inside this timer's slot.
        QTimer::singleShot(0, w, [w] { w->close(); });
        return;
    }
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    m_log << kind;
    // The answer may open another modal dialog (a confirmation) and wait in its event loop;
    // running it outside this slot keeps the poll timer free to see that dialog.
    QTimer::singleShot(0, dialog, [this, dialog, kind, act = std::move(step.act)] {
        const QString why = act(dialog);
        if (!why.isEmpty()) {
            m_errors << QStringLiteral("%1: %2").arg(kind, why);
            dialog->reject();
        }
    });
}
