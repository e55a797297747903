#include "commandmenu/helpwindow.h"

#include "core/module1.h"
#include "core/resources.h"
#include "core/window1.h"
#include "platform/desktop.h"
#include "platform/desktophost.h"
#include "platform/documentprinter.h"
#include "platform/host.h"

#include <QAbstractTextDocumentLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <optional>

QPointer<ContextualMenuHelpWindow> ContextualMenuHelpWindow::s_window;

namespace {

const QColor WindowColour(158, 198, 255);
const QColor FieldColour(229, 229, 163);
constexpr auto InstalledProperty = "quilloHelpInstalled";

QFont uiFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSize(12);
    return font;
}

// The buttons' widths were drawn for 72-dpi screens, where 12 points were 12 pixels; at 12 points
// on a screen of today the longer captions are cut off. The three share the largest size, 12
// points at most, at which every caption fits its button.
void fitCaptions(const QList<QPushButton *> &buttons)
{
    QFont font = uiFont();
    for (qreal size = 12; size > 6; size -= 0.5) {
        font.setPointSizeF(size);
        const QFontMetrics metrics(font);
        const bool fit = std::all_of(buttons.cbegin(), buttons.cend(), [&](QPushButton *button) {
            const int inside =
                button->width() -
                2 * (button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                     button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
            return metrics.horizontalAdvance(button->text()) <= inside;
        });
        if (fit)
            break;
    }
    for (QPushButton *button : buttons)
        button->setFont(font);
}

// The HTML of a help file, or nullopt after telling the user it is missing. A file that is there
// but cannot be read is as useless as a missing one, and is reported the same way.
std::optional<QString> helpText(const char *name)
{
    if (resources::exists(QLatin1String(name))) {
        if (std::optional<QString> html = resources::readAll(QLatin1String(name)))
            return html;
    }
    platform::host().beep();
    platform::host().message(commandmenu::HelpFileMissingMessage);
    return std::nullopt;
}

// A pending second load would put the instructions back over the overview the user just asked
// for.
void cancelInstructionsReload()
{
    if (Window1 *w = Window1::instance())
        w->ForcehelpInstructionsUpdateTimer->stop();
}

void reloadInstructions()
{
    QPointer<ContextualMenuHelpWindow> window = ContextualMenuHelpWindow::existing();
    if (!window || Module1::ResetInstructionsTimer > 0)
        return;
    window->InstructionsPushButton->click();
    ++Module1::ResetInstructionsTimer;
    // The click may have shown a message, during which the user could close the window.
    if (window)
        window->InstructionsPushButton->setEnabled(false);
}

// Draws the lines between `top` and `bottom` with `top` at the painter's origin.
void drawBlock(QPainter &painter, const QTextDocument &doc, qreal top, qreal bottom)
{
    painter.save();
    painter.translate(0, -top);
    const qreal width = doc.textWidth();
    painter.setClipRect(QRectF(-width, top, 3 * width, bottom - top));
    platform::drawLines(painter, doc, top, bottom);
    painter.restore();
}

// Prints `text` on the default printer, without a dialog. No printer, or one that cannot be
// opened, prints nothing and says nothing: help is not worth an error message.
void printOnDefaultPrinter(const QTextDocument &text)
{
    // Our own copy, taken before any event can change the field.
    std::unique_ptr<QTextDocument> column(text.clone());
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull())
        return;
    QPrinter printer(defaultPrinter, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Quillo Help"));
    QPainter painter;
    if (!painter.begin(&printer))
        return;

    // Laid out on the printer itself, so that the text's point sizes are points on paper (the
    // field's layout is in screen pixels), and without the field's inner margin.
    const qreal unitsPerPoint = printer.resolution() / 72.0;
    column->documentLayout()->setPaintDevice(&printer);
    column->setDocumentMargin(0);
    column->setTextWidth(ContextualMenuHelpWindow::PrintWidthPt * unitsPerPoint);
    const qreal height = column->documentLayout()->documentSize().height();
    const QList<qreal> starts =
        platform::pageBreaks(platform::lineExtents(*column), height,
                             ContextualMenuHelpWindow::PrintBlockHeightPt * unitsPerPoint);

    for (qsizetype i = 0; i < starts.size(); ++i) {
        const bool last = i + 1 == starts.size();
        drawBlock(painter, *column, starts[i], last ? height : starts[i + 1]);
        if (last || !printer.newPage())
            break;
        // A long text takes a while; the program keeps answering meanwhile.
        QCoreApplication::processEvents();
    }
    painter.end();
}

} // namespace

namespace commandmenu {

void showHelpOverview()
{
    const std::optional<QString> html = helpText(resources::files::HelpOverview);
    if (!html)
        return;
    ContextualMenuHelpWindow *window = ContextualMenuHelpWindow::instance();
    // Called from a menu while another application has the focus: come up above it.
    DesktopHost::raiseAndActivate(window);
    window->show();
    window->showOverview(*html);
    // With the overview on display there is nothing to return from, so the instructions must be
    // reachable again, as after "Return to Overview".
    Module1::ResetInstructionsTimer = 0;
    window->InstructionsPushButton->setEnabled(true);
}

void installHelp(Window1 &w)
{
    QTimer *timer = w.ForcehelpInstructionsUpdateTimer;
    if (timer->property(InstalledProperty).toBool())
        return;
    timer->setProperty(InstalledProperty, true);
    QObject::connect(timer, &QTimer::timeout, &w, &reloadInstructions);
}

} // namespace commandmenu

ContextualMenuHelpWindow *ContextualMenuHelpWindow::instance()
{
    if (!s_window)
        s_window = new ContextualMenuHelpWindow;
    return s_window;
}

ContextualMenuHelpWindow *ContextualMenuHelpWindow::existing()
{
    return s_window;
}

ContextualMenuHelpWindow::ContextualMenuHelpWindow()
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("ContextualMenuHelpWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Quillo Help"));
    setFixedSize(Size);
    setFont(uiFont());
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, WindowColour);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    // One point beyond the window at the top and left, so that the field's frame does not show
    // along the window's edges.
    EditFieldContextualMenuHelpDisplay = new QTextEdit(this);
    EditFieldContextualMenuHelpDisplay->setObjectName(
        QStringLiteral("EditFieldContextualMenuHelpDisplay"));
    EditFieldContextualMenuHelpDisplay->setGeometry(-1, -1, 493, 400);
    EditFieldContextualMenuHelpDisplay->setReadOnly(true);
    // The text colour too: a dark desktop theme would put light text on the light yellow.
    QPalette fieldPalette = EditFieldContextualMenuHelpDisplay->palette();
    fieldPalette.setColor(QPalette::Base, FieldColour);
    fieldPalette.setColor(QPalette::Text, Qt::black);
    EditFieldContextualMenuHelpDisplay->setPalette(fieldPalette);

    const auto makeButton = [this](const char *name, const QString &caption, int left, int width) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(QLatin1String(name));
        button->setGeometry(left, 405, width, 20);
        button->setAutoDefault(false);
        return button;
    };
    InstructionsPushButton =
        makeButton("InstructionsPushButton", QStringLiteral("Instructions and Tips"), 80, 140);
    PrintContextualMenuHelpPushButton =
        makeButton("PrintContextualMenuHelpPushButton", QStringLiteral("Print"), 263, 66);
    ReturntToOverviewPushButton =
        makeButton("ReturntToOverviewPushButton", QStringLiteral("Return to Overview"), 370, 140);
    ReturntToOverviewPushButton->setEnabled(false);
    fitCaptions(
        {InstructionsPushButton, PrintContextualMenuHelpPushButton, ReturntToOverviewPushButton});

    connect(InstructionsPushButton, &QPushButton::clicked, this,
            &ContextualMenuHelpWindow::showInstructions);
    connect(PrintContextualMenuHelpPushButton, &QPushButton::clicked, this,
            &ContextualMenuHelpWindow::printText);
    connect(ReturntToOverviewPushButton, &QPushButton::clicked, this,
            &ContextualMenuHelpWindow::returnToOverview);

    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - QPoint(Size.width() / 2, Size.height() / 2));
}

void ContextualMenuHelpWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    Module1::ResetInstructionsTimer = 0;
    QWidget::closeEvent(event);
}

void ContextualMenuHelpWindow::emptyField()
{
    EditFieldContextualMenuHelpDisplay->clear();
    EditFieldContextualMenuHelpDisplay->setFontUnderline(false);
    EditFieldContextualMenuHelpDisplay->setFontWeight(QFont::Normal);
}

void ContextualMenuHelpWindow::showOverview(const QString &html)
{
    cancelInstructionsReload();
    EditFieldContextualMenuHelpDisplay->show();
    emptyField();
    PrintContextualMenuHelpPushButton->show();
    ReturntToOverviewPushButton->setEnabled(false);
    EditFieldContextualMenuHelpDisplay->setHtml(html);
}

void ContextualMenuHelpWindow::showInstructions()
{
    platform::host().bringProcessFront();
    const std::optional<QString> html = helpText(resources::files::HelpInstructions);
    if (!html)
        return;
    emptyField();
    ReturntToOverviewPushButton->setEnabled(true);
    EditFieldContextualMenuHelpDisplay->setHtml(*html);
    if (Window1 *w = Window1::instance())
        w->ForcehelpInstructionsUpdateTimer->start();
}

void ContextualMenuHelpWindow::returnToOverview()
{
    const std::optional<QString> html = helpText(resources::files::HelpOverview);
    if (!html)
        return;
    showOverview(*html);
    Module1::ResetInstructionsTimer = 0;
    InstructionsPushButton->setEnabled(true);
}

void ContextualMenuHelpWindow::printText()
{
    // A second click while the pages go out (events run between them) would print it all again.
    if (m_printing)
        return;
    m_printing = true;
    const QPointer<ContextualMenuHelpWindow> self(this);
    const QString printed = EditFieldContextualMenuHelpDisplay->toHtml();
    printOnDefaultPrinter(*EditFieldContextualMenuHelpDisplay->document());
    if (!self)
        return;
    m_printing = false;
    // Whatever ran between the pages, the field ends with the text that was printed. Set only
    // when it changed, so that the reader keeps the place they scrolled to.
    if (EditFieldContextualMenuHelpDisplay->toHtml() != printed)
        EditFieldContextualMenuHelpDisplay->setHtml(printed);
}
