#include "CiapMethods.h"
#include "DatabaseConfig.h"
#include "DemoData.h"
#include "Dispatcher.h"
#include "FiscalMethods.h"
#include "Migrations.h"
#include "RpcLog.h"
#include "RpcServer.h"
#include "ServerOptions.h"
#include "ServerTls.h"
#include "Session.h"
#include "SignalWatcher.h"
#include "StorageError.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

using namespace ciap::server;

namespace {

int prepareDatabase(const DatabaseConfig& config, bool demo) {
    try {
        Session session(config, QStringLiteral("ciap-setup"));
        Migrations::apply(session);
        if (demo && DemoData::fillIfEmpty(session, QDate::currentDate()))
            std::fprintf(stderr, "demo data written\n");
    } catch (const StorageError& e) {
        std::fprintf(stderr, "ciap-server: cannot prepare %s: %s: %s\n",
                     qPrintable(config.describe()), e.what(), qPrintable(e.driverText()));
        return 1;
    }
    return 0;
}

// The connection settings the options ask for; nullopt when the certificate cannot be used.
std::optional<ConnectionSettings> connectionSettings(const ServerOptions& options) {
    ConnectionSettings s;
    s.maxFrame = options.maxFrameMiB * 1024 * 1024;
    s.authTimeoutMs = options.authTimeoutS * 1000;
    s.idleTimeoutMs = options.idleTimeoutS * 1000;
    if (!options.tls())
        return s;
    QString error;
    s.tls = ServerTls::load(options.tlsCertificate, options.tlsKey, &error);
    if (!s.tls || !ServerTls::selfCheck(*s.tls, &error)) {
        std::fprintf(stderr, "ciap-server: %s\n", qPrintable(error));
        return std::nullopt;
    }
    return s;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ciap-server"));

    QString error;
    const auto options =
        ServerOptions::parse(app.arguments(), QProcessEnvironment::systemEnvironment(), &error);
    if (!options) {
        std::fprintf(stderr, "ciap-server: %s\n", qPrintable(error));
        return 2;
    }
    std::unique_ptr<DatabaseConfig> config;
    try {
        config = DatabaseConfig::fromLocation(options->database);
    } catch (const ConfigError& e) {
        std::fprintf(stderr, "ciap-server: %s\n", e.what());
        return 2;
    }
    const auto settings = connectionSettings(*options);
    if (!settings)
        return 2;
    if (const int rc = prepareDatabase(*config, options->demo))
        return rc;

    auto methods = CiapMethods::all();
    for (auto& m : FiscalMethods::all())
        methods.push_back(std::move(m));
    const Dispatcher dispatcher(options->token, std::move(methods));
    RpcServer server(*config, dispatcher, *settings, options->limits);
    if (!server.listen(options->host, options->port)) {
        std::fprintf(stderr, "ciap-server: cannot listen on %s:%u: %s\n",
                     qPrintable(options->hostText), unsigned(options->port),
                     qPrintable(server.errorString()));
        return 1;
    }
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
    std::fprintf(stderr, "ciap-server: serving %s on %s, %s\n", qPrintable(config->describe()),
                 qPrintable(options->hostText),
                 settings->tls
                     ? qPrintable(QStringLiteral("TLS with ") + ServerTls::describe(*settings->tls))
                     : "plain text (no TLS)");
    std::fprintf(stdout, "listening on %s:%u\n", qPrintable(options->hostText),
                 unsigned(server.serverPort()));
    std::fflush(stdout);

    const int rc = app.exec();
    if (!server.shutdown(options->shutdownTimeoutS * 1000)) {
        // What those calls had not committed, the database rolls back when the process ends.
        std::fprintf(stderr, "ciap-server: calls still running after %d s; stopping without them\n",
                     options->shutdownTimeoutS);
        std::fflush(stderr);
        std::_Exit(3);
    }
    std::fprintf(stderr, "ciap-server: stopped\n");
    return rc;
}
