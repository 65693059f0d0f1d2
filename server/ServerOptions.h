#pragma once

#include "Admission.h"

#include <QHostAddress>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace ciap::server {

// What the command line asks for, checked before anything starts.
struct ServerOptions {
    static constexpr quint16 DefaultPort = 7400;
    static constexpr int MinTokenLength = 16;

    QString database;
    QHostAddress host{QHostAddress::LocalHost};
    QString hostText = QStringLiteral("127.0.0.1");
    quint16 port = DefaultPort;
    bool demo = false;
    QString token;
    QString tlsCertificate; // --tls-cert or CIAP_TLS_CERT
    QString tlsKey;         // --tls-key or CIAP_TLS_KEY
    bool allowPlaintext = false;
    Admission::Limits limits;
    qint64 maxFrameMiB = 64;
    int authTimeoutS = 5;
    int idleTimeoutS = 600;
    int shutdownTimeoutS = 20;

    bool tls() const { return !tlsCertificate.isEmpty(); }

    // nullopt with the reason in error (usage, or a refusal such as a short token or a
    // non-loopback address without TLS and a token).
    static std::optional<ServerOptions>
    parse(const QStringList& arguments, const QProcessEnvironment& environment, QString* error);
    static QString usage();
};

} // namespace ciap::server
