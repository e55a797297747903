#include "infowindows/aboutwindow.h"

#include "platform/desktop.h"
#include "platform/desktophost.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

QPointer<AboutQuilloWindow> AboutQuilloWindow::s_window;

namespace {

const QColor Ink(43, 51, 61);
const QColor Slate(58, 68, 82);
const QColor SlateLight(86, 96, 110);
const QColor Accent(47, 111, 222);
const QColor Muted(110, 116, 124);

QFont pixelFont(int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont font = QGuiApplication::font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    return font;
}

// A sheet leaving a printer, with the dashed frame and handles of a screen selection on it: what
// the program does, in one picture. Points, origin top-left of the picture.
void drawMotif(QPainter &p)
{
    // The sheet, slightly raised from the background.
    const QRectF sheet(92, 58, 126, 150);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 28));
    p.drawRoundedRect(sheet.translated(3, 3), 3, 3);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(200, 204, 210), 1));
    p.drawRoundedRect(sheet, 3, 3);

    // Lines of "text" and a small picture on the sheet.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(206, 211, 218));
    for (int i = 0; i < 4; ++i)
        p.drawRoundedRect(QRectF(106, 74 + i * 12, i == 3 ? 60 : 98, 5), 2, 2);
    p.setBrush(QColor(170, 196, 238));
    p.drawRoundedRect(QRectF(106, 128, 52, 36), 2, 2);
    p.setBrush(QColor(206, 211, 218));
    p.drawRoundedRect(QRectF(166, 130, 38, 5), 2, 2);
    p.drawRoundedRect(QRectF(166, 142, 30, 5), 2, 2);

    // The selection around part of it.
    const QRectF selection(100, 122, 110, 48);
    p.setBrush(QColor(47, 111, 222, 30));
    QPen dashed(Accent, 1.5, Qt::DashLine);
    p.setPen(dashed);
    p.drawRect(selection);
    p.setPen(Qt::NoPen);
    p.setBrush(Accent);
    for (const QPointF &corner : {selection.topLeft(), selection.topRight(), selection.bottomLeft(),
                                  selection.bottomRight()})
        p.drawRect(QRectF(corner - QPointF(3, 3), QSizeF(6, 6)));

    // The printer, drawn over the lower part of the sheet.
    p.setBrush(Slate);
    p.drawRoundedRect(QRectF(56, 190, 198, 84), 10, 10);
    p.setBrush(SlateLight);
    p.drawRoundedRect(QRectF(80, 196, 150, 12), 4, 4);
    p.setBrush(Ink);
    p.drawRoundedRect(QRectF(76, 268, 158, 20), 5, 5);
    p.setBrush(QColor(96, 200, 120));
    p.drawEllipse(QPointF(230, 234), 5, 5);
    p.setBrush(SlateLight);
    p.drawRoundedRect(QRectF(80, 228, 96, 6), 3, 3);
    p.drawRoundedRect(QRectF(80, 242, 64, 6), 3, 3);
}

QImage drawPicture(qreal dpr)
{
    const QSize size = AboutQuilloWindow::Size;
    QImage image(size * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(AboutQuilloWindow::Background);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // A light band behind the motif.
    QLinearGradient band(0, 0, 0, size.height());
    band.setColorAt(0, QColor(226, 232, 240));
    band.setColorAt(1, QColor(212, 220, 232));
    p.fillRect(QRectF(0, 0, 310, size.height()), band);

    drawMotif(p);

    const qreal left = 336;
    p.setPen(Ink);
    p.setFont(pixelFont(50, QFont::Bold));
    p.drawText(QPointF(left, 150), QStringLiteral("Quillo"));
    p.setFont(pixelFont(17));
    p.drawText(QPointF(left + 2, 182),
               QStringLiteral("Version %1").arg(QLatin1String(QUILLO_VERSION)));
    p.setPen(Muted);
    p.setFont(pixelFont(14));
    p.drawText(QRectF(left + 2, 198, size.width() - left - 20, 40), Qt::TextWordWrap,
               QStringLiteral("Prints any part of the screen."));

    p.setPen(QPen(QColor(200, 204, 210), 1));
    p.drawLine(QPointF(left + 2, 248), QPointF(size.width() - 24, 248));

    p.setPen(Ink);
    p.setFont(pixelFont(14, QFont::DemiBold));
    p.drawText(QPointF(left + 2, 276), QStringLiteral("MIT licence"));
    p.setPen(Muted);
    p.setFont(pixelFont(12));
    p.drawText(QRectF(left + 2, 286, size.width() - left - 20, 60), Qt::TextWordWrap,
               QStringLiteral("Free software: use, copy, change and share it.\n"
                              "Copyright \u00A9 2026 The Quillo developers"));
    return image;
}

} // namespace

QPixmap AboutQuilloWindow::picture()
{
    // Kept as an image: a pixmap must not outlive the application object, the cache does.
    static QImage cached;
    if (cached.isNull()) {
        const QScreen *screen = platform::mainScreen();
        cached = drawPicture(screen ? screen->devicePixelRatio() : 1.0);
    }
    return QPixmap::fromImage(cached);
}

AboutQuilloWindow *AboutQuilloWindow::instance()
{
    if (!s_window)
        s_window = new AboutQuilloWindow;
    return s_window;
}

AboutQuilloWindow *AboutQuilloWindow::existing()
{
    return s_window;
}

void AboutQuilloWindow::closeIfOpen()
{
    if (s_window)
        s_window->close();
}

AboutQuilloWindow::AboutQuilloWindow() : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("AboutQuilloWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Quillo %1").arg(QLatin1String(QUILLO_VERSION)));
    setFixedSize(Size);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, Background);
    setPalette(grey);
    setAutoFillBackground(true);

    ImageWell1 = new QLabel(this);
    ImageWell1->setObjectName(QStringLiteral("ImageWell1"));
    ImageWell1->setGeometry(0, 0, Size.width(), Size.height());
    ImageWell1->setPixmap(picture());

    const QRect screen = platform::mainScreenGeometry();
    move(screen.center() - rect().center());
}

void AboutQuilloWindow::closeEvent(QCloseEvent *event)
{
    if (s_window == this)
        s_window = nullptr;
    QWidget::closeEvent(event);
}

void AboutQuilloWindow::showWindow()
{
    DesktopHost::raiseAndActivate(this);
    show();
}
