#include "support/pdftools.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

// Runs a poppler tool and returns its standard output; nullopt-like empty result on failure.
bool run(const QString &program, const QStringList &args, QByteArray *out, QString *error)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000) || !p.waitForFinished(60000)) {
        if (error)
            *error = QStringLiteral("%1 did not run: %2").arg(program, p.errorString());
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("%1 %2 failed (%3): %4")
                         .arg(program, args.join(QLatin1Char(' ')))
                         .arg(p.exitCode())
                         .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return true;
}

} // namespace

namespace pdftools {

QList<ImageRow> images(const QString &pdf, QString *error)
{
    QByteArray out;
    if (!run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}, &out, error))
        return {};
    // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
    // ("object ID" is two columns); two header lines come first.
    QList<ImageRow> rows;
    const QList<QByteArray> lines = out.split('\n');
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QStringList f = QString::fromLatin1(lines[i]).simplified().split(QLatin1Char(' '));
        if (f.size() < 14)
            continue;
        ImageRow row;
        row.page = f[0].toInt();
        row.type = f[2];
        row.width = f[3].toInt();
        row.height = f[4].toInt();
        row.color = f[5];
        row.bitsPerComponent = f[7].toInt();
        row.encoding = f[8];
        row.xPpi = f[12].toDouble();
        row.yPpi = f[13].toDouble();
        rows.append(row);
    }
    return rows;
}

QList<QImage> extractImages(const QString &pdf, QString *error)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        if (error)
            *error = QStringLiteral("no temporary folder");
        return {};
    }
    if (!run(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, dir.filePath("img")},
             nullptr, error))
        return {};
    QList<QImage> result;
    // img-000.png, img-001.png, ...: the names sort in the order of `pdfimages -list`.
    const QStringList files =
        QDir(dir.path()).entryList({QStringLiteral("img-*")}, QDir::Files, QDir::Name);
    for (const QString &f : files)
        result.append(QImage(dir.filePath(f)));
    return result;
}

int pageCount(const QString &pdf, QString *error)
{
    QByteArray out;
    if (!run(QStringLiteral("pdfinfo"), {pdf}, &out, error))
        return 0;
    static const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                          QRegularExpression::MultilineOption);
    return pages.match(QString::fromLatin1(out)).captured(1).toInt();
}

QSizeF pageSizePt(const QString &pdf, int page, QString *error)
{
    QByteArray out;
    const QString n = QString::number(page);
    if (!run(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), n, QStringLiteral("-l"), n, pdf},
             &out, error))
        return {};
    // "Page    1 size: 612 x 792 pts (letter)"
    static const QRegularExpression size(
        QStringLiteral("^Page\\s+\\d+\\s+size:\\s+([\\d.]+) x ([\\d.]+) pts"),
        QRegularExpression::MultilineOption);
    const auto m = size.match(QString::fromLatin1(out));
    if (!m.hasMatch()) {
        if (error)
            *error = QStringLiteral("pdfinfo shows no size for page %1").arg(page);
        return {};
    }
    return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

QString text(const QString &pdf, QString *error)
{
    QByteArray out;
    if (!run(QStringLiteral("pdftotext"),
             {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")}, &out,
             error))
        return {};
    return QString::fromUtf8(out);
}

} // namespace pdftools
