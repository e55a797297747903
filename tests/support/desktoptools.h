#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QStringList>
#include <QWidget>

// Tools for tests that act on the real X server from outside, as a person or another program
// would: xdotool for the mouse and keys (XTest), xclip for the clipboard. Each runs while this
// process keeps its event loop turning, so that our own windows and clipboard keep answering.
namespace desktoptools {

struct Output
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a program to its end (or the timeout) while processing events.
Output run(const QString &program, const QStringList &args, const QByteArray &input = {},
           int timeoutMs = 15000);

// xdotool with the given arguments; true when it succeeded.
bool xdo(const QStringList &args);

// Where the X server has a window, as xwininfo reports it: "WxH+X+Y" and the top-left corner on
// the screen (for a framed window, of its client area).
struct Placement
{
    QString geometry;
    QPoint origin;
};
Placement placementOf(const QString &windowId);
// The visible windows of the process `pid`, as "WxH+X+Y".
QStringList visibleWindows(qint64 pid);
// A left-button drag from one global point to another, through a few intermediate points.
bool drag(QPoint from, QPoint to, int steps = 4);

// The CLIPBOARD selection as another program sees it.
QByteArray clipboardRead(const QString &target = QStringLiteral("UTF8_STRING"));
QStringList clipboardTargets();
// Makes xclip the clipboard's owner with `data` of type `target`; xclip keeps serving it in the
// background until another program takes the clipboard.
bool clipboardWrite(const QByteArray &data, const QString &target = QStringLiteral("UTF8_STRING"));

// The selection most end-to-end tests make: a pattern window at PatternAt and a drag from
// DragFrom to DragTo over it, which captures CapturedPart of the pattern (200 x 150 points,
// 20 points into it).
inline constexpr QPoint PatternAt(400, 300);
inline constexpr QPoint DragFrom(420, 320);
inline constexpr QPoint DragTo(620, 470);
inline const QRect CapturedPart(QPoint(20, 20), QSize(200, 150));

// The picture as PNG bytes, as another program would put it on the clipboard.
QByteArray pngBytes(const QImage &image);

// A picture in which nearly every pixel differs from its neighbours, so that an offset or a
// resampled copy never passes for the original.
QImage pattern(int width, int height);

// A window without frame or window-manager placement that shows `image` at a global position.
class PatternWindow final : public QWidget
{
public:
    PatternWindow(const QImage &image, QPoint globalPos);
    // Shows it and waits until the X server has drawn it.
    bool showAndWait();

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_image;
};

// The pixels of `a` and `b` agree (same size, same RGB everywhere); on failure `why` says where.
bool samePixels(const QImage &a, const QImage &b, QString *why = nullptr);

} // namespace desktoptools
