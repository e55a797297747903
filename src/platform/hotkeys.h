#pragma once

#include <QChar>
#include <QObject>
#include <memory>

// System-wide Ctrl+Alt+letter shortcuts: they reach the program whichever application has the
// keyboard. On X11 each one is a passive key grab on the root window; another X client that
// grabbed the same combination first keeps it, and registerKey() says so.
//
// One per program, owned by the application object. Without an X server (offscreen platform,
// native Wayland) every registration answers Unavailable and no signal is ever emitted.
class GlobalHotKeys final : public QObject
{
    Q_OBJECT
public:
    enum class Grab {
        Ok,
        // Another X client holds Ctrl+Alt+letter; nothing of ours stays grabbed for it.
        Taken,
        // No key of the current keyboard map types the letter.
        NoKey,
        // The program does not run on an X server.
        Unavailable,
    };
    Q_ENUM(Grab)

    [[nodiscard]] static GlobalHotKeys *instance();
    ~GlobalHotKeys() override;

    // Grabs Ctrl+Alt+`letter` under `id`, whatever the state of Caps Lock and Num Lock. A letter
    // and its upper case are the same key. Registering an id again first drops its old grab.
    // The registration is kept even when it fails: when the keyboard map changes, every
    // registration is grabbed again from its letter, and a failed one may succeed then.
    // Two ids may share a letter; both are then reported for it.
    Grab registerKey(int id, QChar letter);
    // Ungrabs the id's combination; an id that is not registered is ignored.
    void unregisterKey(int id);
    void unregisterAll();

Q_SIGNALS:
    // Queued: they arrive from the event loop, so a slot may open modal dialogs. A key held
    // down gives one `pressed` and, when it goes up, one `released`; the keyboard's auto-repeat
    // is swallowed. `released` follows its key even when Ctrl and Alt went up first.
    void pressed(int id);
    void released(int id);

private:
    explicit GlobalHotKeys(QObject *parent);

    class Private;
    std::unique_ptr<Private> d;
};
