#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

namespace ciap::server {

class Session;

// Where a handler may send the start of a long result while it is still reading the rest, so
// that the client receives while the database works. What was sent cannot be taken back: a
// handler that fails after sending ends the connection instead of answering with an error.
class ResultStream {
public:
    virtual ~ResultStream();
    virtual void send(QByteArrayView piece) = 0; // the next piece of the result's JSON text
};

// One remote method. Handlers keep no state: the same object serves every worker thread, each
// with its own session. A refusal is thrown (ServiceError, StorageError); the dispatcher turns
// it into the error reply.
class MethodHandler {
public:
    virtual ~MethodHandler() = default;
    virtual QString name() const = 0;
    // The server object the method belongs to; the JSON-RPC method is "<object>.<name>". The
    // screen's methods keep the object it was written against; the register, import and
    // export methods have one of their own.
    virtual QString objectName() const { return QStringLiteral("MZR02400.rdmCIAP"); }
    virtual QStringList argumentNames() const = 0;
    // The result as JSON text.
    virtual QByteArray handle(const QJsonArray& params, Session& session) const = 0;
    // The same, for a handler whose result may be long: it may send its start to stream, and
    // returns what follows. The dispatcher calls this one.
    virtual QByteArray handleStreaming(const QJsonArray& params, Session& session,
                                       ResultStream& stream) const;

protected:
    static QByteArray nullResult() { return QByteArrayLiteral("null"); }
    static QByteArray textArray(const QString& element);
};

} // namespace ciap::server
