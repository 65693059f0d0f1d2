#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

class QSqlError;

namespace ciap::server {

// A database failure. The label names the statement; the driver's text stays out of the
// reply (the user reads a plain message) and reaches the log only as logText() gives it.
class StorageError : public std::exception {
public:
    StorageError(QString label, const QSqlError& error);
    StorageError(QString label, QString nativeCode, QString driverText);

    const QString& label() const { return m_label; }
    const QString& nativeCode() const { return m_nativeCode; }
    const QString& driverText() const { return m_driverText; }
    // For the log: the label, the driver's message and its code. Of a statement's message only
    // the first line, because PostgreSQL's further lines (DETAIL) quote stored values; a
    // failure to connect quotes none and is given whole.
    QString logText() const;
    bool busy() const;     // the database stayed locked past the wait, or had no connection free
    bool readOnly() const; // the database refuses writes (read-only file, mount or replica)
    bool full() const;     // no room left: disk full or the file at its size cap
    // A unique key taken by a concurrent writer since it was checked: the row changed meanwhile.
    bool duplicateKey() const;
    // A row the schema refuses (a key taken, a value out of its check or its width): the
    // fault of the data written, not of the database.
    bool constraint() const;
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_label;
    QString m_nativeCode;
    QString m_driverText;
    QString m_databaseText;
    bool m_connecting = false;
    QByteArray m_what;
};

} // namespace ciap::server
