#include "HostSettings.h"

#include <QSettings>
#include <optional>

namespace {

const char* const KeyHost = "Server/Host";
const char* const KeyPort = "Server/Port";
const char* const KeyToken = "Server/Token";
const char* const KeyTls = "Server/Tls";
const char* const KeyCaFile = "Server/CaFile";
const char* const KeyStopOffer = "Server/StopOfferSeconds";
constexpr double DefaultStopOfferSeconds = 5;

struct Overrides {
    std::optional<QString> host;
    std::optional<int> port;
    std::optional<QString> token;
    std::optional<bool> tls;
    QString caFile;
};

Overrides& overrides() {
    static Overrides o;
    return o;
}

QSettings userSettings() {
    return QSettings(QStringLiteral("ciap"), QStringLiteral("ciap"));
}

} // namespace

QString HostSettings::serverHost() {
    if (overrides().host)
        return *overrides().host;
    const QString host = userSettings().value(KeyHost).toString().trimmed();
    return host.isEmpty() ? QStringLiteral("127.0.0.1") : host;
}

int HostSettings::serverPort() {
    if (overrides().port)
        return *overrides().port;
    bool ok = false;
    const int port = userSettings().value(KeyPort).toInt(&ok);
    return ok && port > 0 && port <= 65535 ? port : 0;
}

QString HostSettings::serverToken() {
    if (overrides().token)
        return *overrides().token;
    return userSettings().value(KeyToken).toString();
}

bool HostSettings::serverTls() {
    if (overrides().tls)
        return *overrides().tls;
    return userSettings().value(KeyTls).toBool() || !serverCaFile().isEmpty();
}

QString HostSettings::serverCaFile() {
    if (overrides().tls)
        return overrides().caFile;
    return userSettings().value(KeyCaFile).toString().trimmed();
}

void HostSettings::overrideServer(const QString& host, int port) {
    overrides().host = host;
    overrides().port = port;
}

void HostSettings::overrideToken(const QString& token) {
    overrides().token = token;
}

void HostSettings::overrideTls(bool on, const QString& caFile) {
    overrides().tls = on || !caFile.isEmpty();
    overrides().caFile = caFile;
}

void HostSettings::clearOverrides() {
    overrides() = Overrides{};
}

void HostSettings::storeServer(const QString& host, int port) {
    QSettings s = userSettings();
    s.setValue(KeyHost, host);
    s.setValue(KeyPort, port);
}

void HostSettings::storeToken(const QString& token) {
    userSettings().setValue(KeyToken, token);
}

bool HostSettings::hasStoredServer() {
    return userSettings().value(KeyPort).toInt() > 0;
}

int HostSettings::stopOfferMs() {
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("CIAP_STOP_OFFER_MS", &ok);
    if (ok && fromEnvironment >= 0)
        return fromEnvironment;
    const double seconds =
        userSettings().value(KeyStopOffer, DefaultStopOfferSeconds).toDouble(&ok);
    return ok && seconds >= 0 ? int(seconds * 1000) : int(DefaultStopOfferSeconds * 1000);
}
