#pragma once

#include <QString>

// Where the application server is, as the host configured it. Values come from the user's
// settings (organisation and application "ciap") unless the running process overrode them:
// an embedded server on an ephemeral port or a test must not be written back to the user's
// settings, and must win over them for the rest of the process.
class HostSettings final {
public:
    static QString serverHost(); // default 127.0.0.1
    static int serverPort();     // default 0 (not configured)
    static QString serverToken();
    // TLS to the server (Server/Tls), verified against the system's certificate authorities or
    // only the one in Server/CaFile; a CA file implies TLS.
    static bool serverTls();
    static QString serverCaFile();

    // Process-wide overrides (not persisted).
    static void overrideServer(const QString& host, int port);
    static void overrideToken(const QString& token);
    static void overrideTls(bool on, const QString& caFile);
    static void clearOverrides();

    // Persisted in the user's settings, for the host's own configuration dialog.
    static void storeServer(const QString& host, int port);
    static void storeToken(const QString& token);

    static bool hasStoredServer(); // the user configured a server (Server/Port set)

    // How long a server call waits before the busy indicator offers to stop waiting
    // (Server/StopOfferSeconds, default 5; 0 never offers). CIAP_STOP_OFFER_MS overrides it
    // for a run.
    static int stopOfferMs();
};
