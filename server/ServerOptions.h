#pragma once

#include <QHostAddress>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <optional>

namespace ciap::server {

// What the command line asks for, checked before anything starts.
struct ServerOptions {
    static constexpr quint16 DefaultPort = 7400;

    QString database;
    QHostAddress host{QHostAddress::LocalHost};
    QString hostText = QStringLiteral("127.0.0.1");
    quint16 port = DefaultPort;
    bool demo = false;
    QString token;
    int maxConnections = 256;
    qint64 maxFrameMiB = 64;

    // nullopt with the reason in error (usage or a refusal such as a non-loopback address
    // without a token).
    static std::optional<ServerOptions>
    parse(const QStringList& arguments, const QProcessEnvironment& environment, QString* error);
    static QString usage();
};

} // namespace ciap::server
