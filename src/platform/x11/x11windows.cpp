#include "platform/desktop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QList>
#include <QWidget>
#include <QWindow>
#include <cstring>
#include <xcb/xcb.h>

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return result;
}

// Watches a window's QWindow for the exposure that follows each map.
class PositionKeeper final : public QObject
{
public:
    explicit PositionKeeper(QWidget *window) : QObject(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose) {
            auto *window = static_cast<QWindow *>(watched);
            if (window->isExposed() && !m_exposed)
                correct(window);
            m_exposed = window->isExposed();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void correct(QWindow *window)
    {
        auto *x11App = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        xcb_connection_t *c = x11App ? x11App->connection() : nullptr;
        if (!c)
            return;
        const xcb_window_t id = xcb_window_t(window->winId());
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        xcb_translate_coordinates_reply_t *reply = xcb_translate_coordinates_reply(
            c, xcb_translate_coordinates(c, id, root, 0, 0), nullptr);
        if (!reply)
            return;
        // Positions in device pixels; the windows concerned are on the one X screen.
        const QPoint actual(reply->dst_x, reply->dst_y);
        free(reply);
        const QPoint believed = window->position() * window->devicePixelRatio();
        // Asking for the place it already has makes the window manager confirm it with a
        // synthetic ConfigureNotify, which Qt takes as it is.
        if (actual != believed)
            window->setPosition(actual / window->devicePixelRatio());
    }

    bool m_exposed = false;
};

} // namespace

namespace platform {

void keepPositionTrue(QWidget *window)
{
    static const char *const Kept = "quilloPositionKept";
    if (!window || window->property(Kept).toBool())
        return;
    window->setProperty(Kept, true);
    window->winId(); // the QWindow to watch
    if (QWindow *handle = window->windowHandle())
        handle->installEventFilter(new PositionKeeper(window));
}

void keepOutOfTaskbar(QWidget *window)
{
    auto *x11App = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t *c = x11App ? x11App->connection() : nullptr;
    if (!c || !window)
        return;
    // The window manager reads the state when the window is mapped; Qt keeps states it does not
    // manage itself when it adds its own (stays-on-top) at that moment.
    // Window managers that keep the states of a hidden window would otherwise collect copies.
    const xcb_window_t id = xcb_window_t(window->winId());
    const xcb_atom_t property = atom(c, "_NET_WM_STATE");
    QList<xcb_atom_t> present;
    if (xcb_get_property_reply_t *reply = xcb_get_property_reply(
            c, xcb_get_property(c, 0, id, property, XCB_ATOM_ATOM, 0, 64), nullptr)) {
        if (reply->format == 32) {
            const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(reply));
            present = QList<xcb_atom_t>(atoms, atoms + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
    }
    QList<xcb_atom_t> missing;
    for (const char *name : {"_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        if (const xcb_atom_t state = atom(c, name); !present.contains(state))
            missing.append(state);
    }
    if (missing.isEmpty())
        return;
    xcb_change_property(c, XCB_PROP_MODE_APPEND, id, property, XCB_ATOM_ATOM, 32,
                        uint32_t(missing.size()), missing.constData());
    xcb_flush(c);
}

bool displayReachable(QString *why)
{
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        *why = QStringLiteral("DISPLAY is not set; Quillo needs an X11 display (or XWayland).");
        return false;
    }
    xcb_connection_t *c = xcb_connect(display.constData(), nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    if (!ok)
        *why =
            QStringLiteral("cannot open the display \"%1\".").arg(QString::fromLocal8Bit(display));
    return ok;
}

} // namespace platform
