#include "ConnectionThread.h"

#include "ClientConnection.h"
#include "RpcLog.h"
#include "Session.h"

#include <QTcpSocket>

namespace ciap::server {

ConnectionThread::ConnectionThread(quint64 id, qintptr descriptor, const DatabaseConfig& config,
                                   const Dispatcher& dispatcher, qsizetype maxFrame,
                                   QObject* parent)
    : QThread(parent)
    , m_id(id)
    , m_descriptor(descriptor)
    , m_config(config)
    , m_dispatcher(dispatcher)
    , m_maxFrame(maxFrame) {
    setObjectName(QStringLiteral("ciap-connection-%1").arg(id));
}

void ConnectionThread::run() {
    // Declared in this order so that the session (and its database connection) closes last,
    // in the thread that opened it.
    Session session(m_config, QStringLiteral("ciap-connection-%1").arg(m_id));
    QTcpSocket socket;
    if (!socket.setSocketDescriptor(m_descriptor)) {
        qCWarning(lcNet, "connection %llu: %s", m_id, qPrintable(socket.errorString()));
        return;
    }
    ClientConnection connection(m_id, socket, session, m_dispatcher, m_maxFrame);
    QObject::connect(&socket, &QTcpSocket::disconnected, &socket, [this] { quit(); });
    qCDebug(lcNet, "connection %llu opened", m_id);
    exec();
    socket.abort();
    qCDebug(lcNet, "connection %llu closed", m_id);
}

} // namespace ciap::server
