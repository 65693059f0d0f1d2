#include "BenchDatabase.h"

#include "CompetenciaStore.h"
#include "Keys.h"
#include "Migrations.h"
#include "MonthLoader.h"
#include "RegisterStore.h"
#include "Session.h"
#include "SqlStatement.h"
#include "SqliteConfig.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

#include <QDate>
#include <QFile>

using namespace ciap::server;

namespace {

void exec(Session& s, const QString& sql, const QVariantList& values = {}) {
    SqlStatement st(s, sql, "bench", SqlStatement::Cache::No);
    for (const QVariant& v : values)
        st.bind(v);
    st.exec();
}

} // namespace

void BenchDatabase::create() {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(m_path + QLatin1String(suffix));
    SqliteConfig config(m_path);
    Session s(config, QStringLiteral("bench-setup"));
    Migrations::apply(s);
    TransactionGuard tx(s);
    exec(s, QStringLiteral(
                "INSERT INTO EMPRESA (CDEMPRESA, NMEMPRESA) VALUES ('01', 'EMPRESA BENCH LTDA')"));
    exec(s, QStringLiteral("INSERT INTO IMPOSTO (CDIMPOSTO, NMIMPOSTO, CDTIPOIMPOSTO) VALUES "
                           "('01', 'ICMS', '01'), ('02', 'ICMS INTEGRAL', '50')"));
    exec(s,
         QStringLiteral(
             "INSERT INTO INSCESTA (CDEMPRESA, CDINSCESTA) VALUES ('01', '111'), ('01', '222')"));
    // Assets of registration 111 enter one group per month so that each month loads its own
    // count: month 01 → 1,000; 02 → 10,000; 03 → 100,000 (all still in their 48 months).
    int number = 1;
    const QString sql = QStringLiteral(
        "INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO, CDINSCESTA, "
        "DTENTRADA,"
        " VRICMSPROPRIO, VRICMSFRETE, IDTPAPROPPISCOF) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    const int groups[] = {1000, 9000, 90000};
    for (int g = 0; g < 3; ++g) {
        const QDate entry(2024, g + 1, 5);
        for (int i = 0; i < groups[g]; ++i, ++number) {
            SqlStatement st(s, sql, "bench asset");
            st.bind("01")
                .bind(Keys::pad(QString::number(number), Keys::AssetWidth).value())
                .bind(QStringLiteral("Máquina industrial modelo %1").arg(number % 977))
                .bind(QStringLiteral("PAT-%1").arg(number, 8, 10, QLatin1Char('0')))
                .bind("111")
                .bind(entry)
                .bind(1000.0 + (number % 5000))
                .bind(number % 3 == 0 ? 35.5 : 0.0)
                .bind(number % 10 == 0 ? "09" : "01")
                .exec();
        }
    }
    for (int i = 0; i < 20; ++i, ++number) {
        SqlStatement st(s, sql, "bench asset");
        st.bind("01")
            .bind(Keys::pad(QString::number(number), Keys::AssetWidth).value())
            .bind(QStringLiteral("Bem 222 %1").arg(i))
            .bind(QStringLiteral("P222-%1").arg(i))
            .bind("222")
            .bind(QDate(2020, 1, 1))
            .bind(4800.0)
            .bind(0.0)
            .bind("01")
            .exec();
    }
    RegisterStore registers(s);
    CompetenciaStore store(s);
    const TaxInfo icms = registers.tax(QStringLiteral("01")).value();
    TaxTablesStore tables(s);
    MonthLoader loader(registers, tables, store);
    for (int g = 0; g < 3; ++g) {
        CompetenciaRow row;
        row.company = QStringLiteral("01");
        row.tax = icms.code;
        row.registration = QStringLiteral("111");
        row.month = Month(2024, g + 1);
        row.total = 1000;
        row.taxed = 750;
        row.sequence = store.nextSequence(row.company, row.tax);
        store.insert(row);
        loader.loadAssets(row, icms);
        m_sequences << Keys::formatSequence(row.sequence);
    }
    tx.commit();
}

QString BenchDatabase::sequenceFor(int assets) const {
    return m_sequences.value(assets == 1000 ? 0 : assets == 10000 ? 1 : 2);
}

QString BenchDatabase::monthFor(int assets) const {
    return assets == 1000    ? QStringLiteral("01/2024")
           : assets == 10000 ? QStringLiteral("02/2024")
                             : QStringLiteral("03/2024");
}
