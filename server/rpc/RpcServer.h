#pragma once

#include <QHash>
#include <QHostAddress>
#include <QTcpServer>

namespace ciap::server {

class ConnectionThread;
class DatabaseConfig;
class Dispatcher;

// Accepts connections and gives each its own thread (ConnectionThread). Past the connection
// limit a newcomer is answered with an error and closed, so that a flood of sockets cannot
// exhaust threads or database connections.
class RpcServer final : public QTcpServer {
    Q_OBJECT
public:
    RpcServer(const DatabaseConfig& config, const Dispatcher& dispatcher, qsizetype maxFrame,
              int maxConnections, QObject* parent = nullptr);
    ~RpcServer() override;

    // Stops accepting, ends every connection (a call in progress finishes first) and waits.
    void shutdown();
    int connectionCount() const { return int(m_threads.size()); }

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void refuse(qintptr descriptor);

    const DatabaseConfig& m_config;
    const Dispatcher& m_dispatcher;
    qsizetype m_maxFrame;
    int m_maxConnections;
    QHash<quint64, ConnectionThread*> m_threads;
    quint64 m_nextId = 1;
};

} // namespace ciap::server
