#include "selection/overlaywindow.h"

#include "selection/selection.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}

} // namespace

void OverlayContext::clearRect(const selection::DrawRect &rect)
{
    const QRect cleared = selection::toWidgetRect(rect, m_overlay.overlayHeight()).toAlignedRect();
    if (cleared.contains(m_overlay.rect()))
        m_fills.clear();
    else
        m_fills.append({cleared, QColor(Qt::transparent)});
}

void OverlayContext::setGrayFillColor(double gray, double alpha)
{
    m_fillColor = QColor::fromRgbF(clamp01(gray), clamp01(gray), clamp01(gray), clamp01(alpha));
}

void OverlayContext::setRGBFillColor(double red, double green, double blue, double alpha)
{
    m_fillColor = QColor::fromRgbF(clamp01(red), clamp01(green), clamp01(blue), clamp01(alpha));
}

void OverlayContext::fillRect(const selection::DrawRect &rect)
{
    if (m_fillColor.alpha() == 0)
        return; // nothing shows through a fully transparent fill
    const QRect area = selection::toWidgetRect(rect, m_overlay.overlayHeight()).toAlignedRect();
    m_fills.append({area, m_fillColor});
}

void OverlayContext::reset()
{
    m_fillColor = Qt::transparent;
    m_fills.clear();
}

void OverlayContext::flush()
{
    m_overlay.present(m_fills);
}

OverlayWindow::OverlayWindow(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::X11BypassWindowManagerHint | Qt::Tool)
{
    setObjectName(QStringLiteral("overlaywindow"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);
    setFocusPolicy(Qt::StrongFocus);
}

OverlayWindow::~OverlayWindow() = default;

int OverlayWindow::create(const QRect &screenGeometry, const QImage &grab)
{
    if (screenGeometry.isEmpty() || grab.isNull())
        return 1;
    m_geometry = screenGeometry;
    m_grab = grab;
    m_shown.clear();
    m_context.reset();
    m_pressed = false;
    m_finished = false;
    setGeometry(screenGeometry);
    return 0;
}

void OverlayWindow::showOverlay()
{
    show();
    raise();
    activateWindow();
    // Override-redirect windows get no focus from the window manager; take the keyboard
    // ourselves so that Escape ends the selection.
    grabKeyboard();
}

void OverlayWindow::closeOverlay()
{
    m_finished = true;
    releaseKeyboard();
    hide();
}

void OverlayWindow::present(const QList<OverlayContext::Fill> &fills)
{
    // Repaint only where the picture changes: a drag step of a large selection then touches a
    // few strips of pixels instead of the whole screen.
    QRegion dirty;
    const bool sameBase = !m_shown.isEmpty() && !fills.isEmpty() &&
                          m_shown.first().rect == fills.first().rect &&
                          m_shown.first().color == fills.first().color;
    if (!sameBase) {
        dirty = rect();
    } else {
        const qsizetype n = std::max(m_shown.size(), fills.size());
        for (qsizetype i = 1; i < n; ++i) {
            const bool inOld = i < m_shown.size();
            const bool inNew = i < fills.size();
            if (inOld && inNew && m_shown[i].color == fills[i].color) {
                dirty += QRegion(m_shown[i].rect).xored(QRegion(fills[i].rect));
            } else {
                if (inOld)
                    dirty += m_shown[i].rect;
                if (inNew)
                    dirty += fills[i].rect;
            }
        }
    }
    m_shown = fills;
    if (!dirty.isEmpty())
        update(dirty);
}

void OverlayWindow::paintEvent(QPaintEvent *event)
{
    // The screen picture and every fill are drawn straight into the backing store, only where
    // the picture changed; a dimmed copy of the whole screen made in advance would cost a second
    // full-screen buffer at every command.
    QPainter p(this);
    const QRegion region = event->region();
    p.setClipRegion(region);
    const qreal dpr = m_grab.devicePixelRatio();
    for (const QRect &r : region)
        p.drawImage(r, m_grab, QRectF(r.topLeft() * dpr, r.size() * dpr));
    for (const OverlayContext::Fill &fill : std::as_const(m_shown))
        p.fillRect(fill.rect, fill.color);
}

void OverlayWindow::mousePressEvent(QMouseEvent *event)
{
    if (m_finished || event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    mouseDown(event->position().x(), event->position().y());
}

void OverlayWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_finished || !m_pressed)
        return;
    mouseDragged(event->position().x(), event->position().y());
}

void OverlayWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_finished || !m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    mouseUp(event->position().x(), event->position().y());
}

void OverlayWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && !m_finished) {
        selection::cancel(*this);
        return;
    }
    QWidget::keyPressEvent(event);
}

void OverlayWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    windowShown();
}

void OverlayWindow::mouseDown(double x, double y)
{
    selection::mouseDown(*this, x, y);
}

void OverlayWindow::mouseDragged(double x, double y)
{
    selection::mouseDragged(*this, x, y);
}

void OverlayWindow::mouseUp(double x, double y)
{
    selection::mouseUp(*this, x, y);
}

void OverlayWindow::windowShown()
{
    redraw();
}
