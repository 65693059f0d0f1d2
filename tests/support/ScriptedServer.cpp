#include "ScriptedServer.h"

#include "JsonRpc.h"
#include "PacketCodec.h"

#include <QTcpSocket>

ScriptedServer::ScriptedServer(QObject* parent)
    : QObject(parent) {
    connect(&m_server, &QTcpServer::newConnection, this, &ScriptedServer::onNewConnection);
}

ScriptedServer::~ScriptedServer() {
    close();
}

bool ScriptedServer::listen(quint16 port) {
    return m_server.listen(QHostAddress::LocalHost, port);
}

quint16 ScriptedServer::port() const {
    return m_server.serverPort();
}

bool ScriptedServer::isListening() const {
    return m_server.isListening();
}

void ScriptedServer::enqueueResult(const QString& method, const QJsonValue& result) {
    Answer a;
    a.kind = Answer::Result;
    a.result = result;
    m_queues[method].append(a);
}

void ScriptedServer::enqueueError(const QString& method, int code, const QString& message) {
    Answer a;
    a.kind = Answer::Error;
    a.code = code;
    a.message = message;
    m_queues[method].append(a);
}

void ScriptedServer::enqueueSilence(const QString& method) {
    Answer a;
    a.kind = Answer::Silence;
    m_queues[method].append(a);
}

void ScriptedServer::enqueueDrop(const QString& method) {
    Answer a;
    a.kind = Answer::Drop;
    m_queues[method].append(a);
}

void ScriptedServer::setDefault(const QString& method, const QJsonValue& result) {
    Answer a;
    a.kind = Answer::Result;
    a.result = result;
    m_defaults[method] = a;
}

void ScriptedServer::setDefaultError(const QString& method, int code, const QString& message) {
    Answer a;
    a.kind = Answer::Error;
    a.code = code;
    a.message = message;
    m_defaults[method] = a;
}

QList<ScriptedServer::Call> ScriptedServer::callsTo(const QString& method) const {
    QList<Call> out;
    for (const Call& c : m_calls)
        if (c.method == method)
            out.append(c);
    return out;
}

int ScriptedServer::openConnections() const {
    int n = 0;
    for (QTcpSocket* s : m_sockets)
        if (s->state() == QAbstractSocket::ConnectedState)
            ++n;
    return n;
}

void ScriptedServer::clear() {
    m_calls.clear();
    m_queues.clear();
    m_defaults.clear();
}

void ScriptedServer::dropConnections() {
    const QList<QTcpSocket*> sockets = m_sockets;
    m_sockets.clear();
    m_buffers.clear();
    for (QTcpSocket* s : sockets) {
        s->disconnect(this);
        s->abort();
        s->deleteLater();
    }
}

void ScriptedServer::close() {
    m_server.close();
    dropConnections();
}

void ScriptedServer::onNewConnection() {
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        ++m_connections;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_sockets.append(socket);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_sockets.removeOne(socket);
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

ScriptedServer::Answer ScriptedServer::answerFor(const QString& method) {
    auto queue = m_queues.find(method);
    if (queue != m_queues.end() && !queue->isEmpty())
        return queue->takeFirst();
    auto def = m_defaults.constFind(method);
    if (def != m_defaults.constEnd())
        return *def;
    Answer a;
    a.kind = Answer::Error;
    a.code = ciap::RpcCode::MethodNotFound;
    a.message = QStringLiteral("no scripted answer for %1").arg(method);
    return a;
}

void ScriptedServer::onReadyRead(QTcpSocket* socket) {
    // Scripts (onCall) may drop connections: work on a copy of the buffer and give it back
    // only while the socket is still ours.
    QByteArray buffer = m_buffers.take(socket) + socket->readAll();
    qsizetype eol;
    while (m_sockets.contains(socket) && (eol = buffer.indexOf('\n')) >= 0) {
        const QByteArray frame = buffer.left(eol);
        buffer.remove(0, eol + 1);
        Call call;
        try {
            const ciap::RpcRequest request = ciap::parseRequest(frame);
            call.fullMethod = request.method;
            call.method = request.method.mid(request.method.lastIndexOf(QLatin1Char('.')) + 1);
            call.params = request.params;
            call.token = request.token;
            call.id = request.id;
        } catch (const ciap::RpcFailure& e) {
            socket->write(ciap::encodeError(QJsonValue(QJsonValue::Null), e.code(), e.message()));
            continue;
        }
        m_calls.append(call);
        if (onCall)
            onCall(call);
        Q_EMIT callReceived(call.method);
        const Answer answer = answerFor(call.method);
        switch (answer.kind) {
        case Answer::Result:
            socket->write(ciap::encodeResult(call.id, answer.result));
            break;
        case Answer::Error:
            socket->write(ciap::encodeError(call.id, answer.code, answer.message));
            break;
        case Answer::Silence:
            break;
        case Answer::Drop:
            m_sockets.removeOne(socket);
            m_buffers.remove(socket);
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
            return;
        }
    }
    if (m_sockets.contains(socket))
        m_buffers.insert(socket, buffer);
}

QJsonValue ScriptedServer::packet(const QList<ciap::FieldDef>& fields,
                                  const QList<QVariantList>& rows) {
    ciap::DataPacket p;
    p.fields = fields;
    p.rows = rows;
    return ciap::packetToJson(p);
}

QJsonArray ScriptedServer::array(const QVariantList& values) {
    return QJsonArray::fromVariantList(values);
}
