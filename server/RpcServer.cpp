#include "RpcServer.h"

#include "ClientConnection.h"
#include "Dispatcher.h"
#include "ServerLog.h"
#include "WorkerPool.h"

#include <QTcpSocket>

namespace ciap::server {

RpcServer::RpcServer(const Dispatcher& dispatcher, WorkerPool& pool, qsizetype maxFrame,
                     QObject* parent)
    : QObject(parent)
    , m_dispatcher(dispatcher)
    , m_pool(pool)
    , m_maxFrame(maxFrame) {
    connect(&m_server, &QTcpServer::newConnection, this, &RpcServer::acceptPending);
}

RpcServer::~RpcServer() {
    close();
}

bool RpcServer::listen(const QHostAddress& address, quint16 port) {
    return m_server.listen(address, port);
}

void RpcServer::close() {
    m_server.close();
    const auto connections = m_connections;
    m_connections.clear();
    for (ClientConnection* c : connections) {
        c->close();
        delete c;
    }
}

void RpcServer::acceptPending() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        const quint64 id = m_nextId++;
        auto* c = new ClientConnection(id, socket, m_maxFrame, this);
        m_connections.insert(id, c);
        connect(c, &ClientConnection::frameReady, this, &RpcServer::submit);
        connect(c, &ClientConnection::closed, this, &RpcServer::forget);
        qCDebug(lcNet, "connection %llu opened", id);
    }
}

void RpcServer::submit(quint64 id, const QByteArray& frame) {
    m_pool.submit([this, id, frame](Session& session) {
        QByteArray reply = m_dispatcher.handleFrame(frame, session);
        QMetaObject::invokeMethod(
            this, [this, id, reply = std::move(reply)] { deliver(id, reply); },
            Qt::QueuedConnection);
    });
}

void RpcServer::deliver(quint64 id, const QByteArray& reply) {
    if (ClientConnection* c = m_connections.value(id, nullptr))
        c->deliver(reply);
}

void RpcServer::forget(quint64 id) {
    if (ClientConnection* c = m_connections.take(id)) {
        qCDebug(lcNet, "connection %llu closed", id);
        c->deleteLater();
    }
}

} // namespace ciap::server
