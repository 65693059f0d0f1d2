#pragma once

#include "AppOptions.h"

#include <memory>

class EmbeddedServer;
class HostMainWindow;
class PackageLoader;

// Puts the host together: where the application server and the registers' database are
// (command line, else the user's settings, else an embedded server on a local demo database),
// the main window, and what to do at start-up.
class HostRunner final {
public:
    explicit HostRunner(AppOptions options);
    ~HostRunner();
    HostRunner(const HostRunner&) = delete;
    HostRunner& operator=(const HostRunner&) = delete;

    // Throws EHostError when neither a server nor the embedded one can be had.
    void configure();
    HostMainWindow* window();
    PackageLoader* loader() const { return m_loader.get(); }
    EmbeddedServer* embeddedServer() const { return m_server.get(); }

    // configure, show the window, open the screen when asked, run the event loop.
    int run();

    // The embedded server's database: a SQLite file in the user's data directory.
    static QString localDatabaseFile();
    // The registers' database configured in the user's settings (key Database/Location).
    static QString storedDatabase();

private:
    void takeScreenshot();

    AppOptions m_options;
    std::unique_ptr<EmbeddedServer> m_server;
    std::unique_ptr<PackageLoader> m_loader;
    std::unique_ptr<HostMainWindow> m_window;
};
