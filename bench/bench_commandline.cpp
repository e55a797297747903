// `quillo print` from a desktop shortcut, on the X server of $DISPLAY: the time from running the
// command until the selection overlay is mapped over the whole screen,
//   with Quillo already running                          at most 100 ms
//   with none running (the command starts it)            reported
// and, to show where the time goes, the running instance alone (the message written to its
// socket by this process). The overlay's map is seen on an X connection of our own that watches
// the root window, so no polling adds to the figures.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <poll.h>
#include <vector>
#include <xcb/xcb.h>

namespace {

class MapWatcher
{
public:
    MapWatcher()
    {
        m_connection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(m_connection)) {
            std::fprintf(stderr, "bench_commandline: no X server\n");
            std::exit(1);
        }
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_root = screen->root;
        m_width = screen->width_in_pixels;
        m_height = screen->height_in_pixels;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }
    ~MapWatcher() { xcb_disconnect(m_connection); }

    void drain()
    {
        while (xcb_generic_event_t *e = xcb_poll_for_event(m_connection))
            std::free(e);
    }

    // Waits until a window as large as the screen is mapped straight on the root (the overlay
    // bypasses the window manager); false after `timeoutMs`.
    bool waitForOverlay(const QElapsedTimer &since, qint64 timeoutMs)
    {
        while (since.elapsed() < timeoutMs) {
            xcb_generic_event_t *e = xcb_poll_for_event(m_connection);
            if (!e) {
                pollfd fd{xcb_get_file_descriptor(m_connection), POLLIN, 0};
                ::poll(&fd, 1, 10);
                continue;
            }
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(e, &std::free);
            if ((e->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto *map = reinterpret_cast<xcb_map_notify_event_t *>(e);
            if (!map->override_redirect)
                continue;
            std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
                xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, map->window),
                                       nullptr),
                &std::free);
            if (geometry && geometry->width == m_width && geometry->height == m_height)
                return true;
        }
        return false;
    }

private:
    xcb_connection_t *m_connection = nullptr;
    xcb_window_t m_root = 0;
    int m_width = 0;
    int m_height = 0;
};

void run(const QString &program, const QStringList &arguments,
         const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, arguments);
    p.waitForFinished(5000);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QString quillo = QStringLiteral(QUILLO_EXECUTABLE);
    MapWatcher watcher;
    QTemporaryDir home, runtime;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QDir().mkpath(home.path() + QStringLiteral("/quillo/Quillo Resources"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    const QString socket = runtime.path() + QStringLiteral("/quillo.socket");
    const auto escape = [] { run(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Escape")}); };

    const auto measure = [&](int runs, const std::function<void()> &start,
                             const std::function<void()> &after = {}) {
        std::vector<double> times;
        for (int i = 0; i < runs; ++i) {
            watcher.drain();
            QElapsedTimer timer;
            timer.start();
            start();
            if (!watcher.waitForOverlay(timer, 10000)) {
                std::fprintf(stderr, "bench_commandline: the overlay never showed\n");
                std::exit(1);
            }
            times.push_back(timer.nsecsElapsed() / 1e6);
            QThread::msleep(100);
            escape();
            QThread::msleep(400);
            if (after)
                after();
        }
        return median(times);
    };

    // Running already.
    {
        QProcess running;
        running.setProcessEnvironment(env);
        running.start(quillo, {});
        running.waitForStarted();
        while (!QFile::exists(socket))
            QThread::msleep(20);
        QThread::msleep(1500);

        std::vector<std::unique_ptr<QProcess>> senders;
        const double command = measure(9, [&] {
            senders.push_back(std::make_unique<QProcess>());
            senders.back()->setProcessEnvironment(env);
            senders.back()->start(quillo, {QStringLiteral("print")});
        });
        for (auto &p : senders)
            p->waitForFinished(5000);
        const double instance = measure(9, [&] {
            QLocalSocket s;
            s.connectToServer(socket);
            s.waitForConnected(2000);
            s.write("command:print\n");
            s.waitForBytesWritten(2000);
            s.disconnectFromServer();
        });
        std::printf("quillo print, instance running -> overlay shown: %.0f ms (target <= 100 ms, "
                    "ratio %.2f)\n",
                    command, command / 100);
        std::printf("  of which the running instance, from the message to the overlay: %.0f ms\n",
                    instance);
        run(quillo, {QStringLiteral("quit")}, env);
        running.waitForFinished(10000);
    }

    // None running.
    {
        QProcess started;
        started.setProcessEnvironment(env);
        const double cold = measure(
            3, [&] { started.start(quillo, {QStringLiteral("print")}); },
            [&] {
                run(quillo, {QStringLiteral("quit")}, env);
                started.waitForFinished(10000);
            });
        std::printf("quillo print, nothing running -> Quillo started and overlay shown: %.0f ms\n",
                    cold);
    }
    return 0;
}
