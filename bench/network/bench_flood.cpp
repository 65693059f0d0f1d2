// A client's first answer - connect, TLS handshake when on, first call - from 127.0.0.1 while
// another address (127.0.0.2) holds 0 or 1,000 idle sockets open against a real ciap-server
// on a demo SQLite database. Arguments: attacking sockets, TLS (0/1). Counters: the median,
// 99th percentile and worst first answer in milliseconds; the goal is under 1,000 ms.
#include "RpcTestClient.h"
#include "ServerProcess.h"
#include "TestCertificates.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QTemporaryDir* g_dir = nullptr;
TestCertificates* g_certificates = nullptr;

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5))];
}

std::vector<std::unique_ptr<QTcpSocket>> holdSockets(quint16 port, int count) {
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < count; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(QHostAddress(QStringLiteral("127.0.0.2")));
        s->connectToHost(QHostAddress::LocalHost, port);
        sockets.push_back(std::move(s));
    }
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 1000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return sockets;
}

void BM_FirstAnswer(benchmark::State& state) {
    const int attackers = int(state.range(0));
    const bool tls = state.range(1) != 0;
    ServerProcess server;
    QStringList arguments{QStringLiteral("--demo")};
    if (tls)
        arguments << QStringLiteral("--tls-cert") << g_certificates->serverCertificate()
                  << QStringLiteral("--tls-key") << g_certificates->serverKey();
    if (!server.start(g_dir->filePath(QStringLiteral("flood.db")), arguments)) {
        state.SkipWithError(qPrintable(server.error()));
        return;
    }
    const auto held = holdSockets(server.port(), attackers);
    std::vector<double> ms;
    for (auto _ : state) {
        QElapsedTimer t;
        t.start();
        RpcTestClient c;
        const bool connected = tls ? c.connectEncrypted(QStringLiteral("localhost"), server.port(),
                                                        g_certificates->caFile())
                                   : c.connectTo(QStringLiteral("127.0.0.1"), server.port());
        if (!connected || c.result(QStringLiteral("getVerificaImposto"), {"01"}).isUndefined()) {
            state.SkipWithError("no answer");
            break;
        }
        const double elapsed = double(t.nsecsElapsed()) / 1e6;
        ms.push_back(elapsed);
        state.SetIterationTime(elapsed / 1000.0);
    }
    state.counters["p50_ms"] = percentile(ms, 0.5);
    state.counters["p99_ms"] = percentile(ms, 0.99);
    state.counters["max_ms"] = ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
    server.stop();
}

} // namespace

BENCHMARK(BM_FirstAnswer)
    ->ArgsProduct({{0, 1000}, {0, 1}})
    ->ArgNames({"idle_sockets", "tls"})
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = std::min<rlim_t>(files.rlim_max, 8192);
    setrlimit(RLIMIT_NOFILE, &files);
    QTemporaryDir dir;
    TestCertificates certificates;
    QString error;
    if (!certificates.create(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    g_dir = &dir;
    g_certificates = &certificates;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
