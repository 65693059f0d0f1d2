#pragma once

#include <QSslConfiguration>
#include <QString>
#include <optional>

namespace ciap::server {

// The server's side of TLS: its certificate chain and private key (PEM files), read once at
// start. Clients verify the certificate; the server asks for none of theirs (the token
// authenticates them).
class ServerTls final {
public:
    // nullopt with the reason in error: a file that cannot be read, no certificate, a key that
    // is encrypted or of an unknown kind, an expired certificate, no TLS library.
    static std::optional<QSslConfiguration> load(const QString& certificateFile,
                                                 const QString& keyFile, QString* error);
    // A handshake with itself over loopback, so that a key that does not belong to the
    // certificate is reported at start and not by the first client.
    static bool selfCheck(const QSslConfiguration& configuration, QString* error);
    // For the start-up line: subject, names and expiry of the certificate.
    static QString describe(const QSslConfiguration& configuration);
};

} // namespace ciap::server
