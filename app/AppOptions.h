#pragma once

#include <QString>
#include <QStringList>

// What the host application was asked to do, from its command line.
struct AppOptions {
    QString serverHost; // --server host:port
    int serverPort = 0;
    QString token;           // --token
    bool tls = false;        // --tls, or implied by --tls-ca
    QString tlsCaFile;       // --tls-ca: the only certificate authority to trust
    QString database;        // --database: SQLite file or postgresql:// URL for the SQL lookups
    QString package;         // --package: the screen package's file
    bool openScreen = false; // --open
    QString screenshot;      // --screenshot: grab the window once the screen is open, then quit
    bool embedded = false;   // --embedded: start an own server even when one is configured
    QString helpText;        // --help or --version: print it and stop

    bool hasServer() const { return !serverHost.isEmpty() && serverPort > 0; }

    // Throws EHostError with the text to print for a malformed line.
    static AppOptions parse(const QStringList& arguments);
    // The line asks only for the help or the version.
    static bool answersWithoutWindow(int argc, const char* const* argv);
};
