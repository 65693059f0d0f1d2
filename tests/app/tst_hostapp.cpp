#include "AppOptions.h"
#include "DtmDBGeral.h"
#include "EmbeddedServer.h"
#include "HostApplication.h"
#include "HostErrors.h"
#include "HostMainWindow.h"
#include "HostRunner.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "JsonRpc.h"
#include "PackageLoader.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"
#include "TNetConnection.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The host application: its command line, how it loads the package and opens the screen in
// its MDI area, and where it finds the application server (command line, settings, or an
// embedded server of its own).
class tst_HostApp : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void options_data();
    void options();
    void loaderFindsAndCallsThePackage();
    void loaderNamesWhatIsMissing();
    void menuOpensOneScreen();
    void closingTheHostClosesTheScreens();
    void failedOpeningIsShown();
    void serverFromCommandLine();
    void serverFromSettings();
    void embeddedServer();
    void embeddedServerThatDoesNotStart();
    void textAnswersWithoutADisplay_data();
    void textAnswersWithoutADisplay();

private:
    static int screens();
    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
};

int tst_HostApp::screens() {
    int n = 0;
    for (QWidget* w : QApplication::allWidgets())
        if (w->inherits("TfrmCIAP"))
            ++n;
    return n;
}

void tst_HostApp::initTestCase() {
    DialogService::setInstance(&m_dialogs);
    QVERIFY(m_server.listen());
}

void tst_HostApp::init() {
    m_dialogs.clear();
    HostSettings::clearOverrides();
    setWebServer(m_server.host(), m_server.port());
}

void tst_HostApp::cleanupTestCase() {
    DialogService::setInstance(nullptr);
}

void tst_HostApp::options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("error"); // start of the error text; empty: accepted

    QTest::newRow("nothing") << QStringList{} << "" << 0 << false << "";
    QTest::newRow("server") << QStringList{"--server", "db.example:7400"} << "db.example" << 7400
                            << false << "";
    QTest::newRow("server with IPv6")
        << QStringList{"--server", "::1:7400"} << "::1" << 7400 << false << "";
    QTest::newRow("server without port")
        << QStringList{"--server", "db.example"} << "" << 0 << false << "--server";
    QTest::newRow("port zero") << QStringList{"--server", "h:0"} << "" << 0 << false << "--server";
    QTest::newRow("port too big") << QStringList{"--server", "h:70000"} << "" << 0 << false
                                  << "--server";
    QTest::newRow("open") << QStringList{"--open"} << "" << 0 << true << "";
    QTest::newRow("screenshot opens")
        << QStringList{"--screenshot", "x.png"} << "" << 0 << true << "";
    QTest::newRow("unknown option") << QStringList{"--bogus"} << "" << 0 << false << "Unknown";
}

void tst_HostApp::options() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(bool, open);
    QFETCH(QString, error);
    arguments.prepend(QStringLiteral("ciap"));
    try {
        const AppOptions o = AppOptions::parse(arguments);
        QVERIFY2(error.isEmpty(), "accepted a bad command line");
        QCOMPARE(o.serverHost, host);
        QCOMPARE(o.serverPort, port);
        QCOMPARE(o.openScreen, open);
        QCOMPARE(o.hasServer(), port > 0);
    } catch (const EHostError& e) {
        QVERIFY2(!error.isEmpty(), qPrintable(e.text()));
        QVERIFY2(e.text().startsWith(error), qPrintable(e.text()));
    }
    const AppOptions full =
        AppOptions::parse({"ciap", "--token", "S3cret", "--database", "/tmp/x.sqlite", "--package",
                           "/p.so", "--tls-ca", "/ca.pem"});
    QCOMPARE(full.token, QStringLiteral("S3cret"));
    QVERIFY(full.tls); // a CA file means TLS
    QCOMPARE(full.tlsCaFile, QStringLiteral("/ca.pem"));
    QCOMPARE(full.database, QStringLiteral("/tmp/x.sqlite"));
    QCOMPARE(full.package, QStringLiteral("/p.so"));
    QVERIFY(!AppOptions::parse({"ciap", "--help"}).helpText.isEmpty());
}

void tst_HostApp::loaderFindsAndCallsThePackage() {
    PackageLoader loader(QStringLiteral("Pkg_mzr02400"));
    loader.setExplicitPath(QStringLiteral(CIAP_PACKAGE_FILE));
    QVERIFY(!loader.isLoaded());
    loader.callIniProc();
    QVERIFY(loader.isLoaded());
    loader.callIniProc();
    loader.callIniProc();
    QCOMPARE(screens(), 1);
    loader.unload(); // the unit shuts down and takes its screen along
    QCOMPARE(screens(), 0);
    QVERIFY(!loader.isLoaded());

    qputenv("CIAP_PACKAGE", CIAP_PACKAGE_FILE);
    PackageLoader fromEnvironment(QStringLiteral("Pkg_mzr02400"));
    fromEnvironment.load();
    QVERIFY(fromEnvironment.isLoaded());
    qunsetenv("CIAP_PACKAGE");
}

void tst_HostApp::loaderNamesWhatIsMissing() {
    PackageLoader loader(QStringLiteral("Pkg_inexistente"));
    try {
        loader.load();
        QFAIL("loaded a package that does not exist");
    } catch (const EHostError& e) {
        QVERIFY(e.text().contains(QStringLiteral("Pkg_inexistente")));
    }
}

void tst_HostApp::menuOpensOneScreen() {
    PackageLoader loader(QStringLiteral("Pkg_mzr02400"));
    loader.setExplicitPath(QStringLiteral(CIAP_PACKAGE_FILE));
    {
        HostMainWindow window(&loader);
        window.show();
        QCOMPARE(HostApplication::mdiArea(), window.mdiArea());
        QCOMPARE(window.ciapAction()->text(), QStringLiteral("Controle de Crédito Imobilizado"));
        window.ciapAction()->trigger();
        window.ciapAction()->trigger();
        QCOMPARE(window.mdiArea()->subWindowList().size(), 1);
        QMdiSubWindow* sub = window.mdiArea()->subWindowList().first();
        QVERIFY(sub->widget()->inherits("TfrmCIAP"));
        QVERIFY(sub->isVisible());
        QCOMPARE(window.mdiArea()->activeSubWindow(), sub);
    }
    QCOMPARE(screens(), 0);
    QVERIFY(!HostApplication::mdiArea());
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_HostApp::closingTheHostClosesTheScreens() {
    PackageLoader loader(QStringLiteral("Pkg_mzr02400"));
    loader.setExplicitPath(QStringLiteral(CIAP_PACKAGE_FILE));
    HostMainWindow window(&loader);
    window.show();
    QVERIFY(window.openScreen());
    QTRY_COMPARE(m_server.openConnections(), 1);
    QVERIFY(window.close());
    // Each screen ran its own close: the connection is closed and the screen freed.
    QTRY_COMPARE(m_server.openConnections(), 0);
    QTRY_COMPARE(screens(), 0);
}

void tst_HostApp::failedOpeningIsShown() {
    PackageLoader loader(QStringLiteral("Pkg_inexistente"));
    HostMainWindow window(&loader);
    QVERIFY(!window.openScreen());
    QCOMPARE(m_dialogs.errors().size(), 1);
    QVERIFY(m_dialogs.errors().first().contains(QStringLiteral("Pkg_inexistente")));
}

void tst_HostApp::serverFromCommandLine() {
    QTemporaryDir dir;
    AppOptions options;
    options.serverHost = QStringLiteral("10.1.2.3");
    options.serverPort = 7400;
    options.token = QStringLiteral("S3cret");
    options.database = dir.filePath(QStringLiteral("registers.sqlite"));
    HostRunner runner(options);
    runner.configure();
    QCOMPARE(WebURL(), QStringLiteral("10.1.2.3"));
    QCOMPARE(WebPort(), 7400);
    QCOMPARE(webToken(), QStringLiteral("S3cret"));
    QVERIFY(!runner.embeddedServer());
    QVERIFY(dtmDBGeral().isOpen());
    QCOMPARE(dtmDBGeral().databaseSpec(), options.database);
    dtmDBGeral().close();
    setWebToken(QString());
}

void tst_HostApp::serverFromSettings() {
    HostSettings::storeServer(QStringLiteral("192.0.2.10"), 7411);
    HostSettings::clearOverrides();
    HostRunner runner{AppOptions{}};
    runner.configure();
    QVERIFY(!runner.embeddedServer());
    QCOMPARE(WebURL(), QStringLiteral("192.0.2.10"));
    QCOMPARE(WebPort(), 7411);
    // The command line wins over the settings.
    AppOptions options;
    options.serverHost = QStringLiteral("127.0.0.1");
    options.serverPort = 7999;
    HostRunner other(options);
    other.configure();
    QCOMPARE(WebPort(), 7999);
    HostSettings::storeServer(QString(), 0);
}

void tst_HostApp::embeddedServer() {
#ifndef CIAP_SERVER_FILE
    QSKIP("the application server is not part of this build");
#else
    qputenv("CIAP_SERVER_BIN", CIAP_SERVER_FILE);
    HostSettings::clearOverrides();
    QPointer<QObject> guard;
    {
        HostRunner runner{AppOptions{}};
        runner.configure();
        QVERIFY(runner.embeddedServer());
        QVERIFY(runner.embeddedServer()->isRunning());
        QCOMPARE(WebURL(), QStringLiteral("127.0.0.1"));
        QVERIFY(WebPort() > 0);
        QCOMPARE(dtmDBGeral().databaseSpec(), HostRunner::localDatabaseFile());

        // The server answers, and the host's own SQL sees the same demo registers.
        TNetConnection connection;
        connection.SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
        connection.BeforeConnect = [](TNetConnection& c) {
            c.SetHost(WebURL());
            c.SetPort(WebPort());
        };
        const QVariant kind = CheckResultServ(
            connection.Call(QStringLiteral("getVerificaImposto"), {QStringLiteral("01")}), true, 0);
        QCOMPARE(kind.toList().size(), 1);
        QVERIFY(m_dialogs.entries.isEmpty());
        QVERIFY(dtmDBGeral().isOpen());
    }
    // The server stopped with the host: nobody answers at its port any more.
    TNetConnection after;
    after.SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
    after.SetHost(WebURL());
    after.SetPort(WebPort());
    after.setConnectTimeoutMs(2000);
    const auto reply = after.Call(QStringLiteral("getVerificaImposto"), {QStringLiteral("01")})
                           .value<ciap::RpcReply>();
    QVERIFY(reply.isError);
    dtmDBGeral().close();
    qunsetenv("CIAP_SERVER_BIN");
#endif
}

void tst_HostApp::embeddedServerThatDoesNotStart() {
    qputenv("CIAP_SERVER_BIN", "/bin/false");
    EmbeddedServer server;
    try {
        server.start(QStringLiteral("/nonexistent/ciap.sqlite"), 5000);
        QFAIL("a server that exits at once was taken as started");
    } catch (const EHostError& e) {
        QVERIFY(e.text().startsWith(QStringLiteral("O servidor de aplicação não iniciou.")));
    }
    QVERIFY(!server.isRunning());
    qunsetenv("CIAP_SERVER_BIN");
}

// Help and version are asked for where no window can open: a terminal without a display.
void tst_HostApp::textAnswersWithoutADisplay_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("expected");
    QTest::newRow("help") << "--help"
                          << "--server <host:port>";
    QTest::newRow("help with Qt's options") << "--help-all"
                                            << "--server <host:port>";
    QTest::newRow("version") << "--version"
                             << "ciap 0.";
}

void tst_HostApp::textAnswersWithoutADisplay() {
    QFETCH(QString, option);
    QFETCH(QString, expected);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(CIAP_APP_FILE), {option});
    QVERIFY(app.waitForFinished(15000));
    QCOMPARE(app.exitStatus(), QProcess::NormalExit);
    QCOMPARE(app.exitCode(), 0);
    QVERIFY2(QString::fromLocal8Bit(app.readAllStandardOutput()).contains(expected),
             app.readAllStandardError().constData());
}

int main(int argc, char** argv) {
    // The user's own settings and data stay untouched.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toUtf8());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ciap"));
    QApplication::setApplicationName(QStringLiteral("ciap"));
    tst_HostApp test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hostapp.moc"
