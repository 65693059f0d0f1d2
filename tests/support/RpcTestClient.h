#pragma once

#include "DataPacket.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QTcpSocket>

// A tiny blocking JSON-RPC client for tests: one request, one reply.
class RpcTestClient final {
public:
    static constexpr const char* Object = "MZR02400.rdmCIAP";

    bool connectTo(const QString& host, quint16 port, int timeoutMs = 5000);
    void setToken(const QString& token) { m_token = token; }

    // The whole reply object; an empty object when nothing came back in time.
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
    QTcpSocket& socket() { return m_socket; }

private:
    QTcpSocket m_socket;
    QByteArray m_buffer;
    QString m_token;
    QString m_lastError;
    qint64 m_nextId = 1;
};
