#include "DatabaseConfig.h"

#include "PostgresConfig.h"
#include "SqliteConfig.h"

namespace ciap::server {

std::unique_ptr<DatabaseConfig> DatabaseConfig::fromLocation(const QString& location) {
    const QString loc = location.trimmed();
    if (loc.isEmpty())
        throw ConfigError(
            QStringLiteral("--database is required (a SQLite file or a postgresql:// URL)"));
    if (loc.startsWith(QLatin1String("postgresql://")) ||
        loc.startsWith(QLatin1String("postgres://")))
        return std::make_unique<PostgresConfig>(PostgresConfig::fromUrl(loc));
    QString path = loc;
    if (path.startsWith(QLatin1String("sqlite:")))
        path = path.mid(7);
    if (path.isEmpty())
        throw ConfigError(QStringLiteral("--database: empty SQLite file name"));
    return std::make_unique<SqliteConfig>(path);
}

void DatabaseConfig::prepare(QSqlDatabase&) const {}

} // namespace ciap::server
