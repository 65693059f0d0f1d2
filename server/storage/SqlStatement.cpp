#include "SqlStatement.h"

#include "Session.h"
#include "StorageError.h"

#include <QDate>
#include <QSqlError>
#include <QSqlRecord>

namespace ciap::server {

SqlStatement::SqlStatement(Session& session, const QString& sql, const char* label, Cache cache)
    : m_label(label) {
    if (cache == Cache::Yes) {
        m_query = &session.prepared(sql);
    } else {
        m_own = std::make_unique<QSqlQuery>(session.database());
        m_own->setForwardOnly(true);
        if (!m_own->prepare(sql))
            throw StorageError(QString::fromLatin1(label), m_own->lastError());
        m_query = m_own.get();
    }
}

SqlStatement::~SqlStatement() {
    m_query->finish();
}

SqlStatement& SqlStatement::bind(const QVariant& value) {
    m_query->bindValue(m_next++, value);
    return *this;
}

SqlStatement& SqlStatement::exec() {
    if (!m_query->exec())
        throw StorageError(QString::fromLatin1(m_label), m_query->lastError());
    return *this;
}

bool SqlStatement::next() {
    return m_query->next();
}

QDate SqlStatement::date(int column) const {
    const QVariant v = m_query->value(column);
    if (v.isNull())
        return {};
    if (v.metaType().id() == QMetaType::QDate)
        return v.toDate();
    if (v.metaType().id() == QMetaType::QDateTime)
        return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

int SqlStatement::columnCount() const {
    return m_query->record().count();
}

} // namespace ciap::server
