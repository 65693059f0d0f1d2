#pragma once

#include "DataPacket.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonValue>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <functional>

class QTcpSocket;

// In-process JSON-RPC server for tests: listens on 127.0.0.1 (ephemeral port) in the test's
// thread, records every call and answers from scripts. The client waits in a local event
// loop, so this server is served while the client blocks.
class ScriptedServer final : public QObject {
    Q_OBJECT
public:
    struct Call {
        QString method;     // without the object prefix: "getCIAP"
        QString fullMethod; // "MZR02400.rdmCIAP.getCIAP"
        QJsonArray params;
        QString token;
        QJsonValue id;
    };

    explicit ScriptedServer(QObject* parent = nullptr);
    ~ScriptedServer() override;

    bool listen(quint16 port = 0); // 127.0.0.1
    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const;
    bool isListening() const;

    // Answers, per method, first from its queue, then from its default; neither → an error
    // "no scripted answer for <method>".
    void enqueueResult(const QString& method, const QJsonValue& result);
    void enqueueError(const QString& method, int code, const QString& message);
    void enqueueSilence(const QString& method); // records the call and never answers
    void enqueueDrop(const QString& method);    // records the call and drops the connection
    void setDefault(const QString& method, const QJsonValue& result);
    void setDefaultError(const QString& method, int code, const QString& message);

    // Runs for every call before it is answered (e.g. to look at the client's state).
    std::function<void(const Call&)> onCall;

    QList<Call> calls() const { return m_calls; }
    QList<Call> callsTo(const QString& method) const;
    int callCount() const { return m_calls.size(); }
    int connectionCount() const { return m_connections; } // accepted since start
    int openConnections() const;
    void clear(); // calls, queues and defaults

    void dropConnections(); // aborts every client connection, keeps listening
    void close();           // stops listening and drops the connections

    static QJsonValue packet(const QList<ciap::FieldDef>& fields, const QList<QVariantList>& rows);
    static QJsonArray array(const QVariantList& values);

Q_SIGNALS:
    void callReceived(const QString& method);

private:
    struct Answer {
        enum Kind { Result, Error, Silence, Drop } kind = Result;
        QJsonValue result;
        int code = 0;
        QString message;
    };

    void onNewConnection();
    void onReadyRead(QTcpSocket* socket);
    Answer answerFor(const QString& method);

    QTcpServer m_server;
    QList<QTcpSocket*> m_sockets;
    QHash<QTcpSocket*, QByteArray> m_buffers;
    QHash<QString, QList<Answer>> m_queues;
    QHash<QString, Answer> m_defaults;
    QList<Call> m_calls;
    int m_connections = 0;
};
