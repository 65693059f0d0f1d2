#include "AppropriationRules.h"
#include "CiapRules.h"
#include "Keys.h"
#include "Month.h"
#include "OutgoingRules.h"
#include "Params.h"
#include "ServerOptions.h"
#include "ServiceError.h"
#include "StorageError.h"

#include <QJsonArray>
#include <QRandomGenerator>
#include <QTest>

using namespace ciap::server;

class TestCiapRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void monthParsing_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("index");
        QTest::newRow("plain") << "03/2020" << true << 2020 * 12 + 2;
        QTest::newRow("blanks around") << " 12/2024 " << true << 2024 * 12 + 11;
        QTest::newRow("month 13") << "13/2020" << false << 0;
        QTest::newRow("month 0") << "00/2020" << false << 0;
        QTest::newRow("one digit") << "3/2020" << false << 0;
        QTest::newRow("mask blanks") << "  /    " << false << 0;
        QTest::newRow("other digits") << "0٣/2020" << false << 0;
        QTest::newRow("sql") << "01/2020' OR '1'='1" << false << 0;
    }
    void monthParsing() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, index);
        const auto m = Month::parse(text);
        QCOMPARE(m.has_value(), valid);
        if (valid) {
            QCOMPARE(m->index(), index);
            QCOMPARE(Month::fromIndex(index), *m);
            QCOMPARE(Month::parse(m->text()), m);
        }
    }

    void keys() {
        QCOMPARE(Keys::pad(QStringLiteral(" 1"), 2), QStringLiteral("01"));
        QCOMPARE(Keys::pad(QStringLiteral("123"), 2), std::nullopt);
        QCOMPARE(Keys::pad(QStringLiteral("42"), 10), QStringLiteral("0000000042"));
        QCOMPARE(Keys::parseSequence(QStringLiteral("42")), 42);
        QCOMPARE(Keys::parseSequence(QStringLiteral("0000000042")), 42);
        QCOMPARE(Keys::parseSequence(QStringLiteral("-1")), std::nullopt);
        QCOMPARE(Keys::parseSequence(QStringLiteral("1e3")), std::nullopt);
        QCOMPARE(Keys::parseSequence(QStringLiteral("12345678901")), std::nullopt);
        QCOMPARE(Keys::locate(42), QStringLiteral("C0000000042"));
        QCOMPARE(Keys::locate(9999999999).size(), 11);
        const QStringList stored{QStringLiteral("ABC-9"), QStringLiteral("111")};
        QCOMPARE(Keys::matchRegistration(stored, QStringLiteral(" abc-9 ")),
                 QStringLiteral("ABC-9"));
        QCOMPARE(Keys::matchRegistration(stored, QStringLiteral("11")), std::nullopt);
    }

    // LC 87/96 art. 20 §5: instalment n of month m, while 1 <= n <= count and still in use;
    // in the month of its exit as the state reads §5 V.
    void instalments_data() {
        QTest::addColumn<QDate>("entry");
        QTest::addColumn<double>("credit");
        QTest::addColumn<int>("count");
        QTest::addColumn<QDate>("exit");
        QTest::addColumn<bool>("exitMonthCounts");
        QTest::addColumn<QString>("month");
        QTest::addColumn<int>("number");
        QTest::addColumn<qint64>("cents");
        const QDate none;
        QTest::newRow("first month, entry at month end")
            << QDate(2024, 1, 31) << 4800.0 << 48 << none << true << "01/2024" << 1
            << qint64(10000);
        QTest::newRow("month before entry")
            << QDate(2024, 1, 1) << 4800.0 << 48 << none << true << "12/2023" << 0 << qint64(0);
        QTest::newRow("48th") << QDate(2020, 2, 5) << 1000.0 << 48 << none << true << "01/2024"
                              << 48 << qint64(2083);
        QTest::newRow("49th") << QDate(2020, 2, 5) << 1000.0 << 48 << none << true << "02/2024"
                              << 49 << qint64(0);
        QTest::newRow("cut down, never up")
            << QDate(2024, 1, 1) << 100.0 << 48 << none << true << "05/2024" << 5 << qint64(208);
        QTest::newRow("cut down .99")
            << QDate(2024, 1, 1) << 47.99 << 48 << none << true << "01/2024" << 1 << qint64(99);
        QTest::newRow("sold in the month, the state grants it")
            << QDate(2023, 6, 1) << 2400.0 << 48 << QDate(2024, 1, 20) << true << "01/2024" << 8
            << qint64(5000);
        QTest::newRow("sold in the month, the state grants none")
            << QDate(2023, 6, 1) << 2400.0 << 48 << QDate(2024, 1, 20) << false << "01/2024" << 8
            << qint64(0);
        QTest::newRow("entered and sold in one month, the state grants none")
            << QDate(2024, 1, 2) << 4800.0 << 48 << QDate(2024, 1, 20) << false << "01/2024" << 1
            << qint64(10000);
        QTest::newRow("sold the month before")
            << QDate(2023, 6, 1) << 2400.0 << 48 << QDate(2023, 12, 31) << true << "01/2024" << 8
            << qint64(0);
        QTest::newRow("own count 12") << QDate(2024, 1, 1) << 1200.0 << 12 << none << true
                                      << "12/2024" << 12 << qint64(10000);
        QTest::newRow("own count 12, 13th")
            << QDate(2024, 1, 1) << 1200.0 << 12 << none << true << "01/2025" << 13 << qint64(0);
        QTest::newRow("no credit")
            << QDate(2024, 1, 1) << 0.0 << 48 << none << true << "01/2024" << 1 << qint64(0);
    }
    void instalments() {
        QFETCH(QDate, entry);
        QFETCH(double, credit);
        QFETCH(int, count);
        QFETCH(QDate, exit);
        QFETCH(bool, exitMonthCounts);
        QFETCH(QString, month);
        QFETCH(int, number);
        QFETCH(qint64, cents);
        AssetRecord a;
        a.entry = entry;
        a.ownIcms = credit;
        a.instalments = count;
        a.exitDate = exit;
        const ExitMonthInstalment choice =
            exitMonthCounts ? ExitMonthInstalment::Counts : ExitMonthInstalment::DoesNotCount;
        const Month m = *Month::parse(month);
        QCOMPARE(CiapRules::instalmentNumber(entry, m), number);
        QCOMPARE(CiapRules::instalmentCents(a, m, choice), cents);
        // Over the whole life the instalments never add up to more than the credit.
        qint64 total = 0;
        for (int i = 0; i < count + 2; ++i)
            total += CiapRules::instalmentCents(a, Month::of(entry).addMonths(i), choice);
        QVERIFY(total <= CiapRules::creditCents(a));
    }

    // Which items are taxed by ICMS, by their CST or CSOSN.
    void taxedByIcms_data() {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<bool>("statesIcms");
        QTest::addColumn<int>("taxed"); // -1: unknown code
        const QList<std::tuple<const char*, bool, int>> rows{
            {"00", true, 1},   {"10", true, 1},   {"20", true, 1},   {"51", false, 1},
            {"60", false, 1},  {"70", true, 1},   {"02", true, 1},   {"61", false, 1},
            {"30", false, 0},  {"40", false, 0},  {"41", false, 0},  {"50", false, 0},
            {"90", true, 1},   {"90", false, 0},  {"101", false, 1}, {"102", false, 1},
            {"500", false, 1}, {"103", false, 0}, {"400", false, 0}, {"900", true, 1},
            {"900", false, 0}, {"99", true, -1},  {"", false, -1},   {"0", true, -1},
            {"000", true, -1}};
        for (const auto& [code, states, taxed] : rows)
            QTest::newRow(
                qPrintable(QStringLiteral("%1 %2").arg(QLatin1String(code), states ? "icms" : "-")))
                << QString::fromLatin1(code) << states << taxed;
    }
    void taxedByIcms() {
        QFETCH(QString, situation);
        QFETCH(bool, statesIcms);
        QFETCH(int, taxed);
        const auto got = OutgoingRules::taxedByIcms(situation, statesIcms);
        QCOMPARE(got.has_value() ? int(*got) : -1, taxed);
    }

    // The appropriated figures as the tax file carries them: IND_PER_SAI at 8 decimals,
    // ICMS_APROP in cents, shares adding up to it.
    void appropriation_data() {
        QTest::addColumn<qint64>("total");
        QTest::addColumn<qint64>("taxed");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QList<qint64>>("instalments");
        QTest::addColumn<qint64>("index");
        QTest::addColumn<qint64>("credit");
        QTest::addColumn<QList<qint64>>("shares");
        const QList<qint64> january{10000, 2083, 5000, 2500};
        QTest::newRow("January, 0.6")
            << qint64(150000) << qint64(90000) << "01" << january << qint64(60000000)
            << qint64(11750) << QList<qint64>{6000, 1250, 3000, 1500};
        QTest::newRow("exporter, two thirds rounded up")
            << qint64(9000000) << qint64(6000000) << "01" << QList<qint64>{10000, 2500, 2000}
            << qint64(66666667) << qint64(9667) << QList<qint64>{6667, 1667, 1333};
        QTest::newRow("one third, cut")
            << qint64(300) << qint64(100) << "01" << QList<qint64>{100, 100, 100}
            << qint64(33333333) << qint64(100) << QList<qint64>{34, 33, 33};
        QTest::newRow("kind 50, no taxed: whole balance")
            << qint64(50000) << qint64(0) << "50" << january << qint64(0) << qint64(19583)
            << january;
        QTest::newRow("kind 60, no outgoing") << qint64(0) << qint64(0) << "60" << january
                                              << qint64(100000000) << qint64(19583) << january;
        QTest::newRow("no outgoing, other kind: no division, nothing")
            << qint64(0) << qint64(0) << "01" << january << qint64(0) << qint64(0)
            << QList<qint64>{0, 0, 0, 0};
        QTest::newRow("all taxed") << qint64(8000) << qint64(8000) << "01" << january
                                   << qint64(100000000) << qint64(19583) << january;
    }
    void appropriation() {
        QFETCH(qint64, total);
        QFETCH(qint64, taxed);
        QFETCH(QString, kind);
        QFETCH(QList<qint64>, instalments);
        QFETCH(qint64, index);
        QFETCH(qint64, credit);
        QFETCH(QList<qint64>, shares);
        const AppropriationRules::Result r =
            AppropriationRules::appropriate(total, taxed, kind, instalments);
        QCOMPARE(r.index, index);
        QCOMPARE(r.creditCents, credit);
        QCOMPARE(r.shares, shares);
    }

    // Whatever the figures: the credit is the balance times the 8-decimal coefficient to the
    // cent, and the shares add up to it, each within a cent of its exact part.
    void appropriationAddsUp() {
        QRandomGenerator random(20240131);
        for (int round = 0; round < 500; ++round) {
            const qint64 total = 1 + random.bounded(Q_INT64_C(100000000000));
            const qint64 taxed = random.bounded(total + 1);
            QList<qint64> instalments;
            for (int i = 0, n = 1 + int(random.bounded(60)); i < n; ++i)
                instalments << random.bounded(Q_INT64_C(50000000));
            const auto r =
                AppropriationRules::appropriate(total, taxed, QStringLiteral("01"), instalments);
            const long double exactIndex = (long double)taxed / (long double)total * 1e8L;
            QVERIFY(std::fabs((long double)r.index - exactIndex) <= 0.5L);
            qint64 balance = 0;
            qint64 sum = 0;
            for (int i = 0; i < instalments.size(); ++i) {
                balance += instalments[i];
                sum += r.shares[i];
                const long double exact = (long double)instalments[i] * r.index / 1e8L;
                QVERIFY(r.shares[i] >= qint64(exact) && r.shares[i] <= qint64(exact) + 1);
            }
            QCOMPARE(sum, r.creditCents);
            QVERIFY(std::fabs((long double)r.creditCents - (long double)balance * r.index / 1e8L) <=
                    0.5L);
        }
    }

    void creditOfFourParts() {
        AssetRecord a;
        a.ownIcms = 1000.0;
        a.stIcms = 100.0;
        a.freightIcms = 50.5;
        a.difalIcms = 49.5;
        a.entry = QDate(2024, 1, 1);
        QCOMPARE(CiapRules::creditCents(a), qint64(120000));
        QCOMPARE(CiapRules::instalment(a, *Month::parse(QStringLiteral("01/2024")),
                                       ExitMonthInstalment::Counts),
                 25.0);
    }

    // The figures of a month, whatever kind of tax.
    void coefficientAndCredit_data() {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("taxed");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("coefficient");
        QTest::addColumn<double>("credit"); // of a balance of 400
        QTest::newRow("both zero, whole") << 0.0 << 0.0 << "50" << 1.0 << 400.0;
        QTest::newRow("both zero, other") << 0.0 << 0.0 << "01" << 0.0 << 0.0;
        QTest::newRow("no taxed, whole") << 500.0 << 0.0 << "60" << 0.0 << 400.0;
        QTest::newRow("no taxed, other") << 500.0 << 0.0 << "01" << 0.0 << 0.0;
        QTest::newRow("both, whole") << 1000.0 << 250.0 << "50" << 1.0 << 400.0;
        QTest::newRow("both, other") << 1000.0 << 250.0 << "01" << 0.25 << 100.0;
        QTest::newRow("all taxed") << 80.0 << 80.0 << "01" << 1.0 << 400.0;
    }
    void coefficientAndCredit() {
        QFETCH(double, total);
        QFETCH(double, taxed);
        QFETCH(QString, kind);
        QFETCH(double, coefficient);
        QFETCH(double, credit);
        const double c = CiapRules::coefficient(total, taxed, kind);
        QCOMPARE(c, coefficient);
        QCOMPARE(CiapRules::appropriable(400.0, c, kind), credit);
    }

    void outgoingChecks_data() {
        QTest::addColumn<double>("total");
        QTest::addColumn<double>("taxed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("equal") << 80.0 << 80.0 << true;
        QTest::newRow("taxed above") << 80.0 << 100.0 << false;
        // Negative figures would give a coefficient above 1: a credit larger than the balance.
        QTest::newRow("negative") << -10.0 << -20.0 << false;
        QTest::newRow("zero") << 0.0 << 0.0 << true;
    }
    void outgoingChecks() {
        QFETCH(double, total);
        QFETCH(double, taxed);
        QFETCH(bool, accepted);
        bool ok = true;
        try {
            CiapRules::checkOutgoing(total, taxed);
        } catch (const ServiceError& e) {
            ok = false;
            QCOMPARE(e.code(), -32000);
        }
        QCOMPARE(ok, accepted);
    }

    // What the user is told of a database failure hangs on its kind: wait and retry, call
    // support, or reload the row another user changed.
    void storageErrorKinds_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("kind");
        QTest::newRow("SQLite busy") << "5"
                                     << "busy";
        QTest::newRow("PostgreSQL deadlock") << "40P01"
                                             << "busy";
        QTest::newRow("SQLite read-only") << "8"
                                          << "read-only";
        QTest::newRow("PostgreSQL read-only") << "25006"
                                              << "read-only";
        QTest::newRow("SQLite full") << "13"
                                     << "full";
        QTest::newRow("PostgreSQL disk full") << "53100"
                                              << "full";
        QTest::newRow("SQLite unique") << "2067"
                                       << "duplicate";
        QTest::newRow("SQLite primary key") << "1555"
                                            << "duplicate";
        QTest::newRow("PostgreSQL unique") << "23505"
                                           << "duplicate";
        QTest::newRow("anything else") << "1"
                                       << "";
    }
    void storageErrorKinds() {
        QFETCH(QString, code);
        QFETCH(QString, kind);
        const StorageError e(QStringLiteral("statement"), code, QStringLiteral("driver text"));
        QCOMPARE(e.busy(), kind == QLatin1String("busy"));
        QCOMPARE(e.readOnly(), kind == QLatin1String("read-only"));
        QCOMPARE(e.full(), kind == QLatin1String("full"));
        QCOMPARE(e.duplicateKey(), kind == QLatin1String("duplicate"));
    }

    void paramsNameTheArgument() {
        const QStringList names{QStringLiteral("empresa"), QStringLiteral("dtInicial")};
        try {
            Params p(QStringLiteral("getX"), QJsonArray{QStringLiteral("01")}, names);
            QFAIL("a missing argument was accepted");
        } catch (const ServiceError& e) {
            QCOMPARE(e.code(), -32602);
            QVERIFY(e.message().contains(QLatin1String("2 argumentos")));
        }
        const Params p(QStringLiteral("getX"), QJsonArray{1, QStringLiteral("31/01/2024")}, names);
        for (int i : {0, 1}) {
            try {
                i == 0 ? (void)p.company(0) : (void)p.date(1);
                QFAIL("a wrong type was accepted");
            } catch (const ServiceError& e) {
                QCOMPARE(e.code(), -32602);
                QVERIFY2(e.message().contains(names.at(i)), qPrintable(e.message()));
            }
        }
        const Params ok(QStringLiteral("getX"),
                        QJsonArray{QStringLiteral("1"), QStringLiteral("2024-01-31T10:00:00")},
                        names);
        QCOMPARE(ok.company(0), QStringLiteral("01"));
        const Params nul(QStringLiteral("getX"),
                         QJsonArray{QStringLiteral("0\u0000"), QStringLiteral("x")}, names);
        try {
            (void)nul.company(0);
            QFAIL("a control character was accepted");
        } catch (const ServiceError& e) {
            QCOMPARE(e.code(), -32602);
        }
        QCOMPARE(ok.date(1), QDate(2024, 1, 31));
    }

    void options_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("envToken");
        QTest::addColumn<bool>("accepted");
        const QStringList db{QStringLiteral("--database"), QStringLiteral("x.db")};
        QTest::newRow("loopback") << db << QString() << true;
        QTest::newRow("no database") << QStringList() << QString() << false;
        const QString token = QStringLiteral("0123456789abcdef");
        const QStringList open = db + QStringList{"--host", "0.0.0.0"};
        const QStringList tls{"--tls-cert", "c.pem", "--tls-key", "k.pem"};
        QTest::newRow("any address, no token") << (open + tls) << QString() << false;
        QTest::newRow("any address, token, no TLS")
            << (open + QStringList{"--token", token}) << QString() << false;
        QTest::newRow("any address, token, plain text allowed")
            << (open + QStringList{"--token", token, "--allow-plaintext"}) << QString() << true;
        QTest::newRow("any address, token, TLS")
            << (open + tls + QStringList{"--token", token}) << QString() << true;
        QTest::newRow("any address, env token, TLS") << (open + tls) << token << true;
        QTest::newRow("short token")
            << (db + QStringList{"--token", "s3cret"}) << QString() << false;
        QTest::newRow("blank token") << db << QString(16, QLatin1Char(' ')) << false;
        QTest::newRow("the example's token")
            << db << QStringLiteral("CHANGE-ME-to-the-output-of-openssl-rand") << false;
        QTest::newRow("certificate without key")
            << (db + QStringList{"--tls-cert", "c.pem"}) << QString() << false;
        QTest::newRow("timeouts") << (db + QStringList{"--auth-timeout-s", "3", "--idle-timeout-s",
                                                       "60", "--shutdown-timeout-s", "5"})
                                  << QString() << true;
        QTest::newRow("no waiting room")
            << (db + QStringList{"--max-unauthenticated", "0"}) << QString() << false;
        QTest::newRow("bad port") << (db + QStringList{"--port", "70000"}) << QString() << false;
        QTest::newRow("host name")
            << (db + QStringList{"--host", "example.org"}) << QString() << false;
    }
    void options() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, envToken);
        QFETCH(bool, accepted);
        QProcessEnvironment env;
        if (!envToken.isEmpty())
            env.insert(QStringLiteral("CIAP_SERVER_TOKEN"), envToken);
        QString error;
        const auto o = ServerOptions::parse(QStringList{QStringLiteral("ciap-server")} + arguments,
                                            env, &error);
        QCOMPARE(o.has_value(), accepted);
        QCOMPARE(error.isEmpty(), accepted);
        const qsizetype t = arguments.indexOf(QStringLiteral("--token"));
        const QString token = t >= 0 ? arguments.at(t + 1) : envToken;
        if (!token.trimmed().isEmpty())
            QVERIFY2(!error.contains(token), "the token was echoed");
    }
};

QTEST_GUILESS_MAIN(TestCiapRules)
#include "tst_ciap_rules.moc"
