#include "NetTls.h"

#include "HostErrors.h"

#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QStringList>

namespace {

QString dateText(const QDateTime& when) {
    return when.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
}

QString reasonText(const QSslError& error, const QString& host) {
    switch (error.error()) {
    case QSslError::HostNameMismatch:
        return QStringLiteral("o certificado não é do servidor \"%1\"").arg(host);
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
    case QSslError::CertificateUntrusted:
    case QSslError::CertificateRejected:
        return QStringLiteral("o certificado não foi emitido por uma autoridade certificadora "
                              "confiável");
    case QSslError::CertificateExpired:
        return QStringLiteral("o certificado venceu em %1")
            .arg(dateText(error.certificate().expiryDate()));
    case QSslError::CertificateNotYetValid:
        return QStringLiteral("o certificado só vale a partir de %1")
            .arg(dateText(error.certificate().effectiveDate()));
    case QSslError::CertificateRevoked:
        return QStringLiteral("o certificado foi revogado");
    default:
        return error.errorString();
    }
}

} // namespace

namespace NetTls {

QSslSocket* createSocket(const QString& caFile, QObject* parent) {
    if (!QSslSocket::supportsSsl())
        throw EHostError(QStringLiteral("Esta instalação não tem suporte a TLS (OpenSSL): não é "
                                        "possível conectar com segurança ao servidor de "
                                        "aplicação."));
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setProtocol(QSsl::TlsV1_2OrLater);
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!caFile.isEmpty()) {
        const QList<QSslCertificate> authorities = QSslCertificate::fromPath(caFile);
        if (authorities.isEmpty())
            throw EHostError(QStringLiteral("O arquivo \"%1\" não contém o certificado de uma "
                                            "autoridade certificadora (PEM) para verificar o "
                                            "servidor de aplicação.")
                                 .arg(caFile));
        config.setCaCertificates(authorities);
    }
    auto* socket = new QSslSocket(parent);
    socket->setSslConfiguration(config);
    return socket;
}

QString failureText(const QString& host, int port, const QTcpSocket& socket,
                    const QList<QSslError>& errors) {
    const QString server = QStringLiteral("%1:%2").arg(host).arg(port);
    if (!errors.isEmpty()) {
        QStringList reasons;
        for (const QSslError& e : errors) {
            const QString r = reasonText(e, host);
            if (!reasons.contains(r))
                reasons << r;
        }
        return QStringLiteral("O servidor de aplicação %1 apresentou um certificado que foi "
                              "recusado: %2. Confira o endereço do servidor e a autoridade "
                              "certificadora configurada.")
            .arg(server, reasons.join(QStringLiteral("; ")));
    }
    return QStringLiteral("Não foi possível estabelecer uma conexão segura (TLS) com o servidor "
                          "de aplicação %1: %2. Confira se o servidor usa TLS.")
        .arg(server, socket.errorString());
}

} // namespace NetTls
