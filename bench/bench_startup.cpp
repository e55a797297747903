// Start-up time and idle memory of the real program, each measured in a fresh process:
//   start -> idle (event loop running, hot-key timer armed), empty boards      at most 100 ms
//   the same with 100 full-HD pictures spread over the five boards            at most 400 ms
//   resident memory when idle with empty boards                               at most 30 MB
// and, when Flameshot is installed, its idle resident memory for comparison.
#include "core/application.h"
#include "core/resources.h"
#include "platform/styleddocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

// Milliseconds since this process was started, from the kernel's own start time.
double msSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double startTicks = fields.value(19).toDouble(); // field 22 of the whole line
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (now.tv_sec + now.tv_nsec / 1e9 - startTicks / ticks) * 1000;
}

double residentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

// Runs this program as a child that starts Quillo with `dataHome` and reports when it is idle.
QByteArray runChild(const QString &self, const QString &dataHome)
{
    QTemporaryDir runtime;
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("QUILLO_BENCH_CHILD"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(self, {});
    child.waitForFinished(60000);
    return child.readAllStandardOutput().trimmed();
}

void fillBoards(const QString &dataHome)
{
    const QString folder = dataHome + QStringLiteral("/quillo/Quillo Resources");
    QDir().mkpath(folder);
    resources::setFolder(folder);
    QImage picture(1920, 1080, QImage::Format_RGB32);
    for (int board = 1; board <= 5; ++board) {
        StyledDocument doc;
        for (int i = 0; i < 20; ++i) {
            // A screen-like picture: flat areas and some detail, different in every copy.
            picture.fill(QColor::fromHsv((board * 20 + i) * 3 % 360, 40, 240));
            for (int y = 100; y < 1000; y += 3)
                for (int x = 100 + i; x < 1800; x += 7)
                    picture.setPixel(x, y, qRgb(x % 256, y % 256, (x + y + i) % 256));
            doc.insertPicture(picture, picture.size());
        }
        const auto saved =
            doc.saveFile(folder + QStringLiteral("/ProjectsPrintBoard%1").arg(board));
        if (!saved.ok)
            qFatal("cannot prepare the boards: %s", qPrintable(saved.reason));
    }
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("QUILLO_BENCH_CHILD")) {
        return runApplication(argc, argv, [] {
            std::printf("%.1f %.1f\n", msSinceProcessStart(),
                        residentMb(QCoreApplication::applicationPid()));
            std::fflush(stdout);
            QCoreApplication::quit();
        });
    }

    QGuiApplication app(argc, argv);
    const QString self = QCoreApplication::applicationFilePath();
    QTemporaryDir empty, full;
    fillBoards(full.path());

    for (const auto &[label, home, target] :
         {std::tuple{"empty boards", empty.path(), 100.0},
          std::tuple{"100 full-HD pictures on the boards", full.path(), 400.0}}) {
        std::vector<double> times, memory;
        for (int run = 0; run < 5; ++run) {
            const QList<QByteArray> out = runChild(self, home).split(' ');
            times.push_back(out.value(0).toDouble());
            memory.push_back(out.value(1).toDouble());
        }
        std::printf(
            "start -> idle, %s: %.0f ms (target <= %.0f ms, ratio %.2f); resident %.1f MB\n", label,
            median(times), target, median(times) / target, median(memory));
    }

    const QString flameshot = QStandardPaths::findExecutable(QStringLiteral("flameshot"));
    if (flameshot.isEmpty()) {
        std::printf("flameshot not installed: no comparison\n");
        return 0;
    }
    QTemporaryDir flameshotHome;
    QProcess daemon;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), flameshotHome.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), flameshotHome.path());
    daemon.setProcessEnvironment(env);
    daemon.start(flameshot, {});
    daemon.waitForStarted();
    QThread::sleep(3);
    const double theirs = residentMb(daemon.processId());
    daemon.terminate();
    daemon.waitForFinished(5000);
    const QList<QByteArray> ours = runChild(self, empty.path()).split(' ');
    std::printf("idle resident memory: Quillo %.1f MB, Flameshot %.1f MB, ratio %.2f\n",
                ours.value(1).toDouble(), theirs, ours.value(1).toDouble() / theirs);
    return 0;
}
