// What a document means in the register, as the fiscal team reads it back: the assets of a
// purchase, their freight and rate differential, the month's outgoing items, the exits they
// record and what a cancellation undoes, whichever file comes first.
#include "ImportFixture.h"
#include "RegisterEditing.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

#include <QTest>

using namespace ciap::server;
using fixture::Company;

namespace {

// TestDatabase's company already holds assets 1 to 6: the counter goes on from there.
const QString AssetsSql = QStringLiteral(
    "SELECT a.CDBEMATIVO, CAST(ROUND(a.VRICMSPROPRIO * 100) AS BIGINT),"
    " CAST(ROUND(a.VRICMSST * 100) AS BIGINT), CAST(ROUND(a.VRICMSFRETE * 100) AS BIGINT),"
    " a.IDDIFALPENDENTE, a.NRPARCELAS, a.CDINSCESTA FROM BEMATIVO a"
    " WHERE a.CDEMPRESA = ? AND a.CDBEMATIVO > '0000000006' ORDER BY a.CDBEMATIVO");

QString supplierKey() {
    return samples::keyOf(samples::read(samples::Supplier));
}

} // namespace

class tst_Import : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;

    QStringList assets() { return m_fx.rows(AssetsSql, {Company}); }
    void expectAllImported(const ImportSummary& s, int files) {
        QCOMPARE(s.refused, 0);
        QCOMPARE(s.imported, files);
    }
    template <typename Work> void edit(Work work) {
        TransactionGuard tx(m_fx.session());
        RegisterEditing editing(m_fx.session());
        work(editing);
        tx.commit();
    }
    void assetWithPatrimony(const QString& patrimony) {
        edit([&](RegisterEditing& e) {
            AssetChanges c;
            c.name = QStringLiteral("Prensa hidráulica 100 t");
            c.entryDate = QDate(2019, 5, 2);
            c.patrimony = patrimony;
            e.create(Company, samples::Registration, c);
        });
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
    }
    void init() { m_fx.reset(); }

    // The buyer decides what a supplier's NF-e brings: every item, some, or none yet. An item of
    // quantity 3 is three assets with a third of its ICMS each; the interstate purchase waits
    // for its rate differential; the entry date is dhSaiEnt in the issuer's own offset.
    void supplierPurchase_data() {
        QTest::addColumn<bool>("assets");
        QTest::addColumn<QList<int>>("items");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("turned");
        const QString reg = samples::Registration;
        const QString torno = QStringLiteral("|1800000|0|0|S|48|") + reg;
        QTest::newRow("kept as a purchase")
            << false << QList<int>{} << QStringList{} << QStringList{"1|N", "2|N"};
        QTest::newRow("every item")
            << true << QList<int>{}
            << QStringList{"0000000007" + torno, "0000000008" + torno, "0000000009" + torno,
                           "0000000010|252000|126000|0|S|48|" + reg}
            << QStringList{"1|S", "2|S"};
        QTest::newRow("the items named")
            << true << QList<int>{2} << QStringList{"0000000007|252000|126000|0|S|48|" + reg}
            << QStringList{"1|N", "2|S"};
    }
    void supplierPurchase() {
        QFETCH(bool, assets);
        QFETCH(QList<int>, items);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, turned);
        expectAllImported(m_fx.importSamples({samples::Supplier}, ImportOptions{assets, items}), 1);
        QCOMPARE(this->assets(), expected);
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT NRITEM, IDBEM FROM NFENTRADAITEM ORDER BY 1")),
                 turned);
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDPARTICIPANTE, DTENTRADA, IDINTERESTADUAL,"
                                          " IDEMITENTE FROM NFENTRADA")),
                 QStringList{"98765432000198|2024-03-15|S|1"});
        if (!expected.isEmpty())
            QCOMPARE(m_fx.rows(QStringLiteral("SELECT d.CDPARTICIPANTE, d.CDMODELO, d.NRSERIE,"
                                              " d.NRDOCUMENTO, d.CHDOCUMENTO, d.NRITEM,"
                                              " d.QTAPLICADA, a.DTENTRADA, a.CDUNIDADE"
                                              " FROM BEMDOCUMENTO d JOIN BEMATIVO a ON"
                                              " a.CDEMPRESA = d.CDEMPRESA AND a.CDBEMATIVO ="
                                              " d.CDBEMATIVO WHERE d.CDBEMATIVO = '0000000007'")),
                     QStringList{QStringLiteral("98765432000198|55|1|45821|%1|%2|100000|"
                                                "2024-03-15|UN")
                                     .arg(supplierKey())
                                     .arg(items.isEmpty() ? 1 : items.first())});
    }

    // A kept purchase's items become assets later, each item once; the state's own number of
    // instalments applies.
    void purchaseItemsLater() {
        m_fx.db.exec(QStringLiteral("INSERT INTO UFCIAP (SGUF, NRPARCELAS) VALUES ('SP', 60)"));
        expectAllImported(m_fx.importSamples({samples::Supplier}), 1);
        edit([&](RegisterEditing& e) {
            QCOMPARE(e.assetsFromPurchase(Company, supplierKey(), {2}), QStringList{"0000000007"});
            QVERIFY_THROWS_EXCEPTION(ServiceError,
                                     e.assetsFromPurchase(Company, supplierKey(), {2}));
            QCOMPARE(e.assetsFromPurchase(Company, supplierKey(), {}).size(), 3);
            QVERIFY_THROWS_EXCEPTION(ServiceError,
                                     e.assetsFromPurchase(Company, supplierKey(), {}));
            QVERIFY_THROWS_EXCEPTION(
                ServiceError, e.assetsFromPurchase(fixture::OtherCompany, supplierKey(), {}));
        });
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM BEMATIVO WHERE NRPARCELAS = 60"))
                     .toInt(),
                 4);
    }

    // The CT-e's 420.00 of ICMS by the items' value: 402.12 for the tornos (134.04 each) and
    // 17.88 for the compressor, whether the CT-e or the NF-e came first.
    void freightWhicheverFirst_data() {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("invoice first") << QStringList{samples::Supplier, samples::SupplierFreight};
        QTest::newRow("freight first") << QStringList{samples::SupplierFreight, samples::Supplier};
    }
    void freightWhicheverFirst() {
        QFETCH(QStringList, files);
        expectAllImported(m_fx.importSamples(files, ImportOptions{true, {}}), 2);
        QStringList freight;
        for (const QString& row : assets())
            freight << row.section(QLatin1Char('|'), 3, 3);
        QCOMPARE(freight, (QStringList{"13404", "13404", "13404", "1788"}));
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT VRICMSFRETECENT FROM NFENTRADAITEM ORDER BY "
                                          "NRITEM")),
                 (QStringList{"40212", "1788"}));
    }

    // The company's own import entry: its CFOP 3.551 makes the asset without being asked, the
    // foreign seller is the participant, no rate differential is due; the CT-e it took adds its
    // freight.
    void ownEntryAndItsFreight() {
        expectAllImported(m_fx.importSamples({samples::OwnEntryFreight, samples::OwnEntry}), 2);
        QCOMPARE(assets(),
                 QStringList{"0000000007|20019512|0|21600|N|48|" + samples::Registration});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT IDEMITENTE, CDPARTICIPANTE, DTDOCUMENTO FROM"
                                          " BEMDOCUMENTO")),
                 QStringList{"0|EXDE811907980|2023-08-10"});
    }

    // Every outgoing item feeds the month with its operation value: goods less discount plus
    // other charges, its CFOP and ICMS situation as written.
    void outgoingItems() {
        m_fx.importSamples({samples::Outgoing});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDINSCESTA, CDMODELO, NRSERIE, NRNFSAIDA,"
                                          " DTEMISSAONF, IDCANCELADA, CDPARTICIPANTE FROM NFSAIDA"
                                          " WHERE CHNFE IS NOT NULL")),
                 QStringList{samples::Registration + "|55|1|10254|2024-03-31|N|55566677000183"});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT NRITEM, CDCFOP, CDORIGEM, CDSITTRIB,"
                                          " VRCONTABILCENT, VRICMSCENT FROM NFSAIDAITEM"
                                          " WHERE CDINSCESTA = ? ORDER BY NRITEM"),
                           {samples::Registration}),
                 (QStringList{"1|5101|0|00|250000|45000", "2|6102|0|40|40000|0",
                              "3|7101|0|41|61728|0", "4|5551|0|20|3510000|420021",
                              "5|5949|0|50|300000|0", "6|5102|0|102|4748|0"}));
    }

    // An asset-exit item takes the assets it names clearly; anything else waits for the user.
    void exits_data() {
        QTest::addColumn<QString>("productCode");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<bool>("quoteKey");
        QTest::addColumn<QStringList>("exits");
        QTest::addColumn<QString>("pending");
        QTest::newRow("patrimony code as product code")
            << "PH-100"
            << "1.0000" << false << QStringList{"0000000011|2024-03-31|V"} << "";
        QTest::newRow("entry key quoted, same product")
            << "TCNC-450"
            << "3.0000" << true
            << QStringList{"0000000007|2024-03-31|V", "0000000008|2024-03-31|V",
                           "0000000009|2024-03-31|V"}
            << "";
        QTest::newRow("fewer units than assets named")
            << "TCNC-450"
            << "2.0000" << true << QStringList{}
            << "3 bem(ns) correspondem ao item de quantidade 2";
        QTest::newRow("key quoted, other product")
            << "CMP-99"
            << "1.0000" << true << QStringList{} << "nenhum bem";
        QTest::newRow("a product no asset has")
            << "XYZ"
            << "1.0000" << false << QStringList{} << "nenhum bem";
    }
    void exits() {
        QFETCH(QString, productCode);
        QFETCH(QString, quantity);
        QFETCH(bool, quoteKey);
        QFETCH(QStringList, exits);
        QFETCH(QString, pending);
        expectAllImported(m_fx.importSamples({samples::Supplier}, ImportOptions{true, {}}), 1);
        assetWithPatrimony(QStringLiteral("PH-100"));
        const QString information =
            quoteKey
                ? QStringLiteral("Bem comprado pela NF-e %1").arg(supplierKey().insert(22, ' '))
                : QStringLiteral("Venda de bem usado");
        const QByteArray sale = samples::outgoingItem(20001, QStringLiteral("5551"), productCode,
                                                      quantity, information);
        expectAllImported(m_fx.import({ImportFixture::source("venda.xml", sale)}), 1);
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDBEMATIVO, DTSAIDA, IDTPSAIDA FROM BEMATIVO"
                                          " WHERE DTSAIDA IS NOT NULL AND CDEMPRESA = ?"
                                          " AND CDBEMATIVO > '0000000006' ORDER BY 1"),
                           {Company}),
                 exits);
        const QStringList waiting =
            m_fx.rows(QStringLiteral("SELECT DSMOTIVO FROM SAIDAPENDENTE WHERE CHNFE = ?"),
                      {samples::keyOf(sale)});
        QCOMPARE(waiting.size(), pending.isEmpty() ? 0 : 1);
        if (!pending.isEmpty())
            QVERIFY2(waiting.first().contains(pending), qPrintable(waiting.first()));
        if (!exits.isEmpty())
            QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM BEMDOCUMENTO WHERE"
                                                " IDMOVIMENTO = 'S' AND CHDOCUMENTO = ?"),
                                 {samples::keyOf(sale)})
                         .toInt(),
                     exits.size());
    }

    // The cancellation marks its invoice and undoes the exit the invoice recorded, whether it
    // came before or after the invoice.
    void cancellationWhicheverFirst_data() {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("invoice first") << QStringList{samples::Outgoing, samples::Cancellation};
        QTest::newRow("event first") << QStringList{samples::Cancellation, samples::Outgoing};
    }
    void cancellationWhicheverFirst() {
        QFETCH(QStringList, files);
        assetWithPatrimony(QStringLiteral("PH-100"));
        expectAllImported(m_fx.importSamples(files), 2);
        QCOMPARE(
            m_fx.rows(QStringLiteral("SELECT IDCANCELADA FROM NFSAIDA WHERE CHNFE IS NOT NULL")),
            QStringList{"S"});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT DTSAIDA, IDTPSAIDA FROM BEMATIVO WHERE"
                                          " CDBEMATIVO = '0000000007' AND CDEMPRESA = ?"),
                           {Company}),
                 QStringList{"|"});
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM BEMDOCUMENTO WHERE IDMOVIMENTO"
                                            " = 'S'"))
                     .toInt(),
                 0);
    }

    // A cancelled purchase takes its assets with it, unless a competência already holds one:
    // that one stays, and the register says why it needs the user.
    void cancelledPurchase() {
        expectAllImported(m_fx.importSamples({samples::Supplier}, ImportOptions{true, {2}}), 1);
        m_fx.db.exec(QStringLiteral("INSERT INTO CIAPCOMPET (CDEMPRESA, CDIMPOSTO, NRSEQCIAP,"
                                    " CDINSCESTA, DTCOMPETECIAP) VALUES (?, ?, 1, ?, ?)"),
                     {Company, fixture::Tax, samples::Registration, QDate(2024, 3, 1)});
        m_fx.db.exec(QStringLiteral("INSERT INTO CIAPBEM (CDEMPRESA, CDIMPOSTO, NRSEQCIAP,"
                                    " CDBEMATIVO, VRPARCELACIAP, VRAPROPARCCIAP) VALUES (?, ?, 1,"
                                    " '0000000007', 1, 1)"),
                     {Company, fixture::Tax});
        edit([&](RegisterEditing& e) { e.assetsFromPurchase(Company, supplierKey(), {1}); });
        QString event = QString::fromUtf8(samples::read(samples::Cancellation));
        event.replace(QStringLiteral("35240312345678000195550010000102541310320246"),
                      supplierKey());
        event.replace(QStringLiteral("ID1101113524031234567800019555001000010254131032024601"),
                      QStringLiteral("ID110111%101").arg(supplierKey()));
        expectAllImported(m_fx.import({ImportFixture::source("canc.xml", event.toUtf8())}), 1);
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDBEMATIVO FROM BEMATIVO WHERE CDEMPRESA = ?"
                                          " AND CDBEMATIVO > '0000000006'"),
                           {Company}),
                 QStringList{"0000000007"});
        edit([&](RegisterEditing& e) {
            const QList<AssetGaps> gaps = e.gaps(Company, samples::Registration, false);
            QCOMPARE(gaps.size(), 1);
            QVERIFY(gaps.first().missing.first().startsWith(QLatin1String("NF-e de entrada "
                                                                          "cancelada")));
        });
    }

    // An invoice between two establishments of the company is the one's exit and the other's
    // purchase.
    void transferBetweenRegistrations() {
        m_fx.addCustomerRegistration();
        expectAllImported(m_fx.importSamples({samples::Outgoing}, ImportOptions{true, {4}}), 1);
        QCOMPARE(
            m_fx.rows(QStringLiteral("SELECT CDINSCESTA FROM NFSAIDA WHERE CHNFE IS NOT NULL")),
            QStringList{samples::Registration});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDINSCESTA, IDEMITENTE FROM NFENTRADA")),
                 QStringList{samples::CustomerRegistration + "|1"});
        QCOMPARE(assets(),
                 QStringList{"0000000007|420021|0|0|N|48|" + samples::CustomerRegistration});
    }
};

QTEST_GUILESS_MAIN(tst_Import)
#include "tst_import.moc"
