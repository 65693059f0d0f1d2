#pragma once

#include <QList>
#include <QSslError>
#include <QString>

class QSslSocket;
class QTcpSocket;
class QObject;

// TLS on the connection to the application server: the socket that verifies the server, and
// the words the user reads when it cannot.
namespace NetTls {

// A socket that will verify the server's certificate against the system's certificate
// authorities, or only against those in caFile when one is given, and its name against the
// host it connects to. Throws EHostError (in the user's words) when caFile holds none.
QSslSocket* createSocket(const QString& caFile, QObject* parent);

// Why the connection to host:port did not become secure.
QString failureText(const QString& host, int port, const QTcpSocket& socket,
                    const QList<QSslError>& errors);

} // namespace NetTls
