// The EFD export of a month with 100,000 assets: G125 lines from the register's facts, G110,
// the validated file written to disk; and the same file read back and validated. The target
// for the export is 2 s.
#include "CiapMovements.h"
#include "EfdFormat.h"
#include "EfdReader.h"
#include "EfdWriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

using namespace ciap::efd;

namespace {

constexpr int assetCount = 100000;
const QDate month(2024, 1, 1);

QString withCheckDigits(const QString& base) {
    QString s = base;
    s += QString::number(EfdFormat::mod11(s));
    return s;
}

QString cnpj(int n) {
    return withCheckDigits(
        withCheckDigits(QStringLiteral("%1%2").arg(10000000 + n).arg(1, 4, 10, QChar(u'0'))));
}

Document document(Issuer issuer, const QString& participant, const QString& issuerCnpj, int number,
                  const QDate& date) {
    Document d;
    d.issuer = issuer;
    d.participant = participant;
    d.model = QStringLiteral("55");
    d.series = QStringLiteral("1");
    d.number = number;
    d.date = date;
    // cUF, AAMM, issuer's CNPJ, model 55, series 001, number, emission type 1, code.
    d.key = withCheckDigits(
        QStringLiteral("35") + date.toString(u"yyMM") + issuerCnpj + QStringLiteral("55001") +
        QStringLiteral("%1").arg(number, 9, 10, QChar(u'0')) + QStringLiteral("112345678"));
    return d;
}

struct Month {
    EfdFile file;
    QList<AssetFacts> facts;
    MonthFigures figures;
};

// A registration's register: most assets part-way through their 48 months, 2 % entering this
// month with their purchase invoice and item, 1 % in their last month, 1 % sold this month.
const Month& bigMonth() {
    static const Month m = [] {
        Month out;
        EfdFile& f = out.file;
        const QString ownCnpj = cnpj(0);
        f.establishment = {Purpose::Original,
                           month,
                           QDate(2024, 1, 31),
                           QStringLiteral("Indústria de Bancada Ltda"),
                           ownCnpj,
                           {},
                           QStringLiteral("SP"),
                           QStringLiteral("110042490114"),
                           QStringLiteral("3550308"),
                           {},
                           {},
                           Profile::A,
                           Activity::Industrial};
        for (int p = 1; p <= 200; ++p) {
            Participant part;
            part.code = QStringLiteral("P%1").arg(p);
            part.name = QStringLiteral("Fornecedor %1 Ltda").arg(p);
            part.cnpj = cnpj(p);
            part.municipality = QStringLiteral("3550308");
            part.address = QStringLiteral("Rua %1").arg(p);
            f.participants << part;
        }
        f.units << Unit{QStringLiteral("UN"), QStringLiteral("Unidade")};
        for (int i = 1; i <= 500; ++i) {
            Item item;
            item.code = QStringLiteral("IT%1").arg(i);
            item.description = QStringLiteral("Máquina operatriz modelo %1").arg(i);
            item.unit = QStringLiteral("UN");
            f.items << item;
        }
        for (int a = 1; a <= 10; ++a)
            f.accounts << Account{QDate(2015, 1, 1),
                                  QStringLiteral("01"),
                                  AccountKind::Analytic,
                                  4,
                                  QStringLiteral("1.2.3.%1").arg(a),
                                  QStringLiteral("Imobilizado grupo %1").arg(a)};
        for (int c = 1; c <= 20; ++c)
            f.costCentres << CostCentre{QDate(2015, 1, 1), QStringLiteral("CC%1").arg(c),
                                        QStringLiteral("Centro %1").arg(c)};

        quint32 seed = 12345;
        const auto next = [&seed](quint32 mod) {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) % mod;
        };
        for (int n = 1; n <= assetCount; ++n) {
            const QString code = QStringLiteral("B%1").arg(n, 6, 10, QChar(u'0'));
            const int kind = n % 100;
            const int age = kind < 2 ? 0 : kind == 2 ? 47 : int(1 + next(46));
            AssetFacts facts{.code = code,
                             .entry = month.addMonths(-age).addDays(int(next(28))),
                             .icms = {Cents(10000 + next(5000000)), Cents(next(3) == 0 ? 5000 : 0),
                                      Cents(next(4) == 0 ? 1234 : 0), 0}};
            const QString supplier = QStringLiteral("P%1").arg(1 + n % 200);
            if (age == 0) {
                Document d =
                    document(Issuer::ThirdParty, supplier, cnpj(1 + n % 200), n, facts.entry);
                d.items << DocumentItem{1, QStringLiteral("IT%1").arg(1 + n % 500), kQuantityOne,
                                        QStringLiteral("UN"), facts.icms};
                facts.entryDocuments << d;
            }
            if (kind == 3) {
                facts.exitKind = ExitKind::Sale;
                facts.exit = QDate(2024, 1, 1 + int(next(31)));
                facts.exitDocuments
                    << document(Issuer::Own, supplier, ownCnpj, 900000 + n, facts.exit);
            }
            out.facts << facts;
            FixedAsset asset;
            asset.code = code;
            asset.description =
                QStringLiteral("Máquina operatriz modelo %1, série %2").arg(1 + n % 500).arg(code);
            asset.account = QStringLiteral("1.2.3.%1").arg(1 + n % 10);
            asset.instalments = 48;
            asset.use =
                AssetUse{QStringLiteral("CC%1").arg(1 + n % 20), QStringLiteral("Produção"), 120};
            f.assets << asset;
        }
        // The month's stored figures, as the server keeps them.
        Cents balance = 0;
        for (const Movement& mv :
             CiapMovements::forMonth(out.facts, month, ExitMonthInstalment::Counts))
            balance += mv.instalment ? mv.instalment->value : 0;
        out.figures = {month,
                       QDate(2024, 1, 31),
                       73456789,
                       98765432,
                       EfdFormat::roundToIndex8(73456789.0 / 98765432.0),
                       balance,
                       EfdFormat::roundToCents(double(balance) * 73456789.0 / 98765432.0 / 100.0)};
        return out;
    }();
    return m;
}

QString tempPath() {
    static QTemporaryDir dir;
    return dir.filePath(QStringLiteral("efd-bloco-g.txt"));
}

void BM_ExportMonth(benchmark::State& state) {
    const Month& m = bigMonth();
    EfdFile file = m.file;
    for (auto _ : state) {
        file.movements = CiapMovements::forMonth(m.facts, month, ExitMonthInstalment::Counts);
        file.ciap = CiapMovements::ciap(m.figures, file.movements);
        EfdWriter::writeFile(file, tempPath());
    }
    state.counters["G125"] = double(file.movements.size());
    state.counters["MiB"] = double(QFile(tempPath()).size()) / (1024.0 * 1024.0);
}

void BM_ReadAndValidate(benchmark::State& state) {
    QFile in(tempPath());
    if (!in.open(QIODevice::ReadOnly))
        qFatal("run BM_ExportMonth first");
    const QByteArray bytes = in.readAll();
    qsizetype problems = 0;
    qsizetype movements = 0;
    for (auto _ : state) {
        const ReadResult r = EfdReader::read(bytes);
        problems = r.problems.size();
        movements = r.file.movements.size();
    }
    if (problems != 0)
        state.SkipWithError("the file read back has problems");
    state.counters["G125"] = double(movements);
}

} // namespace

BENCHMARK(BM_ExportMonth)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_ReadAndValidate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
