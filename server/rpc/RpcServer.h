#pragma once

#include "Admission.h"
#include "ConnectionContext.h"

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>

namespace ciap::server {

class ConnectionThread;
class DatabaseConfig;
class Dispatcher;

// Accepts connections and gives each its own thread (ConnectionThread), within the limits of
// Admission: a newcomer past them is closed at once (with an error line when the port has no
// TLS), so that a flood of sockets cannot exhaust threads or database connections, nor lock
// out the clients that authenticate.
class RpcServer final : public QTcpServer {
    Q_OBJECT
public:
    RpcServer(const DatabaseConfig& config, const Dispatcher& dispatcher,
              ConnectionSettings settings, Admission::Limits limits, QObject* parent = nullptr);
    ~RpcServer() override;

    // Stops accepting and ends every connection: no new call starts, a call under way finishes
    // and its reply is delivered. False when some connection was still busy after timeoutMs;
    // its thread is then left running, and the caller should end the process (the databases
    // roll back what was not committed).
    bool shutdown(int timeoutMs);
    int connectionCount() const { return int(m_threads.size()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void refuse(qintptr descriptor, const QHostAddress& peer, Admission::Refusal why);
    void reportRefusals();

    Admission m_admission;
    ConnectionContext m_context;
    QHash<quint64, ConnectionThread*> m_threads;
    quint64 m_nextId = 1;
    // A flood is reported by its first refusal, then by a count once a second while it lasts.
    QTimer m_refusalReport;
    int m_refusedSinceReport = 0;
};

} // namespace ciap::server
