#pragma once

#include "DataPacket.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QSslSocket>
#include <QString>

// A tiny blocking JSON-RPC client for tests: one request, one reply. Like the product's client,
// it connects again when the server closed the connection while it was not waiting for an
// answer (the server closes connections that do not authenticate in time, or sit idle).
class RpcTestClient final {
public:
    static constexpr const char* Object = "MZR02400.rdmCIAP";

    bool connectTo(const QString& host, quint16 port, int timeoutMs = 5000);
    // With TLS, trusting only the CA in caFile and checking the certificate's names against
    // host; false with the reason in lastError.
    bool connectEncrypted(const QString& host, quint16 port, const QString& caFile,
                          int timeoutMs = 5000);
    void setToken(const QString& token) { m_token = token; }
    // The server object the calls go to: Object unless set ("ciap.fiscal").
    void setObject(const QString& object) { m_object = object; }

    // The whole reply object; an empty object when nothing came back in time. A method without
    // its object is one of the object's set (Object unless set).
    QJsonObject call(const QString& method, const QJsonArray& params, int timeoutMs = 60000);
    // Sends bytes as they are (a malformed frame) and reads one reply line.
    QJsonObject raw(const QByteArray& bytes, int timeoutMs = 10000);
    void send(const QByteArray& bytes); // no reply awaited
    QJsonObject readReply(int timeoutMs);

    // The result of a successful call; a failed call records the error and returns Undefined.
    QJsonValue result(const QString& method, const QJsonArray& params);
    ciap::DataPacket packet(const QString& method, const QJsonArray& params);
    int errorCode(const QJsonObject& reply) const;
    QString errorMessage(const QJsonObject& reply) const;

    QString lastError() const { return m_lastError; }
    QSslSocket& socket() { return m_socket; }

private:
    bool reconnectIfClosed();

    QString m_host;
    quint16 m_port = 0;
    QString m_caFile;
    QSslSocket m_socket; // plain TCP until told to encrypt
    QByteArray m_buffer;
    QString m_token;
    QString m_object = QLatin1String(Object);
    QString m_lastError;
    qint64 m_nextId = 1;
};
