#include "ClientConnection.h"

#include "JsonRpc.h"
#include "ServerLog.h"
#include "ServerMessages.h"

#include <QTcpSocket>

namespace ciap::server {

ClientConnection::ClientConnection(quint64 id, QTcpSocket* socket, qsizetype maxFrame,
                                   QObject* parent)
    : QObject(parent)
    , m_id(id)
    , m_socket(socket)
    , m_reader(maxFrame)
    , m_maxFrame(maxFrame) {
    m_socket->setParent(this);
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1); // peers that vanish get dropped
    m_socket->setReadBufferSize(1024 * 1024);
    connect(m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readFrames);
    connect(m_socket, &QTcpSocket::bytesWritten, this, &ClientConnection::dispatchNext);
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { Q_EMIT closed(m_id); });
}

void ClientConnection::readFrames() {
    while (!m_closing && m_pending.size() < MaxQueuedFrames && m_socket->bytesAvailable() > 0) {
        m_reader.append(m_socket->read(256 * 1024));
        if (m_reader.overflowed()) {
            rejectOversized();
            return;
        }
        while (auto frame = m_reader.next())
            m_pending.enqueue(std::move(*frame));
    }
    dispatchNext();
}

void ClientConnection::rejectOversized() {
    qCWarning(lcNet, "connection %llu: frame over %lld bytes, closing", m_id, qint64(m_maxFrame));
    m_closing = true;
    m_pending.clear();
    m_socket->write(encodeError(QJsonValue(QJsonValue::Null), RpcCode::InvalidRequest,
                                ServerMessages::frameTooLarge(m_maxFrame / (1024 * 1024))));
    m_socket->disconnectFromHost(); // after the error has been sent
}

void ClientConnection::dispatchNext() {
    if (m_busy || m_closing || m_socket->bytesToWrite() > MaxUnsentBytes)
        return;
    if (m_pending.isEmpty()) {
        if (m_socket->bytesAvailable() > 0)
            readFrames();
        return;
    }
    m_busy = true;
    Q_EMIT frameReady(m_id, m_pending.dequeue());
}

void ClientConnection::deliver(const QByteArray& reply) {
    m_busy = false;
    if (m_closing)
        return;
    if (!reply.isEmpty())
        m_socket->write(reply);
    if (m_socket->bytesAvailable() > 0 && m_pending.size() < MaxQueuedFrames)
        readFrames();
    else
        dispatchNext();
}

void ClientConnection::close() {
    m_closing = true;
    m_socket->abort();
}

} // namespace ciap::server
