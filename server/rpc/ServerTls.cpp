#include "ServerTls.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTimer>

namespace ciap::server {

namespace {

std::optional<QSslKey> readKey(const QByteArray& pem) {
    for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa}) {
        const QSslKey key(pem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (!key.isNull())
            return key;
    }
    return std::nullopt;
}

} // namespace

std::optional<QSslConfiguration> ServerTls::load(const QString& certificateFile,
                                                 const QString& keyFile, QString* error) {
    auto fail = [error](const QString& why) {
        *error = why;
        return std::optional<QSslConfiguration>();
    };
    if (!QSslSocket::supportsSsl())
        return fail(QStringLiteral("TLS is not available: Qt cannot load its OpenSSL backend"));
    QFile certFile(certificateFile);
    if (!certFile.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("--tls-cert: cannot read %1: %2")
                        .arg(certificateFile, certFile.errorString()));
    const QList<QSslCertificate> chain = QSslCertificate::fromData(certFile.readAll(), QSsl::Pem);
    if (chain.isEmpty())
        return fail(QStringLiteral("--tls-cert: no PEM certificate in %1").arg(certificateFile));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (chain.first().expiryDate() < now)
        return fail(QStringLiteral("--tls-cert: the certificate in %1 expired on %2")
                        .arg(certificateFile, chain.first().expiryDate().toString(Qt::ISODate)));
    if (chain.first().effectiveDate() > now)
        return fail(QStringLiteral("--tls-cert: the certificate in %1 is valid only from %2")
                        .arg(certificateFile, chain.first().effectiveDate().toString(Qt::ISODate)));
    QFile key(keyFile);
    if (!key.open(QIODevice::ReadOnly))
        return fail(
            QStringLiteral("--tls-key: cannot read %1: %2").arg(keyFile, key.errorString()));
    const auto privateKey = readKey(key.readAll());
    if (!privateKey)
        return fail(QStringLiteral("--tls-key: no unencrypted PEM private key (RSA, EC or DSA) "
                                   "in %1")
                        .arg(keyFile));
    QSslConfiguration c = QSslConfiguration::defaultConfiguration();
    c.setLocalCertificateChain(chain);
    c.setPrivateKey(*privateKey);
    c.setProtocol(QSsl::TlsV1_2OrLater);
    c.setPeerVerifyMode(QSslSocket::VerifyNone);
    return c;
}

bool ServerTls::selfCheck(const QSslConfiguration& configuration, QString* error) {
    QSslServer server;
    server.setSslConfiguration(configuration);
    if (!server.listen(QHostAddress::LocalHost, 0)) {
        *error = server.errorString();
        return false;
    }
    QEventLoop loop;
    QString failure;
    bool encrypted = false;
    QObject::connect(&server, &QSslServer::errorOccurred, &loop,
                     [&](QSslSocket* socket, QAbstractSocket::SocketError) {
                         failure = socket->errorString();
                         loop.quit();
                     });
    QSslSocket client;
    QSslConfiguration trustAnything = QSslConfiguration::defaultConfiguration();
    trustAnything.setPeerVerifyMode(QSslSocket::VerifyNone);
    client.setSslConfiguration(trustAnything);
    QObject::connect(&client, &QSslSocket::encrypted, &loop, [&] {
        encrypted = true;
        loop.quit();
    });
    QObject::connect(&client, &QSslSocket::errorOccurred, &loop, [&] {
        if (failure.isEmpty())
            failure = client.errorString();
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, [&] {
        failure = QStringLiteral("no handshake within 10 s");
        loop.quit();
    });
    client.connectToHostEncrypted(QStringLiteral("127.0.0.1"), server.serverPort());
    loop.exec();
    if (!encrypted)
        *error = QStringLiteral("TLS does not work with this certificate and key (does the key "
                                "belong to the certificate?): %1")
                     .arg(failure.trimmed());
    return encrypted;
}

QString ServerTls::describe(const QSslConfiguration& configuration) {
    const QList<QSslCertificate> chain = configuration.localCertificateChain();
    if (chain.isEmpty())
        return {};
    const QSslCertificate& c = chain.first();
    QStringList names;
    const auto alternatives = c.subjectAlternativeNames();
    for (auto it = alternatives.cbegin(); it != alternatives.cend(); ++it)
        names << it.value();
    return QStringLiteral("certificate %1 (%2), valid until %3")
        .arg(c.subjectDisplayName(), names.join(QStringLiteral(", ")),
             c.expiryDate().toString(Qt::ISODate));
}

} // namespace ciap::server
