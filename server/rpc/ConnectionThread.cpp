#include "ConnectionThread.h"

#include "Admission.h"
#include "ClientConnection.h"
#include "ConnectionContext.h"
#include "JsonRpc.h"
#include "RpcLog.h"
#include "ServerMessages.h"
#include "Session.h"

#include <QElapsedTimer>
#include <QSslSocket>
#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ciap::server {

namespace {

// The connection's slot goes back however the thread ends.
struct SlotRelease {
    Admission& admission;
    quint64 id;
    ~SlotRelease() { admission.release(id); }
};

} // namespace

ConnectionThread::ConnectionThread(quint64 id, qintptr descriptor, QString peer,
                                   const ConnectionContext& context, QDeadlineTimer authDeadline,
                                   QObject* parent)
    : QThread(parent)
    , m_id(id)
    , m_descriptor(descriptor)
    , m_peer(std::move(peer))
    , m_context(context)
    , m_authDeadline(authDeadline) {
    setObjectName(QStringLiteral("ciap-connection-%1").arg(id));
}

void ConnectionThread::requestClose(const QString& reason) {
    m_closeRequested = true;
    requestInterruption();
    Q_EMIT closeRequested(reason);
}

void ConnectionThread::requestStop() {
    m_stopping = true;
    requestClose(QStringLiteral("server stopping"));
}

void ConnectionThread::run() {
    const SlotRelease slot{m_context.admission, m_id};
    // Declared in this order so that the session (and its database connection) closes last,
    // in the thread that opened it.
    Session session(m_context.config, QStringLiteral("ciap-connection-%1").arg(m_id));
    const std::unique_ptr<QTcpSocket> socket = openSocket();
    if (!socket)
        return;
    ClientConnection connection(m_id, m_peer, *socket, session, m_context, m_authDeadline,
                                m_stopping);
    connect(this, &ConnectionThread::closeRequested, &connection, &ClientConnection::close);
    connect(socket.get(), &QTcpSocket::disconnected, socket.get(), [this] { quit(); });
    qCDebug(lcNet, "connection %llu from %s opened", m_id, qPrintable(m_peer));
    if (m_closeRequested) // asked before the connection above existed
        connection.close(QStringLiteral("closed at once"));
    if (socket->state() != QAbstractSocket::UnconnectedState)
        exec();
    socket->abort();
    qCDebug(lcNet, "connection %llu closed", m_id);
}

std::unique_ptr<QTcpSocket> ConnectionThread::openSocket() {
    if (!m_context.settings.tls) {
        auto socket = std::make_unique<QTcpSocket>();
        if (socket->setSocketDescriptor(m_descriptor))
            return socket;
        qCWarning(lcNet, "connection %llu: %s", m_id, qPrintable(socket->errorString()));
        return nullptr;
    }
    if (!awaitTlsHello()) {
        ::close(int(m_descriptor));
        return nullptr;
    }
    auto socket = std::make_unique<QSslSocket>();
    if (!socket->setSocketDescriptor(m_descriptor)) {
        qCWarning(lcNet, "connection %llu: %s", m_id, qPrintable(socket->errorString()));
        return nullptr;
    }
    socket->setSslConfiguration(*m_context.settings.tls);
    socket->startServerEncryption();
    return socket;
}

// A TLS client starts with a handshake record (first byte 0x16). Anything else is most likely
// a client that was not told to use TLS: it gets an answer it can show, not a failed handshake
// it cannot explain. Waits for the first byte without taking it, until the authentication
// deadline.
bool ConnectionThread::awaitTlsHello() {
    pollfd p{int(m_descriptor), POLLIN, 0};
    while (!isInterruptionRequested() && !m_authDeadline.hasExpired()) {
        const int rc = ::poll(&p, 1, 100);
        if (rc < 0 && errno != EINTR)
            return false;
        if (rc <= 0)
            continue;
        unsigned char first = 0;
        if (::recv(int(m_descriptor), &first, 1, MSG_PEEK) != 1)
            return false; // closed before saying anything
        if (first == 0x16)
            return true;
        refusePlainText();
        return false;
    }
    qCDebug(lcNet, "connection %llu from %s: no TLS handshake in time, closing", m_id,
            qPrintable(m_peer));
    return false;
}

void ConnectionThread::refusePlainText() {
    qCWarning(lcNet, "connection %llu from %s: plain text on a TLS port, refused", m_id,
              qPrintable(m_peer));
    const int fd = int(m_descriptor);
    const QByteArray line = encodeError(QJsonValue(QJsonValue::Null), RpcCode::ServerError,
                                        ServerMessages::tlsRequired());
    [[maybe_unused]] const auto sent = ::send(fd, line.constData(), line.size(), MSG_NOSIGNAL);
    // Read what the client sent until it closes (briefly): closing with its request unread
    // would reset the connection, and the answer could be lost on the way.
    ::shutdown(fd, SHUT_WR);
    QElapsedTimer waited;
    waited.start();
    pollfd p{fd, POLLIN, 0};
    char sink[4096];
    while (waited.elapsed() < 1000 && ::poll(&p, 1, 100) >= 0) {
        if ((p.revents & POLLIN) && ::recv(fd, sink, sizeof sink, 0) <= 0)
            break;
    }
}

} // namespace ciap::server
