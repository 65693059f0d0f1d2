#pragma once

#include <QLibrary>
#include <QString>
#include <QStringList>

// Loads a screen package and calls its entries: Initialize once per load, IniProc whenever
// the user asks for the screen, Finalize before the library goes.
class PackageLoader final {
public:
    explicit PackageLoader(QString packageName);
    ~PackageLoader();
    PackageLoader(const PackageLoader&) = delete;
    PackageLoader& operator=(const PackageLoader&) = delete;

    // Where the package is looked for, in order: the explicit path, env CIAP_PACKAGE, next to
    // the application's build tree (../module), the install tree (../lib/ciap).
    QStringList candidates() const;
    void setExplicitPath(const QString& path) { m_explicitPath = path; }

    // Throws EHostError naming what is missing.
    void load();
    void callIniProc(); // loads first when needed
    void unload();
    bool isLoaded() const { return m_library.isLoaded(); }
    QString fileName() const { return m_library.fileName(); }

private:
    using Proc = void (*)();
    Proc resolve(const char* symbol);

    QString m_packageName;
    QString m_explicitPath;
    QLibrary m_library;
    Proc m_iniProc = nullptr;
    Proc m_finalize = nullptr;
};
