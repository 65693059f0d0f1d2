#pragma once

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <memory>

namespace ciap::server {

class Session;

// One execution of a statement with positional parameters. Statements are prepared once per
// connection and finished when the object goes, so no reader is left holding a snapshot.
// Failures throw StorageError carrying the label.
class SqlStatement final {
public:
    enum class Cache { Yes, No };

    SqlStatement(Session& session, const QString& sql, const char* label, Cache cache = Cache::Yes);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    SqlStatement& bind(const QVariant& value);
    SqlStatement& exec();
    bool next();
    QVariant value(int column) const { return m_query->value(column); }
    QString text(int column) const { return m_query->value(column).toString(); }
    double number(int column) const { return m_query->value(column).toDouble(); }
    qint64 integer(int column) const { return m_query->value(column).toLongLong(); }
    QDate date(int column) const;
    int rowsAffected() const { return m_query->numRowsAffected(); }
    int columnCount() const;

private:
    QSqlQuery* m_query;
    std::unique_ptr<QSqlQuery> m_own;
    const char* m_label;
    int m_next = 0;
};

} // namespace ciap::server
