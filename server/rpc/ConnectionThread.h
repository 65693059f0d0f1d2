#pragma once

#include <QThread>

namespace ciap::server {

class DatabaseConfig;
class Dispatcher;

// The thread of one client connection: it owns the socket, a database session of its own and
// the connection's event loop, and ends when the client goes or the server stops.
class ConnectionThread final : public QThread {
    Q_OBJECT
public:
    ConnectionThread(quint64 id, qintptr descriptor, const DatabaseConfig& config,
                     const Dispatcher& dispatcher, qsizetype maxFrame, QObject* parent = nullptr);

    quint64 id() const { return m_id; }

protected:
    void run() override;

private:
    quint64 m_id;
    qintptr m_descriptor;
    const DatabaseConfig& m_config;
    const Dispatcher& m_dispatcher;
    qsizetype m_maxFrame;
};

} // namespace ciap::server
