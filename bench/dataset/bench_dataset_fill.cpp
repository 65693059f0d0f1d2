// Filling a client data set from a 100,000-row asset packet as the connection does it (the text
// decoded straight into packed rows, which the data set then takes over), against the bare
// JSON parse that any decoder has to beat; and the memory the filled data set holds.
#include "AssetPacket.h"
#include "DataSetModel.h"
#include "FrameReader.h"
#include "PackedPacket.h"
#include "PacketCodec.h"
#include "TClientDataSet.h"
#include "TDataSource.h"

#include <QJsonDocument>
#include <benchmark/benchmark.h>
#include <ctime>
#include <functional>
#include <malloc.h>
#include <random>
#include <unistd.h>

namespace {

constexpr int rowCount = 100000;

// With the room behind the text that frames from the network have, so that it is read in place.
const QByteArray& packetBytes() {
    static const QByteArray bytes = [] {
        QByteArray text = ciap::encodePacket(benchAssetPacket(rowCount));
        text.reserve(text.size() + ciap::FrameReader::Padding);
        return text;
    }();
    return bytes;
}

// CPU time of the process, so that the ratio below does not depend on what else the machine
// is running.
double secondsOf(const std::function<void()>& work) {
    auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    };
    const double start = now();
    work();
    return now() - start;
}

// Median of a few bare parses, the yardstick of the fill.
double jsonParseSeconds() {
    static const double seconds = [] {
        std::vector<double> runs;
        for (int i = 0; i < 5; ++i)
            runs.push_back(secondsOf(
                [] { benchmark::DoNotOptimize(QJsonDocument::fromJson(packetBytes())); }));
        std::sort(runs.begin(), runs.end());
        return runs[runs.size() / 2];
    }();
    return seconds;
}

double residentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE));
}

void BM_JsonParse(benchmark::State& state) {
    const QByteArray& bytes = packetBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument::fromJson(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_DecodeAndFill(benchmark::State& state) {
    const QByteArray& bytes = packetBytes();
    const double parse = jsonParseSeconds();
    // Memory of one fill into a fresh data set, once the packet is gone.
    malloc_trim(0);
    const double rssBefore = residentBytes();
    const double heapBefore = double(mallinfo2().uordblks);
    auto fresh = std::make_unique<TClientDataSet>();
    fresh->SetData(decodePackedPacket(bytes));
    malloc_trim(0);
    constexpr double mib = 1024.0 * 1024.0;
    state.counters["heap_MiB"] = (double(mallinfo2().uordblks) - heapBefore) / mib;
    state.counters["rss_MiB"] = (residentBytes() - rssBefore) / mib;
    state.counters["held_MiB"] = double(fresh->memoryUsage()) / mib;
    state.counters["rows"] = fresh->RecordCount();
    fresh.reset();

    TClientDataSet ds;
    double total = 0;
    for (auto _ : state) {
        total += secondsOf([&] { ds.SetData(decodePackedPacket(bytes)); });
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
    state.counters["vs_json_parse"] = total / double(state.iterations()) / parse;
}

// The two halves of the fill apart: decoding the bytes into packed rows (on a worker thread in
// the product), and the data set taking them over (on the user-interface thread).
void BM_DecodeOnly(benchmark::State& state) {
    const QByteArray& bytes = packetBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(decodePackedPacket(bytes));
}

void BM_FillOnly(benchmark::State& state) {
    const PackedPacket decoded = decodePackedPacket(packetBytes());
    TClientDataSet ds;
    for (auto _ : state)
        ds.SetData(decoded);
}

// The same halves as the packet travelled before, through a QVariant per value: what the data
// set still does with a packet that is not already packed (one built in the host, say).
void BM_DecodeToVariants(benchmark::State& state) {
    const QByteArray& bytes = packetBytes();
    for (auto _ : state)
        benchmark::DoNotOptimize(ciap::decodePacket(bytes));
}

void BM_FillFromVariants(benchmark::State& state) {
    const ciap::DataPacket decoded = ciap::decodePacket(packetBytes());
    TClientDataSet ds;
    for (auto _ : state)
        ds.SetData(decoded);
}

// Grid cells drawn at random rows of the filled set: constant work per cell.
void BM_GridCellText(benchmark::State& state) {
    TClientDataSet ds;
    ds.SetData(decodePackedPacket(packetBytes()));
    ds.FieldByName("VRPARCELACIAP")->DisplayFormat = QStringLiteral("#,##0.00");
    ds.FieldByName("VRAPROPARCCIAP")->OnGetText = [](TField& f, QString& text, bool) {
        const bool instalment = f.DataSet()->FieldByName("IDTPAPROPPISCOF")->AsString() == "09";
        text = QString::number(instalment ? f.DataSet()->FieldByName("VRPARCELACIAP")->AsFloat()
                                          : f.AsFloat(),
                               'f', 2);
    };
    TDataSource source;
    source.SetDataSet(&ds);
    DataSetModel model(&source);
    std::mt19937 random(42);
    std::uniform_int_distribution<int> rows(0, rowCount - 1);
    const int columns = model.columnCount();
    for (auto _ : state) {
        const int row = rows(random);
        for (int c = 0; c < columns; ++c)
            benchmark::DoNotOptimize(model.index(row, c).data());
    }
    state.SetItemsProcessed(state.iterations() * columns);
}

} // namespace

BENCHMARK(BM_JsonParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndFill)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeToVariants)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillFromVariants)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridCellText)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
