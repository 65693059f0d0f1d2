#pragma once

#include "FrameReader.h"

#include <QByteArray>
#include <QObject>
#include <QQueue>

class QTcpSocket;

namespace ciap::server {

// One client socket, on the server's thread. Frames are handed to the workers one at a time,
// so replies leave in request order; reading pauses while replies pile up unread, so a client
// that does not read cannot make the server buffer without end.
class ClientConnection final : public QObject {
    Q_OBJECT
public:
    static constexpr int MaxQueuedFrames = 32;
    static constexpr qint64 MaxUnsentBytes = 64 * 1024 * 1024;

    ClientConnection(quint64 id, QTcpSocket* socket, qsizetype maxFrame, QObject* parent);

    quint64 id() const { return m_id; }
    void deliver(const QByteArray& reply); // the reply of the frame in flight
    void close();

Q_SIGNALS:
    void frameReady(quint64 id, const QByteArray& frame);
    void closed(quint64 id);

private:
    void readFrames();
    void dispatchNext();
    void rejectOversized();

    quint64 m_id;
    QTcpSocket* m_socket;
    FrameReader m_reader;
    qsizetype m_maxFrame;
    QQueue<QByteArray> m_pending;
    bool m_busy = false;
    bool m_closing = false;
};

} // namespace ciap::server
