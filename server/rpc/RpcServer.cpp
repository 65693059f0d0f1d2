#include "RpcServer.h"

#include "ConnectionThread.h"
#include "JsonRpc.h"
#include "RpcLog.h"
#include "ServerMessages.h"

#include <QDeadlineTimer>
#include <sys/socket.h>
#include <unistd.h>

namespace ciap::server {

namespace {

QHostAddress peerOf(qintptr descriptor) {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getpeername(int(descriptor), reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&address));
}

} // namespace

RpcServer::RpcServer(const DatabaseConfig& config, const Dispatcher& dispatcher,
                     ConnectionSettings settings, Admission::Limits limits, QObject* parent)
    : QTcpServer(parent)
    , m_admission(limits)
    , m_context{config, dispatcher, m_admission, std::move(settings)} {
    // Room for a burst of handshakes: a full queue drops the SYN of the next client, which
    // then waits a second or more before it tries again.
    setListenBacklogSize(1024);
    m_refusalReport.setInterval(1000);
    connect(&m_refusalReport, &QTimer::timeout, this, &RpcServer::reportRefusals);
}

RpcServer::~RpcServer() {
    shutdown(m_context.settings.closeGraceMs);
}

void RpcServer::incomingConnection(qintptr descriptor) {
    const QHostAddress peer = peerOf(descriptor);
    const quint64 id = m_nextId++;
    const Admission::Decision decision = m_admission.admit(id, Admission::sourceOf(peer));
    if (decision.refusal != Admission::Refusal::None) {
        refuse(descriptor, peer, decision.refusal);
        return;
    }
    if (ConnectionThread* oldest = m_threads.value(decision.evicted))
        oldest->requestClose(QStringLiteral("unauthenticated, closed to make room"));
    auto* thread = new ConnectionThread(id, descriptor, peer.toString(), m_context,
                                        QDeadlineTimer(m_context.settings.authTimeoutMs), this);
    m_threads.insert(id, thread);
    connect(thread, &QThread::finished, this, [this, id] {
        if (ConnectionThread* t = m_threads.take(id))
            t->deleteLater();
    });
    thread->start();
}

void RpcServer::refuse(qintptr descriptor, const QHostAddress& peer, Admission::Refusal why) {
    if (m_refusalReport.isActive()) {
        ++m_refusedSinceReport;
    } else {
        qCWarning(lcNet, "connection from %s refused: limit of %s reached",
                  qPrintable(peer.toString()), qPrintable(Admission::describe(why)));
        m_refusalReport.start();
    }
    // Without TLS the client can be told why; with TLS it could only be told after a
    // handshake, which is what a flood should not get.
    if (!m_context.settings.tls) {
        const QByteArray line = encodeError(QJsonValue(QJsonValue::Null), RpcCode::ServerError,
                                            ServerMessages::tooManyConnections());
        [[maybe_unused]] const auto sent =
            ::send(int(descriptor), line.constData(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    ::close(int(descriptor));
}

void RpcServer::reportRefusals() {
    if (m_refusedSinceReport == 0) {
        m_refusalReport.stop();
        return;
    }
    qCWarning(lcNet, "%d more connections refused in the last second (limits reached)",
              m_refusedSinceReport);
    m_refusedSinceReport = 0;
}

bool RpcServer::shutdown(int timeoutMs) {
    close();
    const auto threads = m_threads;
    m_threads.clear();
    for (ConnectionThread* t : threads)
        t->requestStop();
    QDeadlineTimer deadline(timeoutMs);
    bool allEnded = true;
    for (ConnectionThread* t : threads) {
        if (t->wait(deadline)) {
            delete t;
        } else {
            t->setParent(nullptr); // still running: never deleted under it
            allEnded = false;
        }
    }
    return allEnded;
}

} // namespace ciap::server
