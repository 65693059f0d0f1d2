#pragma once

#include "AnswerDecoder.h"
#include "FrameReader.h"
#include "JsonRpc.h"

#include <QJsonValue>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class QEventLoop;
class QTcpSocket;

// Socket connection to a named object of the application server, called by method name.
// A call is synchronous for the caller but waits in a local event loop that excludes user
// input, so windows keep painting. A connection that failed or was lost is reopened by the
// next call (BeforeConnect runs before every connect), so a restarted server is reached
// again without reopening the screen. Large answers are decoded on worker threads while the
// wait goes on (AnswerDecoder), so that the window keeps painting through that too; a packet
// comes back already packed for a data set (PackedPacket).
class TNetConnection final : public QObject {
    Q_OBJECT
public:
    explicit TNetConnection(QObject* parent = nullptr);
    ~TNetConnection() override;

    const QString& ServerName() const { return m_serverName; }
    void SetServerName(const QString& name) { m_serverName = name; }
    const QString& Host() const { return m_host; }
    void SetHost(const QString& host) { m_host = host; }
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }
    // Shared secret sent with every request; empty → the host's webToken() at call time.
    const QString& Token() const { return m_token; }
    void SetToken(const QString& token) { m_token = token; }
    // On: TLS, the server's certificate verified against the system's certificate authorities
    // (or only those in CaFile) and its name against Host. Unless set here, both come from the
    // host's settings (webTls, webTlsCaFile) at each connect.
    bool Tls() const;
    void SetTls(bool on) { m_tls = on; }
    QString CaFile() const;
    void SetCaFile(const QString& file) { m_caFile = file; }
    // Off: a connection failure becomes an error reply (shown by CheckResultServ) and Open()
    // returns false. On: it throws EHostError.
    bool ThrowException() const { return m_throwException; }
    void SetThrowException(bool on) { m_throwException = on; }

    int timeoutMs() const { return m_timeoutMs; } // waiting for an answer, default 120 s
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int connectTimeoutMs() const { return m_connectTimeoutMs; } // default 10 s
    void setConnectTimeoutMs(int ms) { m_connectTimeoutMs = ms; }
    // After this long the busy indicator offers to stop waiting; 0: never. Default: the
    // host's setting (HostSettings::stopOfferMs).
    int stopOfferMs() const { return m_stopOfferMs; }
    void setStopOfferMs(int ms) { m_stopOfferMs = ms; }

    std::function<void(TNetConnection&)> BeforeConnect;

    bool Connected() const;
    void SetConnected(bool connected);
    bool Open(); // runs BeforeConnect, connects; true when connected
    void Close();
    QString lastError() const { return m_lastError; }
    bool callInProgress() const { return m_busy; }

    // Calls "ServerName.method" with positional arguments; the answer is a QVariant holding a
    // ciap::RpcReply (a result, or an error with code and text). Throws EHostError for an
    // argument of a type that cannot travel.
    QVariant Call(const QString& method, const QVariantList& args);

    // How one argument travels: QString → string, numbers → number, bool → bool,
    // QDate/QDateTime → "YYYY-MM-DD", DataPacket/Delta → their JSON, invalid → null,
    // lists → arrays.
    static QJsonValue argumentToJson(const QVariant& value);

Q_SIGNALS:
    void connectedChanged(bool connected);

private:
    ciap::RpcReply exchange(const QByteArray& frame, qint64 id);
    ciap::RpcReply failure(const QString& text);
    bool connectSocket();
    QTcpSocket* createSocket();
    bool socketReady() const;
    QString connectFailure(bool finished) const;
    void dropSocket();
    bool waitFor(int timeoutMs, const std::function<bool()>& done);
    void runWait(QEventLoop& loop);

    QString m_serverName;
    QString m_host;
    int m_port = 0;
    QString m_token;
    bool m_throwException = false;
    int m_timeoutMs = 120000;
    int m_connectTimeoutMs = 10000;
    int m_stopOfferMs = -1;     // -1: the host's setting
    bool m_waitStopped = false; // the user stopped the last wait
    QString m_lastError;
    std::optional<bool> m_tls;
    std::optional<QString> m_caFile;
    QList<QSslError> m_tlsErrors;
    QTcpSocket* m_socket = nullptr;
    ciap::FrameReader m_reader;
    AnswerDecoder m_decoder;
    qint64 m_nextId = 1;
    bool m_busy = false;
    QEventLoop* m_loop = nullptr;
    std::shared_ptr<bool> m_alive;
};
