// A year of NF-e into a new SQLite register: 10,000 files of about 10 KiB, parsed on a worker
// thread while one thread writes, as `ciap-admin import` runs it. Two kinds: the company's own
// outgoing invoices (five items each, item by item into the month's values) and suppliers'
// purchases made assets (five items of three units: fifteen assets a file). And the memory
// that takes, which must stay that of a few documents however many files go through.
#include "AccessKey.h"
#include "DatabaseConfig.h"
#include "ImportEngine.h"
#include "Migrations.h"
#include "RegistryStore.h"
#include "Session.h"
#include "TransactionGuard.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace ciap::server;

namespace {

constexpr int fileCount = 10000;

QByteArray readSample(const char* name) {
    QFile file(QStringLiteral(CIAP_DOCUMENTS_DATA "/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", name);
    return file.readAll();
}

// The sample with its first item repeated up to five items, numbered `number` under a key of
// its own.
QByteArray numbered(const QByteArray& sample, qint64 number) {
    QByteArray xml = sample;
    const qsizetype itemStart = xml.indexOf("<det nItem=\"1\">");
    const qsizetype itemEnd = xml.indexOf("</det>", itemStart) + 6;
    const QByteArray item = xml.mid(itemStart, itemEnd - itemStart);
    xml.remove(itemStart, xml.indexOf("<total>") - itemStart);
    QByteArray items;
    for (int n = 1; n <= 5; ++n)
        items +=
            QByteArray(item).replace("nItem=\"1\"", "nItem=\"" + QByteArray::number(n) + "\"") +
            "\n      ";
    xml.insert(itemStart, items);
    const qsizetype idAt = xml.indexOf("Id=\"NFe") + 7;
    const QByteArray oldKey = xml.mid(idAt, 44);
    const QString body = QString::fromLatin1(oldKey.left(25)) +
                         QStringLiteral("%1").arg(number, 9, 10, QChar(u'0')) +
                         QString::fromLatin1(oldKey.mid(34, 9));
    const QByteArray key =
        (body + QString::number(ciap::documents::mod11CheckDigit(body))).toLatin1();
    xml.replace(oldKey, key);
    const qsizetype nNF = xml.indexOf("<nNF>");
    xml.replace(nNF, xml.indexOf("</nNF>") - nNF, "<nNF>" + QByteArray::number(number));
    const qsizetype cDV = xml.indexOf("<cDV>");
    xml.replace(cDV, 6, "<cDV>" + key.right(1));
    return xml;
}

struct Corpus {
    QTemporaryDir dir;
    QList<ImportSource> sources;
    qint64 bytes = 0;
};

Corpus* makeCorpus(const char* sample) {
    auto* c = new Corpus;
    const QByteArray xml = readSample(sample);
    for (int i = 1; i <= fileCount; ++i) {
        const QByteArray doc = numbered(xml, 100000 + i);
        const QString path = c->dir.filePath(QStringLiteral("nfe-%1.xml").arg(i));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(doc) != doc.size())
            qFatal("cannot write %s", qPrintable(path));
        c->sources.append({path, path, {}});
        c->bytes += doc.size();
    }
    return c;
}

const Corpus& outgoing() {
    static const Corpus* const c = makeCorpus("nfe_outgoing_mixed.xml");
    return *c;
}

const Corpus& purchases() {
    static const Corpus* const c = makeCorpus("nfe_supplier_interstate.xml");
    return *c;
}

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // KiB on Linux
}

// A new register holding the samples' company.
struct Register {
    QTemporaryDir dir;
    std::unique_ptr<DatabaseConfig> config;
    std::unique_ptr<Session> session;

    Register() {
        config = DatabaseConfig::fromLocation(dir.filePath(QStringLiteral("bench.db")));
        session = std::make_unique<Session>(*config, QStringLiteral("bench"));
        Migrations::apply(*session);
        TransactionGuard tx(*session);
        RegistryStore registry(*session);
        registry.putCompany(QStringLiteral("01"), QStringLiteral("Metalúrgica Exemplo Ltda"));
        registry.putRegistration({QStringLiteral("01"), QStringLiteral("244123456119"),
                                  QStringLiteral("12345678000195"), QStringLiteral("SP"),
                                  QStringLiteral("3509502")});
        tx.commit();
    }
};

void importAll(benchmark::State& state, const Corpus& files, bool assets) {
    double before = 0;
    double afterFirst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Register reg;
        before = peakRssMiB();
        state.ResumeTiming();
        ImportEngine engine(*reg.session, ImportOptions{assets, {}});
        engine.onProgress = [&](const ImportProgress& p) {
            if (p.done == 100)
                afterFirst = peakRssMiB();
        };
        const ImportSummary s = engine.run(files.sources);
        if (s.imported != fileCount)
            qFatal("imported %d of %d: %s", s.imported, fileCount,
                   qPrintable(s.files.value(0).reason + s.failure));
    }
    state.counters["files"] = double(files.sources.size());
    state.counters["avg_file_KiB"] = double(files.bytes) / files.sources.size() / 1024.0;
    state.counters["files_per_s"] = benchmark::Counter(
        double(files.sources.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_rss_MiB"] = peakRssMiB();
    state.counters["growth_first_100_MiB"] = afterFirst - before;
    state.counters["growth_next_9900_MiB"] = peakRssMiB() - afterFirst;
}

void BM_ImportOutgoing(benchmark::State& state) {
    importAll(state, outgoing(), false);
}

void BM_ImportPurchasesAsAssets(benchmark::State& state) {
    importAll(state, purchases(), true);
}

} // namespace

BENCHMARK(BM_ImportOutgoing)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK(BM_ImportPurchasesAsAssets)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
BENCHMARK_MAIN();
