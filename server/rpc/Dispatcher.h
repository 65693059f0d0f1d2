#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace ciap::server {

class MethodHandler;
class Session;

// Turns one request frame into its reply frame. This is the one place where a handler's
// exception becomes an error reply, and where every call is logged (method, duration,
// outcome; never argument values).
class Dispatcher final {
public:
    Dispatcher(QString token, std::vector<std::unique_ptr<MethodHandler>> handlers);
    ~Dispatcher();

    // Never throws. Empty for a notification. admit, when given, is asked once the request has
    // passed the token check and before its method runs; false refuses the call (no room for
    // the connection). send, when given, takes the start of a long reply while its method is
    // still working on the rest; what is returned then follows it. A method that fails after
    // that can no longer be answered with an error: *cut turns true, nothing is returned, and
    // the connection must be closed.
    QByteArray handleFrame(const QByteArray& frame, Session& session,
                           const std::function<bool()>& admit = {},
                           const std::function<void(const QByteArray&)>& send = {},
                           bool* cut = nullptr) const;
    QStringList methodNames() const;

private:
    const MethodHandler* find(const QString& fullName) const;

    QString m_token;
    std::vector<std::unique_ptr<MethodHandler>> m_handlers;
    QHash<QString, const MethodHandler*> m_byName; // "<object>.<name>"
};

} // namespace ciap::server
