// Two ciap-server processes on one database, with clients writing through both at once: no
// lost update, every sequence number once, loads and appropriations whole or not at all.
#include "CiapApi.h"
#include "ServerFixture.h"

#include "FixtureCodes.h"

#include <QSet>
#include <QTest>
#include <functional>
#include <latch>
#include <thread>

using ciap::DataPacket;
using fixture::Company;
using fixture::Tax;

class TestServerCluster : public QObject {
    Q_OBJECT

private:
    ServerFixture m_fx; // the first server and the database
    ServerProcess m_second;

    const ServerProcess& server(int i) const { return i % 2 == 0 ? m_fx.server : m_second; }

    // Each job on its own thread with its own client of server(job index), started together.
    static void together(int jobs, const std::function<void(int, RpcTestClient&)>& job,
                         const std::function<const ServerProcess&(int)>& serverOf) {
        std::latch ready(jobs);
        std::vector<std::thread> threads;
        for (int i = 0; i < jobs; ++i) {
            threads.emplace_back([&, i] {
                RpcTestClient c;
                const bool connected = c.connectTo(serverOf(i).host(), serverOf(i).port());
                ready.arrive_and_wait();
                if (connected)
                    job(i, c);
            });
        }
        for (auto& t : threads)
            t.join();
    }
    void together(int jobs, const std::function<void(int, RpcTestClient&)>& job) {
        together(jobs, job, [this](int i) -> const ServerProcess& { return server(i); });
    }

private Q_SLOTS:
    void initTestCase() {
        const ServerFixture::Start started = m_fx.start();
        if (started == ServerFixture::Start::Skipped)
            QSKIP(qPrintable(m_fx.error));
        QVERIFY2(started == ServerFixture::Start::Ready, qPrintable(m_fx.error));
        QVERIFY2(m_second.start(m_fx.db.location()), qPrintable(m_second.error()));
    }
    void init() { m_fx.db.reset(); }
    void cleanupTestCase() {
        QVERIFY(m_second.stop());
        QVERIFY(m_fx.server.stop());
    }

    // Servers started together on a database without tables: one creates them, the other
    // waits and finds them made; both serve.
    void startTogetherOnANewDatabase() {
        TestDatabase fresh;
        QString why;
        QVERIFY2(fresh.create(&why, TestDatabase::NoSchema), qPrintable(why));
        ServerProcess a, b;
        QVERIFY2(a.begin(fresh.location()) && b.begin(fresh.location()), "cannot start");
        QVERIFY2(a.awaitReady(), qPrintable(a.error()));
        QVERIFY2(b.awaitReady(), qPrintable(b.error()));
        QVERIFY(a.stop() && b.stop());
    }

    // Screens on both servers asking for numbers and posting: every number once, every post
    // kept.
    void numbersAndPosts() {
        constexpr int Clients = 8;
        constexpr int Each = 10;
        std::vector<QStringList> numbers(Clients);
        std::vector<int> failures(Clients, Each);
        together(Clients, [&](int i, RpcTestClient& c) {
            CiapApi a(c);
            failures[i] = 0;
            for (int k = 0; k < Each; ++k) {
                const QString month =
                    QStringLiteral("%1/%2").arg(k % 12 + 1, 2, 10, QLatin1Char('0')).arg(2030 + i);
                const QString seq = a.newSequence(Company, Tax, QDate(2030, 1, 1));
                numbers[i] << seq;
                if (!a.apply(a.insertion(Company, Tax, "111", month, 0, 0, seq))
                         .contains(QStringLiteral("result")))
                    ++failures[i];
            }
        });
        QStringList all;
        for (int i = 0; i < Clients; ++i) {
            QCOMPARE(failures[i], 0);
            all << numbers[i];
        }
        QCOMPARE(QSet<QString>(all.begin(), all.end()).size(), Clients * Each);
        RpcTestClient c;
        QVERIFY(c.connectTo(m_second.host(), m_second.port()));
        QCOMPARE(CiapApi(c).list(Company, Tax).rows.size(), Clients * Each);
    }

    // Two screens, one on each server, change the same competência from the same reading:
    // one wins, the other is told the row changed, and the stored row is the winner's.
    void staleDeltaIsRefused() {
        RpcTestClient setup;
        QVERIFY(setup.connectTo(m_fx.server.host(), m_fx.server.port()));
        CiapApi api(setup);
        constexpr int Rows = 6;
        for (int r = 0; r < Rows; ++r)
            QVERIFY(api.create(Company, Tax, "111", QStringLiteral("0%1/2024").arg(r + 1))
                        .contains(QStringLiteral("result")));
        const DataPacket read = api.list(Company, Tax);
        for (int r = 0; r < Rows; ++r) {
            int codes[2] = {-1, -1};
            together(2, [&](int i, RpcTestClient& c) {
                const QVariantMap change{{"VRSAIDACIAP", 1000.0 * (i + 1)},
                                         {"VRSAIDATRIBCIAP", 10.0}};
                codes[i] = c.errorCode(CiapApi(c).apply(CiapApi::modification(read, r, change)));
            });
            QVERIFY2((codes[0] == 0) != (codes[1] == 0),
                     qPrintable(QStringLiteral("%1 %2").arg(codes[0]).arg(codes[1])));
            QCOMPARE(codes[0] + codes[1], -32001);
            const double stored =
                CiapApi::value(api.list(Company, Tax), r, "VRSAIDACIAP").toDouble();
            QCOMPARE(stored, codes[0] == 0 ? 1000.0 : 2000.0);
        }
    }

    // A month's load on one server and its appropriation on the other, at once: either the
    // load comes first and is appropriated whole, or the appropriation comes first and the
    // load is refused; the figures always agree with the assets stored.
    void loadAndAppropriationRace() {
        const int Many = m_fx.db.isPostgres() ? 3000 : 10000;
        m_fx.db.addManyAssets(Many);
        RpcTestClient setup;
        QVERIFY(setup.connectTo(m_fx.server.host(), m_fx.server.port()));
        CiapApi api(setup);
        for (int month = 1; month <= 3; ++month) {
            const QString competencia = QStringLiteral("0%1/2024").arg(month);
            QVERIFY(
                api.create(Company, Tax, "111", competencia).contains(QStringLiteral("result")));
            const DataPacket p = api.list(Company, Tax);
            const int row = CiapApi::find(p, competencia);
            const QString seq = CiapApi::value(p, row, "NRSEQCIAP").toString();
            const QJsonObject one =
                setup.call(QStringLiteral("GravaInfBensCiap"),
                           {Company, "1000000", Tax, QStringLiteral("2024-0%1-01").arg(month), "I",
                            "111", seq});
            QVERIFY2(one.contains(QStringLiteral("result")), qPrintable(setup.errorMessage(one)));
            QJsonObject replies[2];
            together(2, [&](int i, RpcTestClient& c) {
                replies[i] = i == 0 ? CiapApi(c).load(p, row, QStringLiteral("BEM"))
                                    : c.call(QStringLiteral("Apropriar"),
                                             {Company, Tax, competencia, 0.0, seq});
            });
            QCOMPARE(setup.errorCode(replies[1]), 0);
            const bool loadedFirst = CiapApi::loaded(replies[0]) == QLatin1String("OK");
            if (!loadedFirst)
                QCOMPARE(setup.errorCode(replies[0]), -32000);
            const DataPacket after = api.list(Company, Tax);
            QCOMPARE(CiapApi::value(after, row, "IDSITCOMPETCIAP").toString(), QStringLiteral("A"));
            const QVariantList stored{Company, Tax, seq.toLongLong()};
            const int count = m_fx.db
                                  .scalar(QStringLiteral("SELECT COUNT(*) FROM CIAPBEM WHERE "
                                                         "CDEMPRESA = ? AND CDIMPOSTO = ? AND "
                                                         "NRSEQCIAP = ?"),
                                          stored)
                                  .toInt();
            QVERIFY2(loadedFirst ? count > Many : count == 1, qPrintable(QString::number(count)));
            QCOMPARE(CiapApi::value(after, row, "ITEMEXISTE").toInt(), count);
            const double sum =
                m_fx.db
                    .scalar(QStringLiteral("SELECT SUM(VRPARCELACIAP) FROM CIAPBEM WHERE "
                                           "CDEMPRESA = ? AND CDIMPOSTO = ? AND NRSEQCIAP = ?"),
                            stored)
                    .toDouble();
            QVERIFY(qAbs(CiapApi::value(after, row, "VRSALDOPARCCIAP").toDouble() - sum) < 0.005);
        }
    }
};

QTEST_GUILESS_MAIN(TestServerCluster)
#include "tst_server_cluster.moc"
