// Reading a year's worth of NF-e from disk: 10,000 files of about 10 KiB, each read and
// parsed, on one and on two threads; and the memory that takes, which must stay that of one
// document however many files go through.
#include "AccessKey.h"
#include "DocumentReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

using namespace ciap::documents;

namespace {

constexpr int fileCount = 10000;

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

// The supplier sample with its first item repeated up to about 10 KiB, numbered `number`
// under a key of its own.
QByteArray nfeNumbered(const QByteArray& sample, qint64 number) {
    static const QByteArray sampleKey = "31240398765432000198550010000458211730159264";
    QByteArray xml = sample;
    const qsizetype itemStart = xml.indexOf("<det nItem=\"1\">");
    const qsizetype itemEnd = xml.indexOf("</det>", itemStart) + 6;
    const QByteArray item = xml.mid(itemStart, itemEnd - itemStart);
    const qsizetype totals = xml.indexOf("<total>");
    for (int n = 5; n >= 3; --n) {
        QByteArray copy = item;
        copy.replace("nItem=\"1\"", "nItem=\"" + QByteArray::number(n) + "\"");
        xml.insert(totals, copy + "\n    ");
    }
    const QString body = QString::fromLatin1(sampleKey.left(25)) +
                         QStringLiteral("%1").arg(number, 9, 10, QChar(u'0')) +
                         QString::fromLatin1(sampleKey.mid(34, 9));
    const QByteArray key = (body + QString::number(mod11CheckDigit(body))).toLatin1();
    xml.replace(sampleKey, key);
    xml.replace("<nNF>45821</nNF>", "<nNF>" + QByteArray::number(number) + "</nNF>");
    xml.replace("<cDV>4</cDV>", "<cDV>" + key.right(1) + "</cDV>");
    return xml;
}

struct Corpus {
    QTemporaryDir dir;
    QStringList paths;
    qint64 bytes = 0;
};

const Corpus& corpus() {
    static const Corpus* const made = [] {
        auto* c = new Corpus;
        const QByteArray sample = readAll(QStringLiteral(CIAP_NFE_SAMPLE));
        for (int i = 1; i <= fileCount; ++i) {
            const QByteArray xml = nfeNumbered(sample, 100000 + i);
            const QString path = c->dir.filePath(QStringLiteral("nfe-%1.xml").arg(i));
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(xml) != xml.size())
                qFatal("cannot write %s", qPrintable(path));
            c->paths << path;
            c->bytes += xml.size();
        }
        return c;
    }();
    return *made;
}

double peakRssMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // KiB on Linux
}

void readRange(const QStringList& paths, qsizetype from, qsizetype to, qsizetype step) {
    for (qsizetype i = from; i < to; i += step) {
        const FiscalDocument document = readDocumentFile(paths[i]);
        if (std::get<NfeDocument>(document).items.size() != 5)
            qFatal("unexpected item count in %s", qPrintable(paths[i]));
    }
}

// All files, split between the benchmark's threads.
void BM_ReadAllFiles(benchmark::State& state) {
    const Corpus& files = corpus();
    for (auto _ : state)
        readRange(files.paths, state.thread_index(), files.paths.size(), state.threads());
    if (state.thread_index() == 0) {
        state.counters["files"] = double(files.paths.size());
        state.counters["avg_file_KiB"] = double(files.bytes) / files.paths.size() / 1024.0;
        state.counters["files_per_s"] = benchmark::Counter(
            double(files.paths.size()) * double(state.iterations()), benchmark::Counter::kIsRate);
    }
}

// Peak resident memory growth over the first 100 files and over the 9,900 after them: the
// second is about zero when memory is bounded by one document.
void BM_PeakMemory(benchmark::State& state) {
    const Corpus& files = corpus();
    const double before = peakRssMiB();
    double afterFirst = 0;
    for (auto _ : state) {
        readRange(files.paths, 0, 100, 1);
        afterFirst = peakRssMiB();
        readRange(files.paths, 100, files.paths.size(), 1);
    }
    state.counters["peak_rss_MiB"] = peakRssMiB();
    state.counters["growth_first_100_MiB"] = afterFirst - before;
    state.counters["growth_next_9900_MiB"] = peakRssMiB() - afterFirst;
}

// One document already in memory: the parse alone, without the disk.
void BM_ParseOneDocument(benchmark::State& state) {
    const QByteArray xml = nfeNumbered(readAll(QStringLiteral(CIAP_NFE_SAMPLE)), 100001);
    for (auto _ : state)
        benchmark::DoNotOptimize(readDocument(xml));
    state.SetBytesProcessed(state.iterations() * xml.size());
}

} // namespace

BENCHMARK(BM_PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAllFiles)->Threads(1)->Threads(2)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseOneDocument)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
