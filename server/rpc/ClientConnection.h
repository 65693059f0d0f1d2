#pragma once

#include "FrameReader.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QQueue>
#include <QTimer>
#include <atomic>

class QTcpSocket;

namespace ciap::server {

struct ConnectionContext;
class Session;

// One client socket, served by the connection's own thread: a frame is handled where it was
// read, so a call costs no hand-over between threads, and a slow call holds up only its own
// client. Replies leave in request order; reading pauses while replies pile up unread, so a
// client that does not read cannot make the server buffer without end.
// A connection must authenticate (its first request that passes the token check) before its
// deadline; once it has, it is closed after a while without requests.
class ClientConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxQueuedFrames = 32;
    static constexpr qint64 MaxUnsentBytes = 64 * 1024 * 1024;

    // stopping: set by the server from another thread; no further request starts once it is.
    ClientConnection(quint64 id, QString peer, QTcpSocket& socket, Session& session,
                     const ConnectionContext& context, QDeadlineTimer authDeadline,
                     const std::atomic<bool>& stopping);

    // Closes once the reply under way (if any) is delivered, within the close grace.
    void close(const QString& reason);

private:
    void readFrames();
    void processPending();
    void rejectOversized();
    bool authenticate();
    void authExpired();
    void idleExpired();
    void socketError();
    bool tlsOnPlainPort();

    quint64 m_id;
    QString m_peer;
    QTcpSocket& m_socket;
    Session& m_session;
    const ConnectionContext& m_context;
    const std::atomic<bool>& m_stopping;
    FrameReader m_reader;
    QQueue<QByteArray> m_pending;
    QTimer m_authTimer;
    QTimer m_idleTimer;
    bool m_authenticated = false;
    bool m_refused = false;
    bool m_closing = false;
    bool m_firstBytes = true;
};

} // namespace ciap::server
