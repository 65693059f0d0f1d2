// The server's figures, measured in one run against a real ciap-server on a SQLite file:
// (a) a bare SQLite C API select of a month's N assets; (b) getBensComp for the same month
// over loopback into a TClientDataSet, with the longest the event loop went without a turn
// meanwhile; (c) the eight calls of a competência post; (d) 8
// clients making 2,000 getCIAP calls each; (e) the appropriation of a month of N assets, checked
// against the register and written at the tax file's precision.
#include "BenchDatabase.h"
#include "BensCompQuery.h"
#include "DataPacket.h"
#include "EventLoopHeartbeat.h"
#include "HostServices.h"
#include "Month.h"
#include "Packets.h"
#include "RecordingDialogService.h"
#include "RpcTestClient.h"
#include "ServerProcess.h"
#include "Session.h"
#include "SqliteConfig.h"
#include "TClientDataSet.h"
#include "TNetConnection.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace {

BenchDatabase* g_db = nullptr;
ServerProcess* g_server = nullptr;

double percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

std::unique_ptr<TNetConnection> openConnection() {
    auto c = std::make_unique<TNetConnection>();
    c->SetServerName(QStringLiteral("MZR02400.rdmCIAP"));
    c->SetHost(g_server->host());
    c->SetPort(g_server->port());
    if (!c->Open())
        qFatal("cannot connect: %s", qPrintable(c->lastError()));
    return c;
}

QVariant call(TNetConnection& c, const char* method, const QVariantList& args) {
    return CheckResultServ(c.Call(QString::fromLatin1(method), args), true, 0);
}

// (a) The same query the server runs, through the C API, every column read.
void BM_SqliteSelect(benchmark::State& state) {
    const int n = int(state.range(0));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(g_db->path().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK)
        qFatal("cannot open the database");
    const QByteArray sql = ciap::server::BensCompQuery::sql().toUtf8();
    const QByteArray seq = g_db->sequenceFor(n).toUtf8();
    const QByteArray month =
        QDate::fromString(QStringLiteral("01/") + g_db->monthFor(n), QStringLiteral("dd/MM/yyyy"))
            .toString(Qt::ISODate)
            .toUtf8();
    std::size_t rows = 0;
    for (auto _ : state) {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &stmt, nullptr);
        sqlite3_bind_text(stmt, 1, "01", 2, SQLITE_STATIC);
        sqlite3_bind_text(stmt, 2, "01", 2, SQLITE_STATIC);
        sqlite3_bind_int64(stmt, 3, seq.toLongLong());
        sqlite3_bind_text(stmt, 4, month.constData(), int(month.size()), SQLITE_STATIC);
        std::size_t bytes = 0;
        rows = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            for (int c : {0, 1, 2, 3, 4, 7}) {
                benchmark::DoNotOptimize(sqlite3_column_text(stmt, c));
                bytes += std::size_t(sqlite3_column_bytes(stmt, c));
            }
            double sum = 0;
            for (int c : {5, 6, 8})
                sum += sqlite3_column_double(stmt, c);
            benchmark::DoNotOptimize(sum);
            ++rows;
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
    sqlite3_close(db);
    if (rows != std::size_t(n))
        state.SkipWithError("unexpected row count");
    state.counters["rows"] = double(rows);
}

// The server's part of (b) alone, in this process: the query written as packet text.
void BM_GetBensCompServerPart(benchmark::State& state) {
    const int n = int(state.range(0));
    ciap::server::SqliteConfig config(g_db->path());
    ciap::server::Session session(config, QStringLiteral("bench-server-part"));
    const auto month = ciap::server::Month::parse(g_db->monthFor(n)).value();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const QByteArray packet =
            ciap::server::BensCompQuery::packet(session, QStringLiteral("01"), QStringLiteral("01"),
                                                g_db->sequenceFor(n).toLongLong(), month);
        bytes = std::size_t(packet.size());
    }
    state.counters["MB"] = double(bytes) / 1e6;
}

// (b) What the screen does: call, check, load into the client data set.
void BM_GetBensCompIntoDataSet(benchmark::State& state) {
    const int n = int(state.range(0));
    auto connection = openConnection();
    TClientDataSet cds;
    for (const ciap::FieldDef& f : ciap::server::Packets::bensComp())
        cds.AddField(f);
    const QVariantList args{g_db->monthFor(n), QStringLiteral("01"), QStringLiteral("01"),
                            g_db->sequenceFor(n)};
    qint64 longestGap = 0;
    for (auto _ : state) {
        EventLoopHeartbeat heartbeat(5);
        cds.SetData(call(*connection, "getBensComp", args));
        heartbeat.stop();
        longestGap = std::max(longestGap, heartbeat.longestGapMs);
    }
    if (cds.RecordCount() != n)
        state.SkipWithError("unexpected row count");
    state.counters["rows"] = double(cds.RecordCount());
    state.counters["gap_max_ms"] = double(longestGap);
}

// (c) The server calls of one competência post, as the screen makes them in order.
void BM_CompetenciaPost(benchmark::State& state) {
    auto connection = openConnection();
    TNetConnection& c = *connection;
    static int monthIndex = 2030 * 12; // a new month on every post
    std::vector<double> ms;
    const QList<ciap::FieldDef> fields = ciap::server::Packets::ciap();
    for (auto _ : state) {
        const int idx = monthIndex++;
        const QDate first(idx / 12, idx % 12 + 1, 1);
        const QString month = first.toString(QStringLiteral("MM/yyyy"));
        QElapsedTimer t;
        t.start();
        call(c, "getInscEsta", {QStringLiteral("01"), QString(), QStringLiteral("222")});
        call(c, "getVerificaImposto", {QStringLiteral("02")});
        call(c, "getVerificaImposto", {QStringLiteral("02")});
        call(c, "getVrParcelBemComp",
             {month, QStringLiteral("02"), QStringLiteral("01"), QStringLiteral("222")});
        call(c, "getCompet_Existe",
             {month, QStringLiteral("02"), QStringLiteral("01"), QStringLiteral("222")});
        call(c, "getVerificaImposto", {QStringLiteral("02")});
        const QString seq =
            call(c, "getNrseqCiap", {QStringLiteral("01"), QStringLiteral("02"), first})
                .toList()
                .value(0)
                .toString();
        ciap::Delta delta;
        delta.fields = fields;
        ciap::DeltaChange change;
        change.newValues = {QStringLiteral("01"),
                            QStringLiteral("02"),
                            month,
                            0.0,
                            0.0,
                            1.0,
                            0.0,
                            0.0,
                            QStringLiteral("P"),
                            QVariant(),
                            first,
                            QVariant(),
                            QVariant(),
                            QStringLiteral("222"),
                            seq};
        delta.changes.append(change);
        call(c, "setCiap", {QVariant::fromValue(delta)});
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    state.counters["median_ms"] = percentile(ms, 0.5);
    state.counters["p99_ms"] = percentile(ms, 0.99);
}

// (d) Eight clients at once, each making 2,000 getCIAP calls.
void BM_ConcurrentGetCiap(benchmark::State& state) {
    constexpr int Clients = 8;
    constexpr int Calls = 2000;
    std::vector<double> all;
    double seconds = 0;
    for (auto _ : state) {
        std::vector<std::vector<double>> perClient(Clients);
        std::vector<std::thread> threads;
        QElapsedTimer wall;
        wall.start();
        for (int i = 0; i < Clients; ++i) {
            threads.emplace_back([i, &perClient] {
                RpcTestClient client;
                if (!client.connectTo(g_server->host(), g_server->port()))
                    return;
                const QJsonArray params{"01",         "01",       "2024-01-01", "2024-12-31",
                                        "Apropriado", "Pendente", "T"};
                perClient[i].reserve(Calls);
                for (int k = 0; k < Calls; ++k) {
                    QElapsedTimer t;
                    t.start();
                    const QJsonObject r = client.call(QStringLiteral("getCIAP"), params);
                    if (!r.contains(QStringLiteral("result")))
                        return;
                    perClient[i].push_back(double(t.nsecsElapsed()) / 1e3);
                }
            });
        }
        for (auto& t : threads)
            t.join();
        seconds = double(wall.nsecsElapsed()) / 1e9;
        for (auto& v : perClient)
            all.insert(all.end(), v.begin(), v.end());
    }
    if (all.size() != std::size_t(Clients * Calls) * std::size_t(state.iterations()))
        state.SkipWithError("some calls failed");
    state.counters["p50_us"] = percentile(all, 0.5);
    state.counters["p99_us"] = percentile(all, 0.99);
    state.counters["calls_per_s"] = double(Clients * Calls) / seconds;
}

// (e) Apropriar on the month of N assets; each run is cancelled again, untimed, for the next.
void BM_Apropriar(benchmark::State& state) {
    const int n = int(state.range(0));
    RpcTestClient client;
    if (!client.connectTo(g_server->host(), g_server->port()))
        qFatal("cannot connect");
    const QString month = g_db->monthFor(n);
    const QString seq = g_db->sequenceFor(n);
    const QString first =
        QDate::fromString(QStringLiteral("01/") + month, QStringLiteral("dd/MM/yyyy"))
            .toString(Qt::ISODate);
    for (auto _ : state) {
        const QJsonObject r =
            client.call(QStringLiteral("Apropriar"), {"01", "01", month, 0.75, seq});
        if (!r.contains(QStringLiteral("result")))
            state.SkipWithError(qPrintable(client.errorMessage(r)));
        state.PauseTiming();
        client.call(QStringLiteral("cancelaApropriacao"), {"01", seq, first, "01"});
        state.ResumeTiming();
    }
}

// Keeps the real time of every run so that (b)/(a) can be printed at the end.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

BENCHMARK(BM_SqliteSelect)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetBensCompServerPart)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GetBensCompIntoDataSet)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_CompetenciaPost)->Iterations(2000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConcurrentGetCiap)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Apropriar)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    RecordingDialogService dialogs; // a server error must not wait for a click
    DialogService::setInstance(&dialogs);
    QTemporaryDir dir;
    BenchDatabase db(dir.filePath(QStringLiteral("bench.db")));
    QElapsedTimer t;
    t.start();
    db.create();
    std::printf("database with 1,000 / 10,000 / 100,000 assets written in %.1f s\n",
                double(t.elapsed()) / 1000);
    ServerProcess server;
    if (!server.start(db.path())) {
        std::fprintf(stderr, "cannot start ciap-server: %s\n", qPrintable(server.error()));
        return 1;
    }
    g_db = &db;
    g_server = &server;
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // With --benchmark_repetitions, the ratio of the medians.
    const auto timeOf = [&](const std::string& name) {
        const auto median = reporter.times.find(name + "_median");
        return median != reporter.times.end() ? median : reporter.times.find(name);
    };
    std::printf("\n(b)/(a), target at most 2 at 100,000:\n");
    for (int n : BenchDatabase::Sizes) {
        const auto a = timeOf("BM_SqliteSelect/" + std::to_string(n));
        const auto b = timeOf("BM_GetBensCompIntoDataSet/" + std::to_string(n) + "/real_time");
        if (a != reporter.times.end() && b != reporter.times.end())
            std::printf("  N = %6d: (a) %8.2f ms  (b) %8.2f ms  ratio %.2f\n", n, a->second,
                        b->second, b->second / a->second);
    }
    DialogService::setInstance(nullptr);
    const bool stopped = server.stop();
    // The server's own per-call durations, to tell server time from transfer and client time.
    if (const QString logPath = qEnvironmentVariable("CIAP_BENCH_SERVER_LOG"); !logPath.isEmpty()) {
        QFile f(logPath);
        if (f.open(QIODevice::WriteOnly))
            f.write(server.log());
    }
    return stopped ? 0 : 1;
}
