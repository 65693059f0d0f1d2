#include "AppOptions.h"

#include "HostErrors.h"

#include <QCommandLineParser>
#include <QCoreApplication>

AppOptions AppOptions::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Controle de Crédito Imobilizado"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("Application server to use."),
                                    QStringLiteral("host:port"));
    const QCommandLineOption token(QStringLiteral("token"),
                                   QStringLiteral("Shared token of the application server."),
                                   QStringLiteral("token"));
    const QCommandLineOption tls(
        QStringLiteral("tls"),
        QStringLiteral("Connect to the application server with TLS, verifying its certificate."));
    const QCommandLineOption tlsCa(
        QStringLiteral("tls-ca"),
        QStringLiteral(
            "Trust only this certificate authority (PEM) for the server; implies --tls."),
        QStringLiteral("file"));
    const QCommandLineOption database(
        QStringLiteral("database"),
        QStringLiteral("Database of the registers: SQLite file or postgresql:// URL."),
        QStringLiteral("location"));
    const QCommandLineOption package(QStringLiteral("package"),
                                     QStringLiteral("Screen package to load."),
                                     QStringLiteral("file"));
    const QCommandLineOption open(QStringLiteral("open"),
                                  QStringLiteral("Open the screen at start-up."));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"),
        QStringLiteral("Save a picture of the window once the screen is open, then quit."),
        QStringLiteral("file"));
    const QCommandLineOption embedded(
        QStringLiteral("embedded"),
        QStringLiteral("Start an own server on a local demo database."));
    parser.addOptions({server, token, tls, tlsCa, database, package, open, screenshot, embedded});
    if (!parser.parse(arguments))
        throw EHostError(parser.errorText());
    AppOptions options;
    // --help-all comes with addHelpOption; Qt's own options are no business of this help.
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        options.helpText = parser.helpText();
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.helpText = QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                         QCoreApplication::applicationVersion());
        return options;
    }
    if (parser.isSet(server)) {
        const QString value = parser.value(server);
        const int colon = value.lastIndexOf(QLatin1Char(':'));
        bool ok = false;
        const int port = colon > 0 ? value.mid(colon + 1).toInt(&ok) : 0;
        if (!ok || port <= 0 || port > 65535)
            throw EHostError(
                QStringLiteral("--server espera host:porta, recebeu \"%1\".").arg(value));
        options.serverHost = value.left(colon);
        options.serverPort = port;
    }
    options.token = parser.value(token);
    options.tlsCaFile = parser.value(tlsCa);
    options.tls = parser.isSet(tls) || !options.tlsCaFile.isEmpty();
    options.database = parser.value(database);
    options.package = parser.value(package);
    options.screenshot = parser.value(screenshot);
    options.openScreen = parser.isSet(open) || !options.screenshot.isEmpty();
    options.embedded = parser.isSet(embedded);
    return options;
}

bool AppOptions::answersWithoutWindow(int argc, const char* const* argv) {
    static const QStringList textOnly = {QStringLiteral("-h"), QStringLiteral("--help"),
                                         QStringLiteral("-?"), QStringLiteral("--help-all"),
                                         QStringLiteral("-v"), QStringLiteral("--version")};
    for (int i = 1; i < argc; ++i)
        if (textOnly.contains(QString::fromLocal8Bit(argv[i])))
            return true;
    return false;
}
