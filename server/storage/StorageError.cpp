#include "StorageError.h"

#include <QSqlError>
#include <QStringList>

namespace ciap::server {

StorageError::StorageError(QString label, const QSqlError& error)
    : StorageError(std::move(label), error.nativeErrorCode(), error.text()) {
    m_connecting = error.type() == QSqlError::ConnectionError;
    // The database's own words; the driver's add only what it was doing ("Unable to fetch row").
    if (!error.databaseText().trimmed().isEmpty())
        m_databaseText = error.databaseText();
}

StorageError::StorageError(QString label, QString nativeCode, QString driverText)
    : m_label(std::move(label))
    , m_nativeCode(std::move(nativeCode))
    , m_driverText(std::move(driverText))
    , m_databaseText(m_driverText)
    , m_what(
          QStringLiteral("database failure in %1 (code %2)").arg(m_label, m_nativeCode).toUtf8()) {}

QString StorageError::logText() const {
    QStringList lines;
    for (const QString& line : m_databaseText.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (!line.trimmed().isEmpty())
            lines << line.simplified();
    }
    if (!m_connecting && lines.size() > 1)
        lines = lines.mid(0, 1);
    const QString message = lines.isEmpty() ? QStringLiteral("no message") : lines.join(u' ');
    // libpq gives no SQLSTATE for a failure to connect: the message is all there is.
    return QStringLiteral("in %1: %2 (code %3)")
        .arg(m_label, message, m_nativeCode.isEmpty() ? QStringLiteral("none") : m_nativeCode);
}

bool StorageError::busy() const {
    // SQLite: 5 SQLITE_BUSY, 6 SQLITE_LOCKED; PostgreSQL: 40001 serialization, 40P01 deadlock,
    // 55P03 lock not available, 53300 too many connections (given by text when connecting).
    static const QStringList codes{QStringLiteral("5"),     QStringLiteral("6"),
                                   QStringLiteral("40001"), QStringLiteral("40P01"),
                                   QStringLiteral("55P03"), QStringLiteral("53300")};
    if (codes.contains(m_nativeCode))
        return true;
    return m_connecting && (m_driverText.contains(QLatin1String("too many clients")) ||
                            m_driverText.contains(QLatin1String("too many connections")) ||
                            m_driverText.contains(QLatin1String("connection slots are reserved")));
}

bool StorageError::readOnly() const {
    // SQLite: 8 SQLITE_READONLY; PostgreSQL: 25006 read_only_sql_transaction.
    return m_nativeCode == QLatin1String("8") || m_nativeCode == QLatin1String("25006");
}

bool StorageError::full() const {
    // SQLite: 13 SQLITE_FULL; PostgreSQL: 53100 disk_full.
    return m_nativeCode == QLatin1String("13") || m_nativeCode == QLatin1String("53100");
}

bool StorageError::duplicateKey() const {
    // PostgreSQL: 23505 unique_violation; SQLite: 2067 SQLITE_CONSTRAINT_UNIQUE, 1555
    // SQLITE_CONSTRAINT_PRIMARYKEY.
    static const QStringList codes{QStringLiteral("23505"), QStringLiteral("2067"),
                                   QStringLiteral("1555")};
    return codes.contains(m_nativeCode);
}

bool StorageError::constraint() const {
    // SQLite: 19 SQLITE_CONSTRAINT and its extended codes (19 in the low byte); PostgreSQL:
    // class 23 (integrity) and 22001 (a value too long for its column).
    bool number = false;
    const int code = m_nativeCode.toInt(&number);
    if (number)
        return (code & 0xff) == 19;
    return m_nativeCode.startsWith(QLatin1String("23")) || m_nativeCode == QLatin1String("22001");
}

} // namespace ciap::server
