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
    QStringList options{QStringLiteral("connect_timeout=10"),
                        QStringLiteral("application_name=ciap-server")};
    if (!m_sslMode.isEmpty())
        options << QStringLiteral("sslmode=%1").arg(m_sslMode);
    if (!m_schema.isEmpty())
        options << QStringLiteral("options='-c search_path=%1'").arg(m_schema);
    db.setConnectOptions(options.join(QLatin1Char(';')));
    if (!db.open())
        throw StorageError(QStringLiteral("open"), db.lastError());
    return db;
}

QString PostgresConfig::describe() const {
    QString d =
        QStringLiteral("PostgreSQL %1@%2:%3/%4").arg(m_user, m_host).arg(m_port).arg(m_database);
    if (!m_schema.isEmpty())
        d += QStringLiteral(" schema %1").arg(m_schema);
    return d;
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
