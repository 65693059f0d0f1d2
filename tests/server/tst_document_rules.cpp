// What a document's figures become: shares that add up to the amount whatever their size, the
// assets an item's quantity makes, and which CFOPs are an asset's entry or exit.
#include "DocumentRules.h"

#include <QTest>

using ciap::server::DocumentRules;

class tst_DocumentRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void apportion_data() {
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<QList<qint64>>("weights");
        QTest::addColumn<QList<qint64>>("shares");
        QTest::newRow("equal, leftover last")
            << qint64(10000) << QList<qint64>{1, 1, 1} << QList<qint64>{3333, 3333, 3334};
        QTest::newRow("by value, cut down")
            << qint64(42000) << QList<qint64>{45000000, 2000000} << QList<qint64>{40212, 1788};
        QTest::newRow("no value: equal")
            << qint64(101) << QList<qint64>{0, 0} << QList<qint64>{50, 51};
        QTest::newRow("products past 64 bits")
            << qint64(9999999999999) << QList<qint64>{9999999999999, 1}
            << QList<qint64>{9999999999998, 1};
        QTest::newRow("nothing to share")
            << qint64(0) << QList<qint64>{7, 3} << QList<qint64>{0, 0};
        QTest::newRow("no one to share with") << qint64(5) << QList<qint64>{} << QList<qint64>{};
    }
    void apportion() {
        QFETCH(qint64, amount);
        QFETCH(QList<qint64>, weights);
        QFETCH(QList<qint64>, shares);
        QCOMPARE(DocumentRules::apportion(amount, weights), shares);
    }

    void assetCount_data() {
        QTest::addColumn<qint64>("quantity");
        QTest::addColumn<int>("assets");
        QTest::newRow("three units") << qint64(300000) << 3;
        QTest::newRow("one unit") << qint64(100000) << 1;
        QTest::newRow("a fraction") << qint64(250000) << 1;
        QTest::newRow("less than one") << qint64(50000) << 1;
        QTest::newRow("the most listed") << qint64(1000) * 100000 << 1000;
        QTest::newRow("too many to list") << qint64(1001) * 100000 << 1;
    }
    void assetCount() {
        QFETCH(qint64, quantity);
        QFETCH(int, assets);
        QCOMPARE(DocumentRules::assetCount(quantity), assets);
    }

    void cfops_data() {
        QTest::addColumn<int>("cfop");
        QTest::addColumn<bool>("entry");
        QTest::addColumn<QString>("exit");
        QTest::newRow("1.551 purchase") << 1551 << true << "";
        QTest::newRow("2.406 under substitution") << 2406 << true << "";
        QTest::newRow("3.551 import") << 3551 << true << "";
        QTest::newRow("1.556 use and consumption") << 1556 << false << "";
        QTest::newRow("5.551 sale") << 5551 << false << "V";
        QTest::newRow("6.552 transfer") << 6552 << false << "V";
        QTest::newRow("7.553 return") << 7553 << false << "O";
        QTest::newRow("5.412 return under substitution") << 5412 << false << "O";
        QTest::newRow("5.101 goods") << 5101 << false << "";
    }
    void cfops() {
        QFETCH(int, cfop);
        QFETCH(bool, entry);
        QFETCH(QString, exit);
        QCOMPARE(DocumentRules::isAssetEntryCfop(cfop), entry);
        QCOMPARE(DocumentRules::exitKind(cfop), exit);
    }
};

QTEST_GUILESS_MAIN(tst_DocumentRules)
#include "tst_document_rules.moc"
