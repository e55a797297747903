#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One running Quillo per user: the first start listens on a socket in the user's runtime folder;
// a later start finds it, hands over a short message and ends, instead of both fighting over the
// resources folder and the key grabs.
class SingleInstance final : public QObject
{
    Q_OBJECT
public:
    // The socket of this user: $XDG_RUNTIME_DIR/quillo.socket (or one in the temporary folder).
    [[nodiscard]] static QString socketPath();

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // Tries to deliver `message` to a running instance; true when one took it.
    [[nodiscard]] static bool sendToRunning(const QByteArray &message, int timeoutMs = 2000);
    // Starts listening; false (with `error`) when the socket cannot be made.
    bool listen(QString *error = nullptr);

Q_SIGNALS:
    void messageReceived(const QByteArray &message);

private:
    QLocalServer *m_server;
};
