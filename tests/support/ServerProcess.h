#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryFile>
#include <memory>

// Runs the real ciap-server as a child process on an ephemeral port, for tests anywhere in the
// tree. start() returns once the server printed "listening on HOST:PORT".
class ServerProcess final {
public:
    ServerProcess();
    ~ServerProcess(); // stops the server when still running

    // extraArguments: e.g. {"--demo"} or {"--token", "x"}. False with the reason in error()
    // when the process did not get ready within the timeout.
    bool start(const QString& database, const QStringList& extraArguments = {},
               int timeoutMs = 30000);
    // start() in two halves, for servers that should start together.
    bool begin(const QString& database, const QStringList& extraArguments = {},
               int timeoutMs = 30000);
    bool awaitReady(int timeoutMs = 30000);
    bool stop(int timeoutMs = 10000); // SIGTERM; true when it exited cleanly (code 0)
    void kill();                      // SIGKILL, no clean-up at all
    bool isRunning() const;

    QString host() const { return m_host; }
    quint16 port() const { return m_port; }
    int exitCode() const { return m_process.exitCode(); }
    QString error() const { return m_error; }
    QByteArray log() const; // everything written to standard error so far

    // The executable: $CIAP_SERVER_EXECUTABLE, else the one this build made.
    static QString executable();

private:
    QProcess m_process;
    std::unique_ptr<QTemporaryFile> m_log;
    QString m_host;
    quint16 m_port = 0;
    QString m_error;
};
