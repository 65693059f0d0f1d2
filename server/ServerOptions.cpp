#include "ServerOptions.h"

namespace ciap::server {

namespace {

// The whole-number options: name, range, and the setting they give.
struct NumberOption {
    const char* name;
    int low;
    int high;
    int& (*setting)(ServerOptions&);
};

const NumberOption* numberOption(const QString& name) {
    static const NumberOption options[] = {
        {"--max-connections", 1, 4096,
         [](ServerOptions& o) -> int& { return o.limits.authenticated; }},
        {"--max-unauthenticated", 1, 4096,
         [](ServerOptions& o) -> int& { return o.limits.unauthenticated; }},
        {"--max-per-address", 1, 4096,
         [](ServerOptions& o) -> int& { return o.limits.perAddress; }},
        {"--max-unauthenticated-per-address", 1, 4096,
         [](ServerOptions& o) -> int& { return o.limits.unauthenticatedPerAddress; }},
        {"--auth-timeout-s", 1, 300, [](ServerOptions& o) -> int& { return o.authTimeoutS; }},
        {"--idle-timeout-s", 1, 86400, [](ServerOptions& o) -> int& { return o.idleTimeoutS; }},
        {"--shutdown-timeout-s", 1, 3600,
         [](ServerOptions& o) -> int& { return o.shutdownTimeoutS; }},
    };
    for (const NumberOption& option : options) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

// The reason a token cannot be used, or empty. The token itself never appears in it.
QString tokenProblem(const QString& token) {
    if (token.isEmpty())
        return {};
    if (token.trimmed().isEmpty())
        return QStringLiteral("the token is made of blanks");
    if (token.size() < ServerOptions::MinTokenLength)
        return QStringLiteral("the token has fewer than %1 characters")
            .arg(ServerOptions::MinTokenLength);
    // The example environment file's placeholder: known to anyone who read the example.
    if (token.startsWith(QLatin1String("CHANGE-ME")))
        return QStringLiteral("the token is still the example's placeholder");
    return {};
}

} // namespace

QString ServerOptions::usage() {
    return QStringLiteral(
               "usage: ciap-server --database <SQLite file | postgresql://user@host:port/db>\n"
               "                   [--host 127.0.0.1] [--port %1] [--demo] [--token T]\n"
               "                   [--tls-cert FILE --tls-key FILE] [--allow-plaintext]\n"
               "                   [--max-connections 256] [--max-unauthenticated 64]\n"
               "                   [--max-per-address 128] [--max-unauthenticated-per-address 16]\n"
               "                   [--auth-timeout-s 5] [--idle-timeout-s 600]\n"
               "                   [--shutdown-timeout-s 20] [--max-frame-mib 64]\n"
               "The token may also come from the environment variable CIAP_SERVER_TOKEN (at "
               "least %2\ncharacters), the certificate and key from CIAP_TLS_CERT and "
               "CIAP_TLS_KEY.\nListening on an address other than loopback requires a token, "
               "and TLS unless\n--allow-plaintext says the network is trusted.\n")
        .arg(DefaultPort)
        .arg(MinTokenLength);
}

std::optional<ServerOptions> ServerOptions::parse(const QStringList& arguments,
                                                  const QProcessEnvironment& environment,
                                                  QString* error) {
    ServerOptions o;
    o.token = environment.value(QStringLiteral("CIAP_SERVER_TOKEN"));
    o.tlsCertificate = environment.value(QStringLiteral("CIAP_TLS_CERT"));
    o.tlsKey = environment.value(QStringLiteral("CIAP_TLS_KEY"));
    auto fail = [error](const QString& why) {
        *error = why;
        return std::optional<ServerOptions>();
    };
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments.at(i);
        auto value = [&](QString* out) {
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments.at(++i);
            return true;
        };
        QString v;
        if (a == QLatin1String("--demo")) {
            o.demo = true;
        } else if (a == QLatin1String("--allow-plaintext")) {
            o.allowPlaintext = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            return fail(usage());
        } else if (!value(&v)) {
            return fail(QStringLiteral("unknown option or missing value: %1\n%2").arg(a, usage()));
        } else if (a == QLatin1String("--database")) {
            o.database = v;
        } else if (a == QLatin1String("--host")) {
            o.hostText = v == QLatin1String("localhost") ? QStringLiteral("127.0.0.1") : v;
            if (!o.host.setAddress(o.hostText))
                return fail(QStringLiteral("--host: not an IP address: %1").arg(v));
        } else if (a == QLatin1String("--port")) {
            bool ok = false;
            const uint port = v.toUInt(&ok);
            if (!ok || port > 65535)
                return fail(QStringLiteral("--port: not a port number: %1").arg(v));
            o.port = quint16(port);
        } else if (a == QLatin1String("--token")) {
            o.token = v;
        } else if (a == QLatin1String("--tls-cert")) {
            o.tlsCertificate = v;
        } else if (a == QLatin1String("--tls-key")) {
            o.tlsKey = v;
        } else if (a == QLatin1String("--max-frame-mib")) {
            bool ok = false;
            o.maxFrameMiB = v.toLongLong(&ok);
            if (!ok || o.maxFrameMiB < 1 || o.maxFrameMiB > 1024)
                return fail(QStringLiteral("--max-frame-mib: a number from 1 to 1024"));
        } else if (const NumberOption* number = numberOption(a)) {
            bool ok = false;
            const int n = v.toInt(&ok);
            if (!ok || n < number->low || n > number->high)
                return fail(QStringLiteral("%1: a number from %2 to %3")
                                .arg(a)
                                .arg(number->low)
                                .arg(number->high));
            number->setting(o) = n;
        } else {
            return fail(QStringLiteral("unknown option: %1\n%2").arg(a, usage()));
        }
    }
    if (o.database.trimmed().isEmpty())
        return fail(QStringLiteral("--database is required\n%1").arg(usage()));
    if (const QString problem = tokenProblem(o.token); !problem.isEmpty())
        return fail(QStringLiteral("refusing a weak token: %1. Make one with: "
                                   "openssl rand -base64 32")
                        .arg(problem));
    if (o.tlsCertificate.isEmpty() != o.tlsKey.isEmpty())
        return fail(QStringLiteral("--tls-cert and --tls-key go together"));
    if (!o.host.isLoopback() && o.token.isEmpty())
        return fail(
            QStringLiteral("refusing to listen on %1 without a token: anyone on the network "
                           "could read and change the data. Pass --token or set "
                           "CIAP_SERVER_TOKEN, or listen on 127.0.0.1.")
                .arg(o.hostText));
    if (!o.host.isLoopback() && !o.tls() && !o.allowPlaintext)
        return fail(QStringLiteral("refusing to listen on %1 without TLS: the token and every "
                                   "figure would cross the network in clear text. Pass "
                                   "--tls-cert and --tls-key, or --allow-plaintext on a trusted "
                                   "network.")
                        .arg(o.hostText));
    return o;
}

} // namespace ciap::server
