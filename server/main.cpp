#include "CiapMethods.h"
#include "DatabaseConfig.h"
#include "DemoData.h"
#include "Dispatcher.h"
#include "Migrations.h"
#include "RpcServer.h"
#include "ServerOptions.h"
#include "Session.h"
#include "SignalWatcher.h"
#include "StorageError.h"

#include <QCoreApplication>
#include <cstdio>

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
    if (const int rc = prepareDatabase(*config, options->demo))
        return rc;

    const Dispatcher dispatcher(options->token, CiapMethods::all());
    RpcServer server(*config, dispatcher, options->maxFrameMiB * 1024 * 1024,
                     options->maxConnections);
    if (!server.listen(options->host, options->port)) {
        std::fprintf(stderr, "ciap-server: cannot listen on %s:%u: %s\n",
                     qPrintable(options->hostText), unsigned(options->port),
                     qPrintable(server.errorString()));
        return 1;
    }
    SignalWatcher signals;
    QObject::connect(&signals, &SignalWatcher::terminationRequested, &app, &QCoreApplication::quit);
    std::fprintf(stderr, "ciap-server: serving %s on %s\n", qPrintable(config->describe()),
                 qPrintable(options->hostText));
    std::fprintf(stdout, "listening on %s:%u\n", qPrintable(options->hostText),
                 unsigned(server.serverPort()));
    std::fflush(stdout);

    const int rc = app.exec();
    server.shutdown();
    std::fprintf(stderr, "ciap-server: stopped\n");
    return rc;
}
