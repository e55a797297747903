#include "support/cupsqueue.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <pwd.h>
#include <unistd.h>

namespace {

bool run(const QString &program, const QStringList &args, QByteArray *out = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000) || !p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out)
        *out = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

namespace cupsqueue {

bool exists(const QString &queue)
{
    return run(QStringLiteral("lpstat"), {QStringLiteral("-p"), queue});
}

QString outputFolder()
{
    // cups-pdf expands the variables from the password database of the job's user, not from
    // the environment.
    const passwd *pw = getpwuid(geteuid());
    const QString home = pw ? QString::fromLocal8Bit(pw->pw_dir) : QDir::homePath();
    const QString user = pw ? QString::fromLocal8Bit(pw->pw_name) : QString();
    QString out = QStringLiteral("${HOME}/PDF");
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly | QIODevice::Text)) {
        while (!conf.atEnd()) {
            const QString line = QString::fromLocal8Bit(conf.readLine()).trimmed();
            if (line.startsWith(QLatin1String("Out")) && line.size() > 3 && line[3].isSpace())
                out = line.mid(4).trimmed();
        }
    }
    out.replace(QLatin1String("${HOME}"), home).replace(QLatin1String("${USER}"), user);
    return QDir::cleanPath(out);
}

bool waitUntilIdle(const QString &queue, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    do {
        QByteArray out;
        if (run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue}, &out) &&
            out.trimmed().isEmpty())
            return true;
        QThread::msleep(200);
    } while (timer.elapsed() < timeoutMs);
    return false;
}

QStringList pdfsSince(const QDateTime &since, const QString &nameContains)
{
    QFileInfoList files =
        QDir(outputFolder()).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
    QStringList result;
    std::reverse(files.begin(), files.end());
    // File times have whole-second resolution on some file systems.
    const QDateTime from = since.addSecs(-1);
    for (const QFileInfo &f : files) {
        if (f.lastModified() >= from &&
            (nameContains.isEmpty() || f.fileName().contains(nameContains)))
            result.append(f.absoluteFilePath());
    }
    return result;
}

bool reject(const QString &queue)
{
    return run(QStringLiteral("cupsreject"), {queue});
}

bool accept(const QString &queue)
{
    return run(QStringLiteral("cupsaccept"), {queue});
}

bool addPdfQueue(const QString &queue)
{
    QStringList args{QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"),
                     QStringLiteral("cups-pdf:/")};
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    if (QFileInfo::exists(ppd))
        args << QStringLiteral("-P") << ppd;
    return run(QStringLiteral("lpadmin"), args);
}

bool removeQueue(const QString &queue)
{
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
}

} // namespace cupsqueue
