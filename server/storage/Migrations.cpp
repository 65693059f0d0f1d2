#include "Migrations.h"

#include "CfopSeed.h"
#include "SchemaVersion3.h"
#include "SchemaVersion4.h"
#include "Session.h"
#include "SqlStatement.h"
#include "StorageError.h"
#include "StorageLog.h"
#include "TransactionGuard.h"

#include <QSqlError>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

namespace ciap::server {

namespace {

// The month's outgoing values item by item, the CFOP table and each state's choices. Figures of
// the new columns are whole cents (BIGINT), never binary floating point. Every invoice of
// version 1 becomes a header without model, series or key and one or two items of CFOP 5.949
// ("outra saída não especificada", the operation being unknown): its taxed value as CST 00, the
// rest as CST 41, so that the month's total and taxed values stay what they were.
QStringList version2() {
    QStringList sql{
        // States are spelled in capitals everywhere, so that the tables meet by plain equality.
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN SGUF VARCHAR(2) CHECK (LENGTH(SGUF) = 2 "
                       "AND SGUF = UPPER(SGUF))"),
        QStringLiteral("CREATE TABLE UFCIAP ("
                       " SGUF VARCHAR(2) NOT NULL PRIMARY KEY CHECK (LENGTH(SGUF) = 2 AND SGUF = "
                       "UPPER(SGUF)),"
                       " IDPARCSAIDA VARCHAR(1) NOT NULL DEFAULT 'S' CHECK (IDPARCSAIDA IN ('S', "
                       "'N')))"),
        QStringLiteral("CREATE TABLE CFOPSAIDA ("
                       " CDCFOP VARCHAR(4) NOT NULL CHECK (LENGTH(CDCFOP) = 4 AND SUBSTR(CDCFOP, "
                       "1, 1) IN ('5', '6', '7')),"
                       " SGUF VARCHAR(2) NOT NULL DEFAULT '' CHECK (SGUF = UPPER(SGUF)),"
                       " NMCFOP VARCHAR(400) NOT NULL DEFAULT '',"
                       " IDCONTATOTAL VARCHAR(1) NOT NULL CHECK (IDCONTATOTAL IN ('S', 'N')),"
                       " IDCONTATRIBUTADA VARCHAR(1) NOT NULL CHECK (IDCONTATRIBUTADA IN ('S', "
                       "'N')),"
                       " PRIMARY KEY (CDCFOP, SGUF))"),
    };
    sql << CfopSeed::statements();
    const QString taxed = QStringLiteral("CAST(ROUND(VRTRIBNF * 100) AS BIGINT)");
    const QString total = QStringLiteral("CAST(ROUND(VRTOTALNF * 100) AS BIGINT)");
    const QString item = QStringLiteral(
        "INSERT INTO NFSAIDAITEM (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA, NRITEM,"
        " CDCFOP, CDORIGEM, CDSITTRIB, VRCONTABILCENT, VRICMSCENT) ");
    sql << QStringLiteral("DROP INDEX NFSAIDA_EMISSAO")
        << QStringLiteral("ALTER TABLE NFSAIDA RENAME TO NFSAIDAV1")
        << QStringLiteral("CREATE TABLE NFSAIDA ("
                          " CDEMPRESA VARCHAR(2) NOT NULL,"
                          " CDINSCESTA VARCHAR(16) NOT NULL,"
                          " CDMODELO VARCHAR(2) NOT NULL,"
                          " NRSERIE VARCHAR(3) NOT NULL,"
                          " NRNFSAIDA VARCHAR(20) NOT NULL,"
                          " CHNFE VARCHAR(44) UNIQUE,"
                          " DTEMISSAONF DATE NOT NULL,"
                          " IDCANCELADA VARCHAR(1) NOT NULL DEFAULT 'N' CHECK (IDCANCELADA IN "
                          "('S', 'N')),"
                          " PRIMARY KEY (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA),"
                          " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                          "CDINSCESTA))")
        << QStringLiteral(
               "CREATE INDEX NFSAIDA_EMISSAO ON NFSAIDA (CDEMPRESA, CDINSCESTA, DTEMISSAONF)")
        << QStringLiteral("CREATE TABLE NFSAIDAITEM ("
                          " CDEMPRESA VARCHAR(2) NOT NULL,"
                          " CDINSCESTA VARCHAR(16) NOT NULL,"
                          " CDMODELO VARCHAR(2) NOT NULL,"
                          " NRSERIE VARCHAR(3) NOT NULL,"
                          " NRNFSAIDA VARCHAR(20) NOT NULL,"
                          " NRITEM INTEGER NOT NULL CHECK (NRITEM >= 1),"
                          " CDCFOP VARCHAR(4) NOT NULL,"
                          " CDORIGEM VARCHAR(1),"
                          " CDSITTRIB VARCHAR(3) NOT NULL,"
                          " VRCONTABILCENT BIGINT NOT NULL,"
                          " VRICMSCENT BIGINT NOT NULL DEFAULT 0,"
                          " PRIMARY KEY (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA, "
                          "NRITEM),"
                          " FOREIGN KEY (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA)"
                          "  REFERENCES NFSAIDA (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE, "
                          "NRNFSAIDA) ON DELETE CASCADE)")
        << QStringLiteral("INSERT INTO NFSAIDA (CDEMPRESA, CDINSCESTA, CDMODELO, NRSERIE,"
                          " NRNFSAIDA, CHNFE, DTEMISSAONF, IDCANCELADA) SELECT CDEMPRESA,"
                          " CDINSCESTA, '', '', NRNFSAIDA, NULL, DTEMISSAONF, 'N' FROM NFSAIDAV1")
        << item + QStringLiteral("SELECT CDEMPRESA, CDINSCESTA, '', '', NRNFSAIDA, 1, '5949', "
                                 "NULL, '00', %1, 0 FROM NFSAIDAV1 WHERE %1 <> 0")
                      .arg(taxed)
        << item + QStringLiteral("SELECT CDEMPRESA, CDINSCESTA, '', '', NRNFSAIDA, CASE WHEN %1 "
                                 "<> 0 THEN 2 ELSE 1 END, '5949', NULL, '41', %2 - %1, 0 FROM "
                                 "NFSAIDAV1 WHERE %2 - %1 <> 0 OR %1 = 0")
                      .arg(taxed, total)
        << QStringLiteral("DROP TABLE NFSAIDAV1");
    return sql;
}

// Types that both backends accept with the same meaning: SQLite maps them to its affinities.
const std::vector<QStringList>& steps() {
    static const std::vector<QStringList> all{
        {
            QStringLiteral("CREATE TABLE EMPRESA ("
                           " CDEMPRESA VARCHAR(2) NOT NULL PRIMARY KEY,"
                           " NMEMPRESA VARCHAR(40) NOT NULL)"),
            QStringLiteral("CREATE TABLE IMPOSTO ("
                           " CDIMPOSTO VARCHAR(2) NOT NULL PRIMARY KEY,"
                           " NMIMPOSTO VARCHAR(30) NOT NULL,"
                           " CDTIPOIMPOSTO VARCHAR(2) NOT NULL)"),
            QStringLiteral("CREATE TABLE INSCESTA ("
                           " CDEMPRESA VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),"
                           " CDINSCESTA VARCHAR(16) NOT NULL,"
                           " PRIMARY KEY (CDEMPRESA, CDINSCESTA))"),
            QStringLiteral("CREATE TABLE BEMATIVO ("
                           " CDEMPRESA VARCHAR(2) NOT NULL,"
                           " CDBEMATIVO VARCHAR(10) NOT NULL,"
                           " NMBEMATIVO VARCHAR(50) NOT NULL,"
                           " CDPATRIBEMATIVO VARCHAR(30) NOT NULL DEFAULT '',"
                           " CDINSCESTA VARCHAR(16) NOT NULL,"
                           " DTENTRADA DATE NOT NULL,"
                           " VRICMSPROPRIO DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRICMSST DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRICMSFRETE DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRICMSDIFAL DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " NRPARCELAS INTEGER NOT NULL DEFAULT 48 CHECK (NRPARCELAS >= 1),"
                           " IDTPAPROPPISCOF VARCHAR(2) NOT NULL DEFAULT '01',"
                           " DTSAIDA DATE,"
                           " IDTPSAIDA VARCHAR(1) CHECK (IDTPSAIDA IN ('V', 'P', 'O')),"
                           " PRIMARY KEY (CDEMPRESA, CDBEMATIVO),"
                           " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                           "CDINSCESTA))"),
            QStringLiteral(
                "CREATE INDEX BEMATIVO_ENTRADA ON BEMATIVO (CDEMPRESA, CDINSCESTA, DTENTRADA)"),
            QStringLiteral("CREATE TABLE NFSAIDA ("
                           " CDEMPRESA VARCHAR(2) NOT NULL,"
                           " CDINSCESTA VARCHAR(16) NOT NULL,"
                           " NRNFSAIDA VARCHAR(20) NOT NULL,"
                           " DTEMISSAONF DATE NOT NULL,"
                           " VRTOTALNF DOUBLE PRECISION NOT NULL,"
                           " VRTRIBNF DOUBLE PRECISION NOT NULL,"
                           " PRIMARY KEY (CDEMPRESA, CDINSCESTA, NRNFSAIDA),"
                           " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                           "CDINSCESTA))"),
            QStringLiteral(
                "CREATE INDEX NFSAIDA_EMISSAO ON NFSAIDA (CDEMPRESA, CDINSCESTA, DTEMISSAONF)"),
            QStringLiteral("CREATE TABLE CIAPSEQ ("
                           " CDEMPRESA VARCHAR(2) NOT NULL,"
                           " CDIMPOSTO VARCHAR(2) NOT NULL,"
                           " NRULTSEQ BIGINT NOT NULL,"
                           " PRIMARY KEY (CDEMPRESA, CDIMPOSTO))"),
            QStringLiteral("CREATE TABLE CIAPCOMPET ("
                           " CDEMPRESA VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),"
                           " CDIMPOSTO VARCHAR(2) NOT NULL REFERENCES IMPOSTO (CDIMPOSTO),"
                           " NRSEQCIAP BIGINT NOT NULL,"
                           " CDINSCESTA VARCHAR(16) NOT NULL,"
                           " DTCOMPETECIAP DATE NOT NULL,"
                           " VRSAIDACIAP DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRSAIDATRIBCIAP DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRCOEFICIAP DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRSALDOPARCCIAP DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " VRCREDAPROPCIAP DOUBLE PRECISION NOT NULL DEFAULT 0,"
                           " IDSITCOMPETCIAP VARCHAR(1) NOT NULL DEFAULT 'P' CHECK "
                           "(IDSITCOMPETCIAP IN ('P', 'A')),"
                           " NRQTDBENS INTEGER NOT NULL DEFAULT 0,"
                           " PRIMARY KEY (CDEMPRESA, CDIMPOSTO, NRSEQCIAP),"
                           " UNIQUE (CDEMPRESA, CDIMPOSTO, CDINSCESTA, DTCOMPETECIAP),"
                           " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                           "CDINSCESTA))"),
            QStringLiteral(
                "CREATE INDEX CIAPCOMPET_MES ON CIAPCOMPET (CDEMPRESA, CDIMPOSTO, DTCOMPETECIAP)"),
            QStringLiteral(
                "CREATE TABLE CIAPBEM ("
                " CDEMPRESA VARCHAR(2) NOT NULL,"
                " CDIMPOSTO VARCHAR(2) NOT NULL,"
                " NRSEQCIAP BIGINT NOT NULL,"
                " CDBEMATIVO VARCHAR(10) NOT NULL,"
                " VRPARCELACIAP DOUBLE PRECISION NOT NULL,"
                " VRAPROPARCCIAP DOUBLE PRECISION NOT NULL,"
                " PRIMARY KEY (CDEMPRESA, CDIMPOSTO, NRSEQCIAP, CDBEMATIVO),"
                " FOREIGN KEY (CDEMPRESA, CDIMPOSTO, NRSEQCIAP)"
                "  REFERENCES CIAPCOMPET (CDEMPRESA, CDIMPOSTO, NRSEQCIAP) ON DELETE CASCADE,"
                " FOREIGN KEY (CDEMPRESA, CDBEMATIVO) REFERENCES BEMATIVO (CDEMPRESA, "
                "CDBEMATIVO))"),
        },
        version2(),
        SchemaVersion3::statements(),
        SchemaVersion4::statements(),
    };
    return all;
}

bool versionTableExists(Session& session) {
    QSqlQuery q(session.database());
    // Both backends answer a select on a missing table with an error and nothing else.
    const bool ok = q.exec(QStringLiteral("SELECT NRVERSAO FROM CIAP_SCHEMA"));
    return ok;
}

// The backend's lock around the whole of apply(); given back however apply() ends (a session
// lock would otherwise outlive a failed start in a connection that stays open).
class MigrationLock final {
public:
    explicit MigrationLock(Session& session)
        : m_session(session) {
        const QString sql = session.config().migrationLockSql();
        if (sql.isEmpty())
            return;
        QSqlQuery q(session.database());
        if (!q.exec(sql))
            throw StorageError(QStringLiteral("migration lock"), q.lastError());
        m_held = true;
    }
    ~MigrationLock() {
        if (!m_held)
            return;
        QSqlQuery q(m_session.database());
        if (!q.exec(m_session.config().migrationUnlockSql()))
            m_session.drop(); // closing the connection gives the lock back
    }
    MigrationLock(const MigrationLock&) = delete;
    MigrationLock& operator=(const MigrationLock&) = delete;

private:
    Session& m_session;
    bool m_held = false;
};

} // namespace

int Migrations::currentVersion() {
    return int(steps().size());
}

int Migrations::installedVersion(Session& session) {
    QSqlQuery q(session.database());
    if (!q.exec(QStringLiteral("SELECT MAX(NRVERSAO) FROM CIAP_SCHEMA")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

void Migrations::apply(Session& session, int target) {
    const MigrationLock lock(session);
    session.config().prepare(session.database());
    if (!versionTableExists(session)) {
        // On PostgreSQL a failed statement outside a transaction leaves nothing to clean up.
        QSqlQuery q(session.database());
        if (!q.exec(QStringLiteral(
                "CREATE TABLE IF NOT EXISTS CIAP_SCHEMA (NRVERSAO INTEGER NOT NULL)")))
            throw StorageError(QStringLiteral("create CIAP_SCHEMA"), q.lastError());
    }
    const auto& all = steps();
    const int last = target < 0 ? int(all.size()) : std::min(target, int(all.size()));
    // An up-to-date schema takes no write lock: a server on a database it may only read (a
    // read-only mount, a full disk) still starts, serves the lists and refuses the writes in
    // words the user understands.
    if (installedVersion(session) >= last)
        return;
    for (int version = 1; version <= last; ++version) {
        TransactionGuard tx(session);
        // Read inside the transaction: two servers starting together apply each step once.
        int installed = 0;
        {
            SqlStatement s(session, QStringLiteral("SELECT MAX(NRVERSAO) FROM CIAP_SCHEMA"),
                           "schema version", SqlStatement::Cache::No);
            s.exec();
            if (s.next())
                installed = int(s.integer(0));
        }
        if (installed >= version)
            continue;
        for (const QString& sql : all[std::size_t(version - 1)]) {
            QSqlQuery q(session.database());
            if (!q.exec(sql))
                throw StorageError(QStringLiteral("migration %1").arg(version), q.lastError());
        }
        SqlStatement(session, QStringLiteral("INSERT INTO CIAP_SCHEMA (NRVERSAO) VALUES (?)"),
                     "schema version", SqlStatement::Cache::No)
            .bind(version)
            .exec();
        tx.commit();
        qCInfo(lcStorage, "schema migrated to version %d", version);
    }
}

QStringList Migrations::dataTables() {
    return {QStringLiteral("SAIDAPENDENTE"), QStringLiteral("BEMDOCUMENTO"),
            QStringLiteral("CIAPBEM"),       QStringLiteral("CIAPCOMPET"),
            QStringLiteral("CIAPSEQ"),       QStringLiteral("NFSAIDAITEM"),
            QStringLiteral("NFSAIDA"),       QStringLiteral("BEMATIVO"),
            QStringLiteral("BEMSEQ"),        QStringLiteral("NFENTRADAITEM"),
            QStringLiteral("NFENTRADA"),     QStringLiteral("CTENFE"),
            QStringLiteral("CTE"),           QStringLiteral("NFECANCELADA"),
            QStringLiteral("DOCIMPORTADO"),  QStringLiteral("PARTICIPANTE"),
            QStringLiteral("CONTACONTABIL"), QStringLiteral("CENTROCUSTO"),
            QStringLiteral("INSCESTA"),      QStringLiteral("UFCIAP"),
            QStringLiteral("IMPOSTO"),       QStringLiteral("EMPRESA")};
}

} // namespace ciap::server
