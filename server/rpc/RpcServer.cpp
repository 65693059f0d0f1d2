#include "RpcServer.h"

#include "ConnectionThread.h"
#include "JsonRpc.h"
#include "RpcLog.h"
#include "ServerMessages.h"

#include <QTcpSocket>

namespace ciap::server {

RpcServer::RpcServer(const DatabaseConfig& config, const Dispatcher& dispatcher, qsizetype maxFrame,
                     int maxConnections, QObject* parent)
    : QTcpServer(parent)
    , m_config(config)
    , m_dispatcher(dispatcher)
    , m_maxFrame(maxFrame)
    , m_maxConnections(maxConnections) {}

RpcServer::~RpcServer() {
    shutdown();
}

void RpcServer::incomingConnection(qintptr descriptor) {
    if (m_threads.size() >= m_maxConnections) {
        refuse(descriptor);
        return;
    }
    const quint64 id = m_nextId++;
    auto* thread = new ConnectionThread(id, descriptor, m_config, m_dispatcher, m_maxFrame, this);
    m_threads.insert(id, thread);
    connect(thread, &QThread::finished, this, [this, id] {
        if (ConnectionThread* t = m_threads.take(id))
            t->deleteLater();
    });
    thread->start();
}

void RpcServer::refuse(qintptr descriptor) {
    qCWarning(lcNet, "connection limit of %d reached: a new connection was refused",
              m_maxConnections);
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    socket->write(encodeError(QJsonValue(QJsonValue::Null), RpcCode::ServerError,
                              ServerMessages::tooManyConnections()));
    socket->disconnectFromHost();
}

void RpcServer::shutdown() {
    close();
    const auto threads = m_threads;
    m_threads.clear();
    for (ConnectionThread* t : threads)
        t->quit();
    for (ConnectionThread* t : threads) {
        t->wait();
        delete t;
    }
}

} // namespace ciap::server
