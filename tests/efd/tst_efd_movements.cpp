// An asset's G125 lines over its life (LC 87/96 art. 20 §5 and the layout's G125 notes).
#include "CiapMovements.h"
#include "EfdLayout.h"
#include "EfdProblem.h"
#include "GoldenMonth.h"

#include <QTest>

using namespace ciap::efd;

Q_DECLARE_METATYPE(AssetOrigin)
Q_DECLARE_METATYPE(ExitKind)
Q_DECLARE_METATYPE(ExitMonthInstalment)

namespace {

// "SI 01012024 48/2083; BA 31012024": kind, date, and instalment number/cents, when any.
QString describe(const QList<Movement>& lines) {
    QStringList out;
    for (const Movement& m : lines) {
        QString s = EfdLayout::movementCode(m.kind) + u' ' + m.date.toString(u"ddMMyyyy");
        if (m.instalment)
            s += QStringLiteral(" %1/%2").arg(m.instalment->number).arg(m.instalment->value);
        if (m.icms.has_value() != EfdLayout::isEntry(m.kind))
            s += QStringLiteral(" (ICMS?)"); // entries carry the ICMS parts, exits never
        out << s;
    }
    return out.join(QStringLiteral("; "));
}

} // namespace

class TestEfdMovements : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void lines_data() {
        QTest::addColumn<QDate>("entry");
        QTest::addColumn<qint64>("credit");
        QTest::addColumn<int>("count");
        QTest::addColumn<AssetOrigin>("origin");
        QTest::addColumn<QDate>("exit");
        QTest::addColumn<ExitKind>("kind");
        QTest::addColumn<ExitMonthInstalment>("choice");
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("expected");
        const auto counts = ExitMonthInstalment::Counts;
        const auto not_ = ExitMonthInstalment::DoesNotCount;
        const auto buy = AssetOrigin::Purchase;
        const auto none = ExitKind::None;
        const QDate jan(2024, 1, 1);
        const QDate noExit;
        QTest::newRow("purchase, entry month")
            << QDate(2024, 1, 31) << 480000LL << 48 << buy << noExit << none << counts << jan
            << "IM 31012024 1/10000";
        QTest::newRow("from stock") << QDate(2024, 1, 3) << 480000LL << 48 << AssetOrigin::FromStock
                                    << noExit << none << counts << jan << "MC 03012024 1/10000";
        QTest::newRow("component") << QDate(2024, 1, 3) << 480000LL << 48 << AssetOrigin::Component
                                   << noExit << none << counts << jan << "IA 03012024 1/10000";
        QTest::newRow("completion")
            << QDate(2024, 1, 3) << 480000LL << 48 << AssetOrigin::Completion << noExit << none
            << counts << jan << "CI 03012024 1/10000";
        QTest::newRow("before entry")
            << QDate(2024, 2, 1) << 480000LL << 48 << buy << noExit << none << counts << jan << "";
        QTest::newRow("second month, cut down")
            << QDate(2023, 12, 15) << 10000LL << 48 << buy << noExit << none << counts << jan
            << "SI 01012024 2/208";
        QTest::newRow("48th: SI + BA")
            << QDate(2020, 2, 5) << 100000LL << 48 << buy << noExit << none << counts << jan
            << "SI 01012024 48/2083; BA 31012024";
        QTest::newRow("49th") << QDate(2020, 1, 5) << 100000LL << 48 << buy << noExit << none
                              << counts << jan << "";
        QTest::newRow("state's count: 24")
            << QDate(2022, 2, 1) << 100000LL << 24 << buy << noExit << none << counts << jan
            << "SI 01012024 24/4166; BA 31012024";
        QTest::newRow("one instalment: IM + BA")
            << QDate(2024, 1, 5) << 100000LL << 1 << buy << noExit << none << counts << jan
            << "IM 05012024 1/100000; BA 31012024";
        QTest::newRow("sale, counts")
            << QDate(2023, 6, 1) << 240000LL << 48 << buy << QDate(2024, 1, 20) << ExitKind::Sale
            << counts << jan << "SI 01012024 8/5000; AT 20012024";
        QTest::newRow("sale, does not count")
            << QDate(2023, 6, 1) << 240000LL << 48 << buy << QDate(2024, 1, 20) << ExitKind::Sale
            << not_ << jan << "SI 01012024; AT 20012024";
        QTest::newRow("loss") << QDate(2023, 6, 1) << 240000LL << 48 << buy << QDate(2024, 1, 31)
                              << ExitKind::Loss << counts << jan
                              << "SI 01012024 8/5000; PE 31012024";
        QTest::newRow("other exit in the last month")
            << QDate(2020, 2, 5) << 100000LL << 48 << buy << QDate(2024, 1, 2) << ExitKind::Other
            << counts << jan << "SI 01012024 48/2083; OT 02012024";
        QTest::newRow("month after the exit")
            << QDate(2023, 6, 1) << 240000LL << 48 << buy << QDate(2023, 12, 31) << ExitKind::Sale
            << counts << jan << "";
        QTest::newRow("in and out in one month keeps instalment 1")
            << QDate(2024, 1, 10) << 480000LL << 48 << buy << QDate(2024, 1, 25) << ExitKind::Sale
            << not_ << jan << "IM 10012024 1/10000; AT 25012024";
    }
    void lines() {
        QFETCH(QDate, entry);
        QFETCH(qint64, credit);
        QFETCH(int, count);
        QFETCH(AssetOrigin, origin);
        QFETCH(QDate, exit);
        QFETCH(ExitKind, kind);
        QFETCH(ExitMonthInstalment, choice);
        QFETCH(QDate, month);
        QFETCH(QString, expected);
        const AssetFacts facts{.code = QStringLiteral("9"),
                               .entry = entry,
                               .icms = {credit, 0, 0, 0},
                               .instalments = count,
                               .origin = origin,
                               .exit = exit,
                               .exitKind = kind};
        QCOMPARE(describe(CiapMovements::forAsset(facts, month, choice)), expected);
    }

    void impossibleFacts() {
        AssetFacts sold{.code = QStringLiteral("9"),
                        .entry = QDate(2024, 1, 10),
                        .icms = {100, 0, 0, 0},
                        .exit = QDate(2024, 1, 9),
                        .exitKind = ExitKind::Sale};
        QVERIFY_THROWS_EXCEPTION(
            EfdError, CiapMovements::forAsset(sold, sold.entry, ExitMonthInstalment::Counts));
        AssetFacts none{.code = QStringLiteral("9"), .entry = QDate(2024, 1, 10), .instalments = 0};
        QVERIFY_THROWS_EXCEPTION(
            EfdError, CiapMovements::forAsset(none, none.entry, ExitMonthInstalment::Counts));
    }

    // The worked example: each asset's instalment, and G110 from the month's stored figures.
    void workedExample() {
        const QList<Movement> lines = CiapMovements::forMonth(golden::facts(), QDate(2024, 1, 1),
                                                              ExitMonthInstalment::Counts);
        QCOMPARE(describe(lines), QStringLiteral("IM 10012024 1/10000; SI 01012024 48/2083; "
                                                 "BA 31012024; SI 01012024 8/5000; "
                                                 "AT 20012024; SI 01012024 2/2500"));
        const Ciap c = CiapMovements::ciap(golden::figures(), lines);
        QCOMPARE(c.openingBalance, 460000);
        QCOMPARE(c.instalmentSum, 19583);
        QCOMPARE(c.outgoingIndex, 60000000);
        QCOMPARE(c.credit, 11750);
        QCOMPARE(c.otherCredits, 0);
        // 02/2024: the Torno finished, the Caminhão left; 100.00 + 25.00 remain.
        Cents february = 0;
        for (const Movement& m : CiapMovements::forMonth(golden::facts(), QDate(2024, 2, 1),
                                                         ExitMonthInstalment::Counts))
            february += m.instalment ? m.instalment->value : 0;
        QCOMPARE(february, 12500);
    }
};

QTEST_GUILESS_MAIN(TestEfdMovements)
#include "tst_efd_movements.moc"
