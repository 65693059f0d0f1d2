#pragma once

#include "DatabaseConfig.h"

#include <QStringList>

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

    // Extra pragmas from env CIAP_SQLITE_DRILL ("query_only=ON;max_page_count=10"), run on
    // every connection; only query_only and max_page_count are accepted.
    static QStringList drillPragmas();

private:
    QString m_path;
};

} // namespace ciap::server
