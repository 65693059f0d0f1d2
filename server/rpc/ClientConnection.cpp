#include "ClientConnection.h"

#include "Dispatcher.h"
#include "JsonRpc.h"
#include "RpcLog.h"
#include "ServerMessages.h"

#include <QTcpSocket>

namespace ciap::server {

ClientConnection::ClientConnection(quint64 id, QTcpSocket& socket, Session& session,
                                   const Dispatcher& dispatcher, qsizetype maxFrame)
    : m_id(id)
    , m_socket(socket)
    , m_session(session)
    , m_dispatcher(dispatcher)
    , m_reader(maxFrame)
    , m_maxFrame(maxFrame) {
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1); // peers that vanish get dropped
    m_socket.setReadBufferSize(1024 * 1024);
    connect(&m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readFrames);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &ClientConnection::processPending);
}

void ClientConnection::readFrames() {
    while (!m_closing && m_pending.size() < MaxQueuedFrames && m_socket.bytesAvailable() > 0) {
        m_reader.append(m_socket.read(256 * 1024));
        if (m_reader.overflowed()) {
            rejectOversized();
            return;
        }
        while (auto frame = m_reader.next())
            m_pending.enqueue(std::move(*frame));
    }
    processPending();
}

void ClientConnection::rejectOversized() {
    qCWarning(lcNet, "connection %llu: frame over %lld bytes, closing", m_id, qint64(m_maxFrame));
    m_closing = true;
    m_pending.clear();
    m_socket.write(encodeError(QJsonValue(QJsonValue::Null), RpcCode::InvalidRequest,
                               ServerMessages::frameTooLarge(m_maxFrame / (1024 * 1024))));
    m_socket.disconnectFromHost(); // after the error has been sent
}

void ClientConnection::processPending() {
    while (!m_closing && !m_pending.isEmpty() && m_socket.bytesToWrite() <= MaxUnsentBytes) {
        const QByteArray reply = m_dispatcher.handleFrame(m_pending.dequeue(), m_session);
        if (!reply.isEmpty()) {
            m_socket.write(reply);
            m_socket.flush();
        }
        if (m_pending.isEmpty() && m_socket.bytesAvailable() > 0)
            readFrames(); // frames that waited while the queue was full
    }
}

} // namespace ciap::server
