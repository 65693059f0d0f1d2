#pragma once

#include "FrameReader.h"

#include <QByteArray>
#include <QObject>
#include <QQueue>

class QTcpSocket;

namespace ciap::server {

class Dispatcher;
class Session;

// One client socket, served by the connection's own thread: a frame is handled where it was
// read, so a call costs no hand-over between threads, and a slow call holds up only its own
// client. Replies leave in request order; reading pauses while replies pile up unread, so a
// client that does not read cannot make the server buffer without end.
class ClientConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxQueuedFrames = 32;
    static constexpr qint64 MaxUnsentBytes = 64 * 1024 * 1024;

    ClientConnection(quint64 id, QTcpSocket& socket, Session& session, const Dispatcher& dispatcher,
                     qsizetype maxFrame);

private:
    void readFrames();
    void processPending();
    void rejectOversized();

    quint64 m_id;
    QTcpSocket& m_socket;
    Session& m_session;
    const Dispatcher& m_dispatcher;
    FrameReader m_reader;
    qsizetype m_maxFrame;
    QQueue<QByteArray> m_pending;
    bool m_closing = false;
};

} // namespace ciap::server
