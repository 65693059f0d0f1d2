#pragma once

#include <QSslConfiguration>
#include <QtGlobal>
#include <optional>

namespace ciap::server {

class Admission;
class DatabaseConfig;
class Dispatcher;

struct ConnectionSettings {
    qsizetype maxFrame = qsizetype(64) * 1024 * 1024; // largest request
    int authTimeoutMs = 5000;                         // from accept to the first authorized request
    int idleTimeoutMs = 600000; // an authenticated connection without requests is closed
    int closeGraceMs = 5000;    // to deliver the last reply when the server closes
    std::optional<QSslConfiguration> tls;
};

// What every connection shares with the listener, which outlives them all.
struct ConnectionContext {
    const DatabaseConfig& config;
    const Dispatcher& dispatcher;
    Admission& admission;
    ConnectionSettings settings;
};

} // namespace ciap::server
