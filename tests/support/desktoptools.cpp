#include "support/desktoptools.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QPainter>
#include <QProcess>
#include <QTest>

namespace desktoptools {

Output run(const QString &program, const QStringList &args, const QByteArray &input, int timeoutMs)
{
    QProcess process;
    process.start(program, args);
    Output result;
    if (!process.waitForStarted(5000)) {
        result.err = "could not start " + program.toUtf8();
        return result;
    }
    if (!input.isNull()) {
        process.write(input);
        process.closeWriteChannel();
    }
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
        QTest::qWait(10);
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(2000);
        result.err = program.toUtf8() + " timed out";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err += process.readAllStandardError();
    return result;
}

bool xdo(const QStringList &args)
{
    const Output o = run(QStringLiteral("xdotool"), args);
    if (o.exitCode != 0)
        qWarning("xdotool %s failed: %s", qPrintable(args.join(' ')), o.err.constData());
    return o.exitCode == 0;
}

Placement placementOf(const QString &windowId)
{
    const Output info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), windowId});
    Placement p;
    for (const QByteArray &raw : info.out.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("-geometry"))
            p.geometry = QString::fromLatin1(line.mid(10));
        else if (line.startsWith("Absolute upper-left X:"))
            p.origin.setX(line.mid(22).trimmed().toInt());
        else if (line.startsWith("Absolute upper-left Y:"))
            p.origin.setY(line.mid(22).trimmed().toInt());
    }
    return p;
}

QStringList visibleWindows(qint64 pid)
{
    const Output ids =
        run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--pid"), QString::number(pid)});
    QStringList result;
    for (const QByteArray &id : ids.out.split('\n')) {
        if (!id.trimmed().isEmpty())
            result << placementOf(QString::fromLatin1(id.trimmed())).geometry;
    }
    return result;
}

bool drag(QPoint from, QPoint to, int steps)
{
    QStringList args{QStringLiteral("mousemove"), QString::number(from.x()),
                     QString::number(from.y()),   QStringLiteral("sleep"),
                     QStringLiteral("0.1"),       QStringLiteral("mousedown"),
                     QStringLiteral("1")};
    for (int i = 1; i <= steps; ++i) {
        const QPoint p = from + (to - from) * i / steps;
        args << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mousemove")
             << QString::number(p.x()) << QString::number(p.y());
    }
    args << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mouseup")
         << QStringLiteral("1");
    return xdo(args);
}

QByteArray clipboardRead(const QString &target)
{
    const Output o =
        run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                                      QStringLiteral("-t"), target, QStringLiteral("-o")});
    return o.exitCode == 0 ? o.out : QByteArray();
}

QStringList clipboardTargets()
{
    const QString all = QString::fromUtf8(clipboardRead(QStringLiteral("TARGETS")));
    return all.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool clipboardWrite(const QByteArray &data, const QString &target)
{
    // -quiet would keep xclip in the foreground; by default it forks a server and returns.
    const Output o = run(QStringLiteral("xclip"),
                         {QStringLiteral("-selection"), QStringLiteral("clipboard"),
                          QStringLiteral("-t"), target, QStringLiteral("-i")},
                         data);
    // Let the ownership change reach everyone before the test goes on.
    QTest::qWait(100);
    return o.exitCode == 0;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QImage pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 7 + y) % 256, (y * 5 + x / 3) % 256, (x * 13 + y * 11) % 256);
    }
    return image;
}

PatternWindow::PatternWindow(const QImage &image, QPoint globalPos)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint), m_image(image)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(QRect(globalPos, image.deviceIndependentSize().toSize()));
}

bool PatternWindow::showAndWait()
{
    show();
    if (!QTest::qWaitForWindowExposed(this))
        return false;
    // Exposure comes before the first paint reaches the screen; give the server a moment.
    QTest::qWait(200);
    return true;
}

void PatternWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

bool samePixels(const QImage &a, const QImage &b, QString *why)
{
    if (a.size() != b.size()) {
        if (why)
            *why = QStringLiteral("sizes differ: %1x%2 vs %3x%4")
                       .arg(a.width())
                       .arg(a.height())
                       .arg(b.width())
                       .arg(b.height());
        return false;
    }
    const QImage ca = a.convertToFormat(QImage::Format_RGB32);
    const QImage cb = b.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < ca.height(); ++y) {
        for (int x = 0; x < ca.width(); ++x) {
            const QRgb pa = ca.pixel(x, y) & 0xffffff;
            const QRgb pb = cb.pixel(x, y) & 0xffffff;
            if (pa != pb) {
                if (why)
                    *why = QStringLiteral("pixel (%1,%2): %3 vs %4")
                               .arg(x)
                               .arg(y)
                               .arg(pa, 6, 16, QLatin1Char('0'))
                               .arg(pb, 6, 16, QLatin1Char('0'));
                return false;
            }
        }
    }
    return true;
}

} // namespace desktoptools
