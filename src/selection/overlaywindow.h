#pragma once

#include "selection/geometry.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRegion>
#include <QWidget>

class OverlayWindow;

// The overlay's drawing context. Fills accumulate from the last clear of the whole overlay and
// become visible at flush(). Rectangles are in drawing coordinates (points, origin bottom-left,
// y upward); colour components are clamped to 0..1 like a Quartz context does.
class OverlayContext final
{
public:
    explicit OverlayContext(OverlayWindow &overlay) : m_overlay(overlay) {}

    void clearRect(const selection::DrawRect &rect);
    void setGrayFillColor(double gray, double alpha);
    void setRGBFillColor(double red, double green, double blue, double alpha);
    void fillRect(const selection::DrawRect &rect);
    void flush();
    // Back to a fresh context: no fills, a transparent fill colour.
    void reset();

    struct Fill
    {
        QRect rect; // widget coordinates
        QColor color;
    };
    [[nodiscard]] const QList<Fill> &pendingFills() const { return m_fills; }

private:
    OverlayWindow &m_overlay;
    QColor m_fillColor = Qt::transparent;
    QList<Fill> m_fills;
};

// The full-screen overlay of one selection. X11 without a compositor cannot show a translucent
// window, so the overlay is opaque: it shows the picture of the screen taken as it opened, with
// the context's fills painted over it. It paints and forwards the mouse; what a selection means
// lives in selection.cpp and drawing.cpp.
class OverlayWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit OverlayWindow(QWidget *parent = nullptr);
    ~OverlayWindow() override;

    // Covers `screenGeometry` (global points) showing `grab`. 0 on success; non-zero when there
    // is nothing to show (no screen, no picture of it).
    int create(const QRect &screenGeometry, const QImage &grab);
    // Shows the overlay above everything and takes the keyboard, so Escape reaches it.
    void showOverlay();
    void closeOverlay();

    [[nodiscard]] OverlayContext *context() { return &m_context; }
    [[nodiscard]] const QImage &grab() const { return m_grab; }
    [[nodiscard]] double overlayWidth() const { return m_geometry.width(); }
    [[nodiscard]] double overlayHeight() const { return m_geometry.height(); }

    // The selection's event handlers; coordinates in points from the overlay's top-left.
    void mouseDown(double x, double y);
    void mouseDragged(double x, double y);
    void mouseUp(double x, double y);
    void windowShown();
    void redraw();

    // Called by the context at flush(): repaints what differs from what is on screen.
    void present(const QList<OverlayContext::Fill> &fills);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QRect m_geometry;
    QImage m_grab;
    OverlayContext m_context{*this};
    QList<OverlayContext::Fill> m_shown; // what the screen shows now
    bool m_pressed = false;
    bool m_finished = false;
};
