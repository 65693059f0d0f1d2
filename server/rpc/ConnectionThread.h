#pragma once

#include <QDeadlineTimer>
#include <QString>
#include <QThread>
#include <atomic>
#include <memory>

class QTcpSocket;

namespace ciap::server {

struct ConnectionContext;

// The thread of one client connection: it owns the socket (with TLS when the server has it),
// a database session of its own and the connection's event loop, and ends when the client
// goes, the connection is closed or the server stops. The session connects to the database
// only when a request needs it, so an unauthenticated connection costs no database connection.
class ConnectionThread final : public QThread {
    Q_OBJECT
public:
    ConnectionThread(quint64 id, qintptr descriptor, QString peer, const ConnectionContext& context,
                     QDeadlineTimer authDeadline, QObject* parent = nullptr);

    quint64 id() const { return m_id; }
    // From any thread: close the connection (a call under way finishes first).
    void requestClose(const QString& reason);
    // From any thread: the server is stopping; no new call starts, then as requestClose.
    void requestStop();

Q_SIGNALS:
    void closeRequested(const QString& reason);

protected:
    void run() override;

private:
    std::unique_ptr<QTcpSocket> openSocket();
    bool awaitTlsHello();
    void refusePlainText();

    quint64 m_id;
    qintptr m_descriptor;
    QString m_peer;
    const ConnectionContext& m_context;
    QDeadlineTimer m_authDeadline;
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_closeRequested{false};
};

} // namespace ciap::server
