#include "HostRunner.h"

#include "DtmDBGeral.h"
#include "EmbeddedServer.h"
#include "HostErrors.h"
#include "HostMainWindow.h"
#include "HostServices.h"
#include "HostSettings.h"
#include "PackageLoader.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

HostRunner::HostRunner(AppOptions options)
    : m_options(std::move(options))
    , m_loader(std::make_unique<PackageLoader>(QStringLiteral("Pkg_mzr02400"))) {
    m_loader->setExplicitPath(m_options.package);
}

HostRunner::~HostRunner() {
    // The window (and its screens) before the package, the package before the server.
    m_window.reset();
    m_loader.reset();
    m_server.reset();
}

QString HostRunner::localDatabaseFile() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return QDir(dir).filePath(QStringLiteral("ciap.sqlite"));
}

QString HostRunner::storedDatabase() {
    return QSettings(QStringLiteral("ciap"), QStringLiteral("ciap"))
        .value(QStringLiteral("Database/Location"))
        .toString();
}

void HostRunner::configure() {
    if (!m_options.token.isEmpty())
        setWebToken(m_options.token);
    if (m_options.tls)
        setWebTls(true, m_options.tlsCaFile);
    QString database = m_options.database;
    if (m_options.hasServer() && !m_options.embedded) {
        setWebServer(m_options.serverHost, m_options.serverPort);
    } else if (HostSettings::hasStoredServer() && !m_options.embedded) {
        // WebURL/WebPort read the user's settings themselves.
        if (database.isEmpty())
            database = storedDatabase();
    } else {
        if (database.isEmpty())
            database = localDatabaseFile();
        m_server = std::make_unique<EmbeddedServer>();
        m_server->start(database);
        setWebServer(m_server->host(), m_server->port());
        setWebTls(false); // our own server, on loopback, whatever the settings say
    }
    if (!database.isEmpty())
        dtmDBGeral().open(database);
}

HostMainWindow* HostRunner::window() {
    if (!m_window)
        m_window = std::make_unique<HostMainWindow>(m_loader.get());
    return m_window.get();
}

void HostRunner::takeScreenshot() {
    QApplication::processEvents();
    // The screen itself, with its frame, when one is open; the host's window otherwise.
    QWidget* shot = window()->mdiArea()->activeSubWindow();
    if (!shot)
        shot = window();
    shot->grab().save(m_options.screenshot);
    QApplication::quit();
}

int HostRunner::run() {
    if (!runGuarded([this] { configure(); }))
        return 1;
    window()->show();
    if (m_options.openScreen) {
        QTimer::singleShot(0, window(), [this] {
            window()->openScreen();
            if (!m_options.screenshot.isEmpty())
                QTimer::singleShot(500, window(), [this] { takeScreenshot(); });
        });
    }
    return QApplication::exec();
}
