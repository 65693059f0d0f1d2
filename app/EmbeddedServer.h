#pragma once

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>

// An application server of our own, started when the host has none configured: ciap-server on
// a local SQLite file with the demo data, on 127.0.0.1 and a port the system picks. It is
// stopped with the host.
class EmbeddedServer final : public QObject {
    Q_OBJECT
public:
    explicit EmbeddedServer(QObject* parent = nullptr);
    ~EmbeddedServer() override;

    // env CIAP_SERVER_BIN, else next to the application in the build tree (../server) or in
    // the same bin directory when installed. Empty when not found.
    static QString findServerBinary();

    // Returns once the server listens; throws EHostError with the server's own words when it
    // does not start.
    void start(const QString& databaseFile, int timeoutMs = 60000);
    void stop();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    QString host() const { return m_host; }
    int port() const { return m_port; }
    QString program() const { return m_process.program(); }
    qint64 processId() const { return m_process.processId(); }

private:
    void drainStandardError();
    QProcess m_process;
    QByteArray m_stdout;
    QByteArray m_errorTail; // the last words of the server, for a failed start
    QString m_host;
    int m_port = 0;
    bool m_listening = false;
};
