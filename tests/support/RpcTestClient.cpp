#include "RpcTestClient.h"

#include "PacketCodec.h"

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QSslConfiguration>

bool RpcTestClient::connectTo(const QString& host, quint16 port, int timeoutMs) {
    m_host = host;
    m_port = port;
    m_socket.connectToHost(host, port);
    if (!m_socket.waitForConnected(timeoutMs)) {
        m_lastError = m_socket.errorString();
        return false;
    }
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool RpcTestClient::connectEncrypted(const QString& host, quint16 port, const QString& caFile,
                                     int timeoutMs) {
    m_host = host;
    m_port = port;
    m_caFile = caFile;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setCaCertificates(QSslCertificate::fromPath(caFile));
    m_socket.setSslConfiguration(config);
    m_socket.connectToHostEncrypted(host, port);
    if (!m_socket.waitForEncrypted(timeoutMs)) {
        m_lastError = m_socket.errorString();
        return false;
    }
    m_socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

bool RpcTestClient::reconnectIfClosed() {
    if (m_socket.state() == QAbstractSocket::ConnectedState && m_socket.bytesAvailable() == 0)
        m_socket.waitForReadyRead(0); // notices a close that arrived meanwhile
    if (m_host.isEmpty() || m_socket.state() == QAbstractSocket::ConnectedState ||
        m_socket.bytesAvailable() > 0)
        return true;
    m_socket.abort();
    m_buffer.clear();
    return m_caFile.isEmpty() ? connectTo(m_host, m_port)
                              : connectEncrypted(m_host, m_port, m_caFile);
}

void RpcTestClient::send(const QByteArray& bytes) {
    reconnectIfClosed();
    m_socket.write(bytes);
    m_socket.flush();
}

QJsonObject RpcTestClient::readReply(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        const qsizetype nl = m_buffer.indexOf('\n');
        if (nl >= 0) {
            const QByteArray line = m_buffer.left(nl);
            m_buffer.remove(0, nl + 1);
            return QJsonDocument::fromJson(line).object();
        }
        if (deadline.hasExpired() || m_socket.state() != QAbstractSocket::ConnectedState) {
            m_buffer += m_socket.readAll();
            if (m_buffer.indexOf('\n') >= 0)
                continue;
            m_lastError = QStringLiteral("no reply");
            return {};
        }
        if (m_socket.waitForReadyRead(int(std::max<qint64>(1, deadline.remainingTime()))))
            m_buffer += m_socket.readAll();
    }
}

QJsonObject RpcTestClient::raw(const QByteArray& bytes, int timeoutMs) {
    send(bytes);
    return readReply(timeoutMs);
}

QJsonObject RpcTestClient::call(const QString& method, const QJsonArray& params, int timeoutMs) {
    QJsonObject request{
        {QStringLiteral("jsonrpc"), QStringLiteral("2.0")},
        // A method of another object may come with its object ("ciap.fiscal.gerarBlocoG").
        {QStringLiteral("method"),
         method.contains(u'.') ? method : QStringLiteral("%1.%2").arg(m_object, method)},
        {QStringLiteral("params"), params},
        {QStringLiteral("id"), m_nextId++}};
    if (!m_token.isEmpty())
        request.insert(QStringLiteral("token"), m_token);
    return raw(QJsonDocument(request).toJson(QJsonDocument::Compact) + '\n', timeoutMs);
}

int RpcTestClient::errorCode(const QJsonObject& reply) const {
    return reply.value(QStringLiteral("error")).toObject().value(QStringLiteral("code")).toInt();
}

QString RpcTestClient::errorMessage(const QJsonObject& reply) const {
    return reply.value(QStringLiteral("error"))
        .toObject()
        .value(QStringLiteral("message"))
        .toString();
}

QJsonValue RpcTestClient::result(const QString& method, const QJsonArray& params) {
    const QJsonObject reply = call(method, params);
    if (!reply.contains(QStringLiteral("result"))) {
        m_lastError =
            QStringLiteral("%1: %2 %3").arg(method).arg(errorCode(reply)).arg(errorMessage(reply));
        return QJsonValue(QJsonValue::Undefined);
    }
    return reply.value(QStringLiteral("result"));
}

ciap::DataPacket RpcTestClient::packet(const QString& method, const QJsonArray& params) {
    const QJsonValue r = result(method, params);
    if (!r.isObject())
        return {};
    return ciap::packetFromJson(r);
}
