#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>
#include <QStringList>

namespace ciap::server {

class Session;

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

protected:
    static QByteArray nullResult() { return QByteArrayLiteral("null"); }
    static QByteArray textArray(const QString& element);
};

} // namespace ciap::server
