#include "PackageLoader.h"

#include "HostErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

PackageLoader::PackageLoader(QString packageName)
    : m_packageName(std::move(packageName)) {}

PackageLoader::~PackageLoader() {
    unload();
}

QStringList PackageLoader::candidates() const {
    QStringList paths;
    if (!m_explicitPath.isEmpty())
        paths << m_explicitPath;
    const QString env = qEnvironmentVariable("CIAP_PACKAGE");
    if (!env.isEmpty())
        paths << env;
    const QDir appDir(QCoreApplication::applicationDirPath());
    const QString file = m_packageName + QStringLiteral(".so");
    paths << appDir.filePath(QStringLiteral("../module/") + file)
          << appDir.filePath(QStringLiteral("../lib/ciap/") + file);
    return paths;
}

void PackageLoader::load() {
    if (m_library.isLoaded())
        return;
    QString found;
    for (const QString& path : candidates()) {
        if (QFileInfo::exists(path)) {
            found = QFileInfo(path).absoluteFilePath();
            break;
        }
    }
    if (found.isEmpty())
        throw EHostError(QStringLiteral("Pacote %1 não encontrado (procurado em: %2).")
                             .arg(m_packageName, candidates().join(QStringLiteral(", "))));
    m_library.setFileName(found);
    if (!m_library.load())
        throw EHostError(QStringLiteral("Não foi possível carregar o pacote %1: %2")
                             .arg(found, m_library.errorString()));
    try {
        Proc initialize = resolve("Initialize");
        m_iniProc = resolve("IniProc");
        m_finalize = resolve("Finalize");
        initialize();
    } catch (...) {
        m_library.unload();
        m_iniProc = m_finalize = nullptr;
        throw;
    }
}

PackageLoader::Proc PackageLoader::resolve(const char* symbol) {
    auto proc = reinterpret_cast<Proc>(m_library.resolve(symbol));
    if (!proc)
        throw EHostError(QStringLiteral("O pacote %1 não exporta %2.")
                             .arg(m_library.fileName(), QString::fromLatin1(symbol)));
    return proc;
}

void PackageLoader::callIniProc() {
    load();
    m_iniProc();
}

void PackageLoader::unload() {
    if (!m_library.isLoaded())
        return;
    if (m_finalize)
        m_finalize();
    m_iniProc = m_finalize = nullptr;
    m_library.unload();
}
