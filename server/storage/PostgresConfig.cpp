#include "PostgresConfig.h"

#include "StorageError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QUrlQuery>

namespace ciap::server {

PostgresConfig PostgresConfig::fromUrl(const QString& url) {
    const QUrl u(url, QUrl::StrictMode);
    if (!u.isValid() || u.host().isEmpty())
        throw ConfigError(QStringLiteral("--database: not a valid postgresql:// URL"));
    PostgresConfig c;
    c.m_host = u.host();
    c.m_port = u.port(5432);
    c.m_database = u.path().mid(1);
    c.m_user = u.userName(QUrl::FullyDecoded);
    c.m_password = u.password(QUrl::FullyDecoded);
    if (c.m_database.isEmpty())
        throw ConfigError(QStringLiteral("--database: the URL names no database"));
    const QUrlQuery query(u);
    c.m_schema = query.queryItemValue(QStringLiteral("schema"), QUrl::FullyDecoded);
    c.m_sslMode = query.queryItemValue(QStringLiteral("sslmode"), QUrl::FullyDecoded);
    for (const char* name : FileOptions) {
        const QString file = query.queryItemValue(QLatin1String(name), QUrl::FullyDecoded);
        if (file.isEmpty())
            continue;
        // The driver turns ';' into a blank before libpq reads the options.
        if (file.contains(QLatin1Char(';')))
            throw ConfigError(
                QStringLiteral("--database: %1 must not contain ';'").arg(QLatin1String(name)));
        c.m_sslFiles.append({QString::fromLatin1(name), file});
    }
    static const QRegularExpression identifier(QStringLiteral("^[a-z_][a-z0-9_]{0,62}$"));
    if (!c.m_schema.isEmpty() && !identifier.match(c.m_schema).hasMatch())
        throw ConfigError(QStringLiteral("--database: schema must be a lower-case identifier"));
    static const QRegularExpression sslModes(
        QStringLiteral("^(disable|allow|prefer|require|verify-ca|verify-full)?$"));
    if (!sslModes.match(c.m_sslMode).hasMatch())
        throw ConfigError(QStringLiteral("--database: unknown sslmode"));
    return c;
}

QSqlDatabase PostgresConfig::open(const QString& connectionName) const {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(m_host);
    db.setPort(m_port);
    db.setDatabaseName(m_database);
    db.setUserName(m_user);
    db.setPassword(m_password);
    db.setConnectOptions(connectOptions());
    if (!db.open())
        throw StorageError(QStringLiteral("open"), db.lastError());
    return db;
}

namespace {

// A libpq connection value in quotes: a file name may hold blanks, quotes or backslashes.
QString quoted(QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    value.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1Char('\'') + value + QLatin1Char('\'');
}

} // namespace

QString PostgresConfig::connectOptions() const {
    QStringList options{QStringLiteral("connect_timeout=10"),
                        QStringLiteral("application_name=ciap-server")};
    if (!m_sslMode.isEmpty())
        options << QStringLiteral("sslmode=%1").arg(m_sslMode);
    for (const auto& [name, file] : m_sslFiles)
        options << name + QLatin1Char('=') + quoted(file);
    if (!m_schema.isEmpty())
        options << QStringLiteral("options='-c search_path=%1'").arg(m_schema);
    return options.join(QLatin1Char(';'));
}

QString PostgresConfig::describe() const {
    QString d =
        QStringLiteral("PostgreSQL %1@%2:%3/%4").arg(m_user, m_host).arg(m_port).arg(m_database);
    if (!m_schema.isEmpty())
        d += QStringLiteral(" schema %1").arg(m_schema);
    if (!m_sslMode.isEmpty())
        d += QStringLiteral(" sslmode %1").arg(m_sslMode);
    return d;
}

// One lock per schema (the name was checked to be a plain identifier): installations in other
// schemas of the same database start independently.
QString PostgresConfig::migrationLockSql() const {
    return QStringLiteral("SELECT pg_advisory_lock(hashtext('ciap migrations %1'))")
        .arg(m_schema.isEmpty() ? QStringLiteral("public") : m_schema);
}

QString PostgresConfig::migrationUnlockSql() const {
    return QStringLiteral("SELECT pg_advisory_unlock(hashtext('ciap migrations %1'))")
        .arg(m_schema.isEmpty() ? QStringLiteral("public") : m_schema);
}

void PostgresConfig::prepare(QSqlDatabase& db) const {
    if (m_schema.isEmpty())
        return;
    // The name was checked to be a plain identifier when the URL was read.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1").arg(m_schema)))
        throw StorageError(QStringLiteral("create schema"), q.lastError());
}

} // namespace ciap::server
