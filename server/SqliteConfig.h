#pragma once

#include "DatabaseConfig.h"

namespace ciap::server {

// A SQLite file in WAL mode: readers never wait for the writer; writers take the write lock
// when their transaction begins, so two writers queue instead of failing halfway.
class SqliteConfig final : public DatabaseConfig {
public:
    static constexpr int BusyTimeoutMs = 10000;

    explicit SqliteConfig(QString path)
        : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }
    Backend backend() const override { return Backend::Sqlite; }
    QSqlDatabase open(const QString& connectionName) const override;
    QString describe() const override { return QStringLiteral("SQLite %1").arg(m_path); }
    QString beginWriteSql() const override { return QStringLiteral("BEGIN IMMEDIATE"); }
    QString lockClause() const override { return {}; }

private:
    QString m_path;
};

} // namespace ciap::server
