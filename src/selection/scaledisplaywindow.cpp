#include "selection/scaledisplaywindow.h"

#include "core/module1.h"
#include "selection/guide.h"

#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>

QPointer<ScaleDisplayWindow> ScaleDisplayWindow::s_window;

namespace {

// The guide's sizes were made for a narrow 12-point font; the desktop's may be wider. Rather than
// cut off the percentage, the text gets as much of 12 points as the window's width allows.
QFont fittingFont(const QString &lines, int windowWidth)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(12);
    const qreal room = windowWidth - 8; // the field's margins
    qreal widest = 0;
    const QFontMetricsF metrics(font);
    for (const QString &line : lines.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    if (widest > room)
        font.setPointSizeF(std::max(7.0, 12 * room / widest));
    return font;
}

} // namespace

ScaleDisplayWindow *ScaleDisplayWindow::instance()
{
    if (!s_window)
        s_window = new ScaleDisplayWindow;
    return s_window;
}

ScaleDisplayWindow *ScaleDisplayWindow::existing()
{
    return s_window;
}

void ScaleDisplayWindow::closeIfOpen()
{
    if (s_window) {
        s_window->hide();
        delete s_window.data();
    }
}

ScaleDisplayWindow::ScaleDisplayWindow()
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint | Qt::Tool | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("ScaleDisplayWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(selection::guideTitle(Module1::ScaleForLandscapeMode
                                             ? selection::Orientation::Landscape
                                             : selection::Orientation::Portrait));
    setAutoFillBackground(true);
    resize(160, TitleHeight + 36);

    m_title = new QLabel(windowTitle(), this);
    m_title->setObjectName(QStringLiteral("ScaleDisplayTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setAutoFillBackground(true);
    m_title->setBackgroundRole(QPalette::Mid);
    QFont small = m_title->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    m_title->setFont(small);

    m_content = new QWidget(this);
    m_content->setObjectName(QStringLiteral("ScaleDisplayContent"));

    // The field is larger than the window, which shows its top-left part.
    ScaleDisplayEditField = new QPlainTextEdit(m_content);
    ScaleDisplayEditField->setObjectName(QStringLiteral("ScaleDisplayEditField"));
    ScaleDisplayEditField->setGeometry(1, 1, 298, 58);
    ScaleDisplayEditField->setReadOnly(true);
    ScaleDisplayEditField->setFocusPolicy(Qt::NoFocus);
    ScaleDisplayEditField->setFrameShape(QFrame::NoFrame);
    ScaleDisplayEditField->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScaleDisplayEditField->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ScaleDisplayEditField->document()->setDocumentMargin(2);

    // Kept out of sight as the window's focus widget; the window itself is never activated.
    EditField1 = new QLineEdit(m_content);
    EditField1->setObjectName(QStringLiteral("EditField1"));
    EditField1->setGeometry(-36, 60, 26, 22);
    EditField1->setFocusPolicy(Qt::NoFocus);
}

void ScaleDisplayWindow::showGuide(const selection::Guide &guide, QPoint topLeft)
{
    if (windowTitle() != guide.title) {
        setWindowTitle(guide.title);
        m_title->setText(guide.title);
    }
    if (m_text != guide.text) {
        m_text = guide.text;
        // The guide's lines are separated by carriage returns; the field breaks at "\n".
        const QString lines = QString(guide.text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        ScaleDisplayEditField->setFont(fittingFont(lines, guide.width));
        ScaleDisplayEditField->setPlainText(lines);
    }
    const QRect geometry(topLeft, QSize(guide.width, TitleHeight + guide.height));
    if (this->geometry() != geometry || !isVisible()) {
        m_title->setGeometry(0, 0, guide.width, TitleHeight);
        m_content->setGeometry(0, TitleHeight, guide.width, guide.height);
        setGeometry(geometry);
    }
    if (!isVisible()) {
        show();
        raise();
    }
}

QString ScaleDisplayWindow::displayedText() const
{
    return m_text;
}

QSize ScaleDisplayWindow::contentSize() const
{
    return m_content->size();
}
