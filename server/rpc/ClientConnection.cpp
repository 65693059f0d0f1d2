#include "ClientConnection.h"

#include "Admission.h"
#include "ConnectionContext.h"
#include "Dispatcher.h"
#include "JsonRpc.h"
#include "RpcLog.h"
#include "ServerMessages.h"

#include <QSslSocket>
#include <QThread>

namespace ciap::server {

ClientConnection::ClientConnection(quint64 id, QString peer, QTcpSocket& socket, Session& session,
                                   const ConnectionContext& context, QDeadlineTimer authDeadline,
                                   const std::atomic<bool>& stopping)
    : m_id(id)
    , m_peer(std::move(peer))
    , m_socket(socket)
    , m_session(session)
    , m_context(context)
    , m_stopping(stopping)
    , m_reader(context.settings.maxFrame) {
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket.setSocketOption(QAbstractSocket::KeepAliveOption, 1); // peers that vanish get dropped
    m_socket.setReadBufferSize(1024 * 1024);
    connect(&m_socket, &QTcpSocket::readyRead, this, &ClientConnection::readFrames);
    connect(&m_socket, &QTcpSocket::bytesWritten, this, &ClientConnection::processPending);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &ClientConnection::socketError);
    m_authTimer.setSingleShot(true);
    connect(&m_authTimer, &QTimer::timeout, this, &ClientConnection::authExpired);
    m_authTimer.start(std::chrono::milliseconds(std::max<qint64>(0, authDeadline.remainingTime())));
    m_idleTimer.setSingleShot(true);
    m_idleTimer.setInterval(m_context.settings.idleTimeoutMs);
    connect(&m_idleTimer, &QTimer::timeout, this, &ClientConnection::idleExpired);
}

void ClientConnection::readFrames() {
    if (m_firstBytes && m_socket.bytesAvailable() > 0) {
        m_firstBytes = false;
        if (tlsOnPlainPort())
            return;
    }
    if (m_authenticated)
        m_idleTimer.start();
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

// A TLS client on a port without TLS sends a handshake record (0x16) and would wait for an
// answer until its own timeout: close at once, and say so in the log.
bool ClientConnection::tlsOnPlainPort() {
    if (m_context.settings.tls)
        return false;
    char first = 0;
    if (m_socket.peek(&first, 1) != 1 || first != 0x16)
        return false;
    qCWarning(lcNet, "connection %llu from %s: a TLS handshake on a port without TLS, closing",
              m_id, qPrintable(m_peer));
    m_closing = true;
    m_socket.abort();
    return true;
}

void ClientConnection::rejectOversized() {
    qCWarning(lcNet, "connection %llu from %s: frame over %lld bytes, closing", m_id,
              qPrintable(m_peer), qint64(m_context.settings.maxFrame));
    m_pending.clear();
    m_socket.write(
        encodeError(QJsonValue(QJsonValue::Null), RpcCode::InvalidRequest,
                    ServerMessages::frameTooLarge(m_context.settings.maxFrame / (1024 * 1024))));
    close(QString()); // after the error has been sent
}

bool ClientConnection::authenticate() {
    if (m_authenticated)
        return true;
    if (!m_context.admission.authenticate(m_id)) {
        qCWarning(lcNet, "connection limit of %d reached: connection %llu from %s refused",
                  m_context.admission.limits().authenticated, m_id, qPrintable(m_peer));
        m_refused = true;
        return false;
    }
    m_authenticated = true;
    m_authTimer.stop();
    return true;
}

void ClientConnection::processPending() {
    while (!m_closing && !m_pending.isEmpty() && m_socket.bytesToWrite() <= MaxUnsentBytes) {
        if (m_stopping.load()) {
            // The server is stopping: no new call starts; the client sees the connection end.
            m_pending.clear();
            break;
        }
        bool cut = false;
        const QByteArray reply = m_context.dispatcher.handleFrame(
            m_pending.dequeue(), m_session, [this] { return authenticate(); },
            [this](const QByteArray& piece) {
                m_socket.write(piece);
                m_socket.flush();
            },
            &cut);
        if (cut) {
            m_pending.clear();
            m_closing = true;
            m_socket.abort();
            QThread::currentThread()->quit();
            return;
        }
        if (!reply.isEmpty()) {
            m_socket.write(reply);
            m_socket.flush();
        }
        if (m_refused) {
            close(QString());
            return;
        }
        if (m_pending.isEmpty() && m_socket.bytesAvailable() > 0)
            readFrames(); // frames that waited while the queue was full
    }
    if (m_authenticated && !m_closing)
        m_idleTimer.start();
}

void ClientConnection::close(const QString& reason) {
    if (!reason.isEmpty())
        qCDebug(lcNet, "connection %llu from %s: %s", m_id, qPrintable(m_peer), qPrintable(reason));
    if (m_closing)
        return;
    m_closing = true;
    m_authTimer.stop();
    m_idleTimer.stop();
    m_pending.clear();
    // Sends what is queued, then closes (with TLS, after its close notification). A client that
    // does not read gets the grace period, then the connection is cut.
    m_socket.disconnectFromHost();
    if (m_socket.state() != QAbstractSocket::UnconnectedState) {
        QTimer::singleShot(m_context.settings.closeGraceMs, this, [this] {
            m_socket.abort();
            QThread::currentThread()->quit();
        });
    }
}

void ClientConnection::authExpired() {
    if (m_authenticated || m_closing)
        return;
    qCDebug(lcNet, "connection %llu from %s: not authenticated within %d ms, closing", m_id,
            qPrintable(m_peer), m_context.settings.authTimeoutMs);
    m_closing = true;
    m_socket.abort();
    QThread::currentThread()->quit();
}

void ClientConnection::idleExpired() {
    if (m_closing)
        return;
    // A client still reading a large reply, or with a request on its way, is not idle.
    if (!m_pending.isEmpty() || m_socket.bytesAvailable() > 0 || m_socket.bytesToWrite() > 0) {
        m_idleTimer.start();
        return;
    }
    close(QStringLiteral("idle for %1 s, closing").arg(m_context.settings.idleTimeoutMs / 1000));
}

void ClientConnection::socketError() {
    auto* tls = qobject_cast<QSslSocket*>(&m_socket);
    if (tls && !tls->isEncrypted() && !m_closing)
        // A client that does not trust the certificate, or its name, ends the handshake itself.
        qCWarning(lcNet, "connection %llu from %s: TLS handshake failed: %s%s", m_id,
                  qPrintable(m_peer), qPrintable(m_socket.errorString()),
                  m_socket.error() == QAbstractSocket::RemoteHostClosedError
                      ? " (does the client trust the certificate and the name it was given?)"
                      : "");
    else if (m_socket.error() != QAbstractSocket::RemoteHostClosedError)
        qCDebug(lcNet, "connection %llu from %s: %s", m_id, qPrintable(m_peer),
                qPrintable(m_socket.errorString()));
}

} // namespace ciap::server
