#pragma once

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

namespace ciap::server {

class ClientConnection;
class Dispatcher;
class WorkerPool;

// Accepts connections and carries frames between the sockets (this thread) and the worker
// pool. Replies come back through queued calls to this object, which outlives the pool's
// jobs, and are dropped when their client has gone.
class RpcServer final : public QObject {
    Q_OBJECT
public:
    RpcServer(const Dispatcher& dispatcher, WorkerPool& pool, qsizetype maxFrame,
              QObject* parent = nullptr);
    ~RpcServer() override;

    bool listen(const QHostAddress& address, quint16 port);
    QString errorString() const { return m_server.errorString(); }
    QHostAddress address() const { return m_server.serverAddress(); }
    quint16 port() const { return m_server.serverPort(); }
    void close(); // stops accepting and drops every client
    int connectionCount() const { return int(m_connections.size()); }

private:
    void acceptPending();
    void submit(quint64 id, const QByteArray& frame);
    void deliver(quint64 id, const QByteArray& reply);
    void forget(quint64 id);

    const Dispatcher& m_dispatcher;
    WorkerPool& m_pool;
    qsizetype m_maxFrame;
    QTcpServer m_server;
    QHash<quint64, ClientConnection*> m_connections;
    quint64 m_nextId = 1;
};

} // namespace ciap::server
