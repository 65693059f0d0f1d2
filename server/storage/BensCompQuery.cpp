#include "BensCompQuery.h"

#include "PacketWriter.h"
#include "Packets.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"

#include <QSqlDriver>
#include <sqlite3.h>

namespace ciap::server {

QString BensCompQuery::sql() {
    return QStringLiteral(
        "SELECT b.CDEMPRESA, b.CDBEMATIVO, a.NMBEMATIVO, a.CDPATRIBEMATIVO, c.DTCOMPETECIAP,"
        " c.VRCOEFICIAP, b.VRPARCELACIAP, a.IDTPAPROPPISCOF, b.VRAPROPARCCIAP"
        " FROM CIAPCOMPET c"
        " JOIN CIAPBEM b ON b.CDEMPRESA = c.CDEMPRESA AND b.CDIMPOSTO = c.CDIMPOSTO"
        "  AND b.NRSEQCIAP = c.NRSEQCIAP"
        " JOIN BEMATIVO a ON a.CDEMPRESA = b.CDEMPRESA AND a.CDBEMATIVO = b.CDBEMATIVO"
        " WHERE c.CDEMPRESA = ? AND c.CDIMPOSTO = ? AND c.NRSEQCIAP = ? AND c.DTCOMPETECIAP = ?"
        " ORDER BY b.CDBEMATIVO");
}

namespace {

// The SQLite connection under the session's QtSql one: this read alone goes around QtSql, so
// the handle stays here rather than in the session. nullptr off SQLite.
sqlite3* sqliteHandle(Session& session) {
    if (session.config().backend() != DatabaseConfig::Backend::Sqlite)
        return nullptr;
    const QVariant handle = session.database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

// Finalizes on every path, so that no statement keeps the read snapshot open.
struct StatementHolder {
    sqlite3_stmt* stmt = nullptr;
    ~StatementHolder() { sqlite3_finalize(stmt); }
};

void bindText(sqlite3_stmt* stmt, int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void writeTextColumn(PacketWriter& w, sqlite3_stmt* stmt, int column) {
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) {
        w.null();
        return;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    w.textUtf8(text, sqlite3_column_bytes(stmt, column));
}

void spillTo(PacketWriter& w, const BensCompQuery::Spill& spill, qsizetype bytes) {
    if (spill)
        w.spillEvery(bytes, spill);
}

QByteArray viaSqlite(sqlite3* db, Session& session, const QString& company, const QString& tax,
                     qint64 sequence, const Month& month, const BensCompQuery::Spill& spill,
                     qsizetype spillBytes) {
    qsizetype expectedRows = 0;
    {
        SqlStatement count(session,
                           QStringLiteral("SELECT NRQTDBENS FROM CIAPCOMPET WHERE CDEMPRESA = ?"
                                          " AND CDIMPOSTO = ? AND NRSEQCIAP = ?"),
                           "asset count");
        count.bind(company).bind(tax).bind(sequence).exec();
        if (count.next())
            expectedRows = count.integer(0);
    }
    StatementHolder h;
    const QByteArray text = BensCompQuery::sql().toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &h.stmt, nullptr) != SQLITE_OK)
        throw StorageError(QStringLiteral("assets of competência"),
                           QString::number(sqlite3_errcode(db)),
                           QString::fromUtf8(sqlite3_errmsg(db)));
    bindText(h.stmt, 1, company);
    bindText(h.stmt, 2, tax);
    sqlite3_bind_int64(h.stmt, 3, sequence);
    bindText(h.stmt, 4, month.firstDay().toString(Qt::ISODate));

    // About 120 bytes a row; the count is known from the competência.
    PacketWriter w(Packets::bensComp(), spill ? spillBytes + 1024 : expectedRows * 128);
    spillTo(w, spill, spillBytes);
    int rc;
    while ((rc = sqlite3_step(h.stmt)) == SQLITE_ROW) {
        w.beginRow();
        writeTextColumn(w, h.stmt, 0);
        writeTextColumn(w, h.stmt, 1);
        writeTextColumn(w, h.stmt, 2);
        writeTextColumn(w, h.stmt, 3);
        writeTextColumn(w, h.stmt, 4); // stored as YYYY-MM-DD
        w.number(sqlite3_column_double(h.stmt, 5));
        w.number(sqlite3_column_double(h.stmt, 6));
        writeTextColumn(w, h.stmt, 7);
        w.number(sqlite3_column_double(h.stmt, 8));
        w.endRow();
    }
    if (rc != SQLITE_DONE)
        throw StorageError(QStringLiteral("assets of competência"), QString::number(rc),
                           QString::fromUtf8(sqlite3_errmsg(db)));
    return w.finish();
}

QByteArray viaQtSql(Session& session, const QString& company, const QString& tax, qint64 sequence,
                    const Month& month, const BensCompQuery::Spill& spill, qsizetype spillBytes) {
    SqlStatement s(session, BensCompQuery::sql(), "assets of competência");
    s.bind(company).bind(tax).bind(sequence).bind(month.firstDay()).exec();
    PacketWriter w(Packets::bensComp());
    spillTo(w, spill, spillBytes);
    while (s.next()) {
        w.beginRow();
        for (int c : {0, 1, 2, 3})
            w.text(s.text(c));
        w.date(s.date(4));
        w.number(s.number(5));
        w.number(s.number(6));
        w.text(s.text(7));
        w.number(s.number(8));
        w.endRow();
    }
    return w.finish();
}

} // namespace

QByteArray BensCompQuery::packet(Session& session, const QString& company, const QString& tax,
                                 qint64 sequence, const Month& month, const Spill& spill,
                                 qsizetype spillBytes) {
    if (sqlite3* db = sqliteHandle(session))
        return viaSqlite(db, session, company, tax, sequence, month, spill, spillBytes);
    return viaQtSql(session, company, tax, sequence, month, spill, spillBytes);
}

} // namespace ciap::server
