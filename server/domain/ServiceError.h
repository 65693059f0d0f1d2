#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

namespace ciap::server {

// A refusal that becomes a JSON-RPC error reply: the code says what kind, the message is
// shown to the user as it is.
class ServiceError : public std::exception {
public:
    ServiceError(int code, QString message);

    static ServiceError rule(const QString& message);          // a business rule refused
    static ServiceError conflict();                            // the row changed meanwhile
    static ServiceError invalidParams(const QString& message); // wrong argument

    int code() const { return m_code; }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    int m_code;
    QString m_message;
    QByteArray m_what;
};

} // namespace ciap::server
