// The Bloco G of a month with 100,000 assets, from the database to the file: a SQLite register
// of one registration whose assets are complete for the tax file (most part-way through their
// 48 months, 2 % entering in the month with their purchase invoice and item, 1 % in their last
// month, 1 % sold in it with the sale's invoice), the month loaded and appropriated by the
// server's own services; then the export reads it, builds, validates and writes the file. The
// target is 2 s on 2 cores.
#include "BlocoGExport.h"
#include "ChartStore.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "DocumentStore.h"
#include "EfdFormat.h"
#include "Keys.h"
#include "Migrations.h"
#include "MonthLoader.h"
#include "RegisterStore.h"
#include "RegistryStore.h"
#include "Session.h"
#include "SqlStatement.h"
#include "SqliteConfig.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace ciap::server;

namespace {

constexpr int assetCount = 100000;
const Month month(2024, 6);

QString checked(QString base) {
    base += QString::number(ciap::efd::EfdFormat::mod11(base));
    return base;
}

QString cnpj(int n) {
    return checked(checked(QStringLiteral("%1%2").arg(20000000 + n).arg(1, 4, 10, QChar(u'0'))));
}

QString key(const QString& issuer, const QDate& date, qint64 number) {
    return checked(QStringLiteral("35") + date.toString(u"yyMM") + issuer +
                   QStringLiteral("55001") + QStringLiteral("%1").arg(number, 9, 10, QChar(u'0')) +
                   QStringLiteral("112345678"));
}

void exec(Session& s, const QString& sql, const QVariantList& values = {}) {
    SqlStatement st(s, sql, "bench");
    for (const QVariant& v : values)
        st.bind(v);
    st.exec();
}

// CIAP_BENCH_DATABASE keeps the register between runs (made when the file does not exist).
QString databasePath() {
    static QTemporaryDir dir;
    const QString kept = qEnvironmentVariable("CIAP_BENCH_DATABASE");
    return kept.isEmpty() ? dir.filePath(QStringLiteral("bloco-g.sqlite")) : kept;
}

void createDatabase() {
    SqliteConfig config(databasePath());
    Session s(config, QStringLiteral("bench-setup"));
    Migrations::apply(s);
    TransactionGuard tx(s);
    const QString own = cnpj(0);
    RegistryStore registry(s);
    registry.putCompany(QStringLiteral("01"), QStringLiteral("INDÚSTRIA DE BANCADA LTDA"));
    registry.putTax({QStringLiteral("01"), QStringLiteral("ICMS"), QStringLiteral("01")});
    registry.putRegistration({QStringLiteral("01"), QStringLiteral("110042490114"), own,
                              QStringLiteral("SP"), QStringLiteral("3550308")});
    ChartStore chart(s);
    for (int a = 1; a <= 10; ++a)
        chart.putAccount({QStringLiteral("1.2.3.%1").arg(a),
                          QStringLiteral("Imobilizado grupo %1").arg(a), QStringLiteral("01"),
                          false, 4, QDate(2015, 1, 1)});
    for (int c = 1; c <= 20; ++c)
        chart.putCostCentre(
            {QStringLiteral("CC%1").arg(c), QStringLiteral("Centro %1").arg(c), QDate(2015, 1, 1)});
    chart.putSettings(
        QStringLiteral("01"), QStringLiteral("110042490114"),
        {QStringLiteral("1.2.3.1"), QStringLiteral("CC1"), QStringLiteral("A"), true});
    DocumentStore documents(s);
    for (int p = 1; p <= 200; ++p) {
        Participant part;
        part.id = cnpj(p);
        part.name = QStringLiteral("Fornecedor %1 Ltda").arg(p);
        part.cnpj = part.id;
        part.country = QStringLiteral("1058");
        part.municipality = QStringLiteral("3550308");
        part.street = QStringLiteral("Rua %1").arg(p);
        part.asOf = QDate(2024, 1, 1);
        documents.putParticipant(QStringLiteral("01"), part);
    }
    const QString asset = QStringLiteral(
        "INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO, CDPATRIBEMATIVO, CDINSCESTA,"
        " DTENTRADA, VRICMSPROPRIO, VRICMSST, VRICMSFRETE, NRPARCELAS, DTSAIDA, IDTPSAIDA, CDCONTA,"
        " CDCCUSTO, DSFUNCAO, NRVIDAUTIL, CDITEM, CDUNIDADE) VALUES ('01', ?, ?, '', "
        "'110042490114',"
        " ?, ?, ?, ?, 48, ?, ?, ?, ?, 'Produção', 120, ?, 'UN')");
    const QString document = QStringLiteral(
        "INSERT INTO BEMDOCUMENTO (CDEMPRESA, CDBEMATIVO, IDMOVIMENTO, IDEMITENTE, CDPARTICIPANTE,"
        " CDMODELO, NRSERIE, NRDOCUMENTO, CHDOCUMENTO, DTDOCUMENTO, NRITEM, CDPRODUTO, DSPRODUTO,"
        " QTAPLICADA) VALUES ('01', ?, ?, ?, ?, '55', '1', ?, ?, ?, 1, ?, ?, 100000)");
    quint32 seed = 12345;
    const auto next = [&seed](quint32 mod) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % mod;
    };
    const QVariant none;
    for (int n = 1; n <= assetCount; ++n) {
        const QString code = Keys::pad(QString::number(n), Keys::AssetWidth).value();
        const int kind = n % 100;
        const int age = kind < 2 ? 0 : kind == 2 ? 47 : int(1 + next(46));
        const QDate entry = month.firstDay().addMonths(-age).addDays(int(next(28)));
        const bool sold = kind == 3;
        const QDate exit = sold ? month.firstDay().addDays(int(next(30))) : QDate();
        const QString supplier = cnpj(1 + n % 200);
        exec(s, asset,
             {code, QStringLiteral("Máquina operatriz modelo %1, série %2").arg(1 + n % 500).arg(n),
              entry, double(100 + next(50000)), next(3) == 0 ? 50.0 : 0.0,
              next(4) == 0 ? 12.34 : 0.0, sold ? QVariant(exit) : none,
              sold ? QVariant(QStringLiteral("V")) : none,
              QStringLiteral("1.2.3.%1").arg(1 + n % 10), QStringLiteral("CC%1").arg(1 + n % 20),
              QStringLiteral("IT%1").arg(1 + n % 500)});
        exec(s, document,
             {code, QStringLiteral("E"), QStringLiteral("1"), supplier, QString::number(n),
              key(supplier, entry, n), entry, QStringLiteral("IT%1").arg(1 + n % 500),
              QStringLiteral("Máquina operatriz modelo %1").arg(1 + n % 500)});
        if (sold)
            exec(s, document,
                 {code, QStringLiteral("S"), QStringLiteral("0"), supplier,
                  QString::number(900000 + n), key(own, exit, 900000 + n), exit,
                  QStringLiteral("IT%1").arg(1 + n % 500), QStringLiteral("Venda")});
    }
    RegisterStore registers(s);
    CompetenciaStore store(s);
    TaxTablesStore tables(s);
    CompetenciaRow row;
    row.company = QStringLiteral("01");
    row.tax = QStringLiteral("01");
    row.registration = QStringLiteral("110042490114");
    row.month = month;
    row.total = 987654.32;
    row.taxed = 734567.89;
    row.sequence = store.nextSequence(row.company, row.tax);
    store.insert(row);
    const TaxInfo icms = registers.tax(row.tax).value();
    MonthLoader(registers, tables, store).loadAssets(row, icms);
    CompetenciaFigures::appropriate(store, row, icms.kind,
                                    tables.exitMonthInstalment(row.company, row.registration));
    tx.commit();
}

void BM_BlocoG(benchmark::State& state) {
    static const bool created = QFile::exists(databasePath()) || (createDatabase(), true);
    (void)created;
    SqliteConfig config(databasePath());
    Session s(config, QStringLiteral("bench"));
    const QString out = QFileInfo(databasePath()).dir().filePath(QStringLiteral("bloco-g.txt"));
    BlocoGResult r;
    for (auto _ : state) {
        r = BlocoGExport(s).run({QStringLiteral("01"), QStringLiteral("110042490114"), month, {}});
        if (!r.ok()) {
            state.SkipWithError(qPrintable(r.problems.front().text()));
            return;
        }
        QSaveFile f(out);
        if (!f.open(QIODevice::WriteOnly) || f.write(r.bytes) != r.bytes.size() || !f.commit()) {
            state.SkipWithError("cannot write the file");
            return;
        }
    }
    state.counters["G125"] = r.movements;
    state.counters["lines"] = r.lines;
    state.counters["MiB"] = double(r.bytes.size()) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(BM_BlocoG)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
