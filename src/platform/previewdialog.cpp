#include "platform/previewdialog.h"

#include "platform/documentprinter.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

// The page in view, scaled to fit, painted into a picture that is kept until the page or the
// size changes.
class PreviewDialog::PageView final : public QWidget
{
public:
    PageView(const platform::PagedDocument &doc, const QPageLayout &layout, QWidget *parent)
        : QWidget(parent), m_doc(doc), m_layout(layout)
    {
        setObjectName(QStringLiteral("PreviewPage"));
        setMinimumSize(200, 260);
        setAutoFillBackground(true);
        QPalette shade = palette();
        shade.setColor(QPalette::Window, QColor(128, 128, 128));
        setPalette(shade);
    }

    void setPage(int index)
    {
        m_index = index;
        m_rendered = QImage();
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QSizeF paper = m_layout.fullRect(QPageLayout::Point).size();
        const QSizeF room = QSizeF(size()) - QSizeF(2 * Gap, 2 * Gap);
        if (paper.isEmpty() || room.width() <= 0 || room.height() <= 0)
            return;
        const qreal perPoint =
            std::min(room.width() / paper.width(), room.height() / paper.height());
        const QSizeF shown = paper * perPoint;
        const qreal dpr = devicePixelRatioF();
        if (m_rendered.isNull() || m_renderedFor != size()) {
            m_rendered = QImage((shown * dpr).toSize(), QImage::Format_RGB32);
            m_rendered.setDevicePixelRatio(dpr);
            m_rendered.fill(Qt::white);
            QPainter page(&m_rendered);
            page.setRenderHint(QPainter::Antialiasing);
            page.setRenderHint(QPainter::TextAntialiasing);
            page.setRenderHint(QPainter::SmoothPixmapTransform);
            const QRectF printable = m_layout.paintRect(QPageLayout::Point);
            page.translate(printable.left() * perPoint, printable.top() * perPoint);
            m_doc.paintPage(page, m_index, perPoint);
            m_renderedFor = size();
        }
        QPainter painter(this);
        const QPointF at((width() - shown.width()) / 2, (height() - shown.height()) / 2);
        painter.fillRect(QRectF(at + QPointF(3, 3), shown), QColor(80, 80, 80));
        painter.drawImage(at, m_rendered);
    }

private:
    static constexpr int Gap = 12;
    const platform::PagedDocument &m_doc;
    QPageLayout m_layout;
    int m_index = 0;
    QImage m_rendered;
    QSize m_renderedFor;
};

PreviewDialog::PreviewDialog(const platform::PagedDocument &doc, const QPageLayout &layout,
                             QWidget *parent)
    : QDialog(parent), m_doc(doc), m_layout(layout)
{
    setObjectName(QStringLiteral("PreviewDialog"));
    setWindowTitle(QStringLiteral("Print Preview"));

    m_view = new PageView(doc, layout, this);
    m_previous = new QPushButton(QStringLiteral("Previous Page"), this);
    m_previous->setObjectName(QStringLiteral("PreviewPreviousButton"));
    m_next = new QPushButton(QStringLiteral("Next Page"), this);
    m_next->setObjectName(QStringLiteral("PreviewNextButton"));
    m_pageLabel = new QLabel(this);
    m_pageLabel->setObjectName(QStringLiteral("PreviewPageLabel"));
    auto *close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("PreviewCloseButton"));
    auto *print = new QPushButton(QStringLiteral("Print…"), this);
    print->setObjectName(QStringLiteral("PreviewPrintButton"));
    print->setDefault(true);
    for (QPushButton *button : {m_previous, m_next, close})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_previous);
    buttons->addWidget(m_pageLabel);
    buttons->addWidget(m_next);
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(print);
    auto *column = new QVBoxLayout(this);
    column->addWidget(m_view, 1);
    column->addLayout(buttons);

    connect(m_previous, &QPushButton::clicked, this, [this] { showPage(m_page - 1); });
    connect(m_next, &QPushButton::clicked, this, [this] { showPage(m_page + 1); });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(print, &QPushButton::clicked, this, &QDialog::accept);

    // A page as tall as most of the screen, so that a printed page can be read.
    const QSize screen = this->screen() ? this->screen()->availableSize() : QSize(1280, 1024);
    const int height = std::max(400, screen.height() * 4 / 5);
    const QSizeF paper = layout.fullRect(QPageLayout::Point).size();
    const int width =
        paper.isEmpty() ? height * 3 / 4 : int(height * paper.width() / paper.height()) + 120;
    resize(std::min(width, screen.width()), height);
    showPage(0);
}

void PreviewDialog::showPage(int index)
{
    const int count = std::max(1, m_doc.pageCount());
    m_page = std::clamp(index, 0, count - 1);
    m_view->setPage(m_page);
    m_pageLabel->setText(QStringLiteral("Page %1 of %2").arg(m_page + 1).arg(count));
    m_previous->setEnabled(m_page > 0);
    m_next->setEnabled(m_page + 1 < count);
}

void PreviewDialog::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
    case Qt::Key_Right:
    case Qt::Key_Down:
        showPage(m_page + 1);
        return;
    case Qt::Key_PageUp:
    case Qt::Key_Left:
    case Qt::Key_Up:
        showPage(m_page - 1);
        return;
    case Qt::Key_Home:
        showPage(0);
        return;
    case Qt::Key_End:
        showPage(m_doc.pageCount() - 1);
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
