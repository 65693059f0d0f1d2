// The register as the user completes and corrects it: the rate differential no document
// carries, an asset entered by hand with its document, exits settled or dismissed, codes that
// are never given twice, and a database of the previous schema that keeps every row.
#include "ChartStore.h"
#include "ImportFixture.h"
#include "RegisterEditing.h"
#include "ServiceError.h"
#include "TransactionGuard.h"

#include <QTest>
#include <functional>

using namespace ciap::server;
using fixture::Company;

Q_DECLARE_METATYPE(std::function<void(RegisterEditing&)>)

namespace {

using Edit = std::function<void(RegisterEditing&)>;

QString supplierKey() {
    return samples::keyOf(samples::read(samples::Supplier));
}

AssetChanges newAsset() {
    AssetChanges c;
    c.name = QStringLiteral("Balança rodoviária 80 t");
    c.entryDate = QDate(2023, 4, 3);
    return c;
}

} // namespace

class tst_RegisterEditing : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;

    void edit(const Edit& work) {
        TransactionGuard tx(m_fx.session());
        RegisterEditing editing(m_fx.session());
        work(editing);
        tx.commit();
    }
    QStringList gapsOf(const QString& code) {
        QStringList out;
        edit([&](RegisterEditing& e) {
            for (const AssetGaps& g : e.gaps(Company, {}, true)) {
                if (g.asset.record.number == code)
                    out = g.missing;
            }
        });
        return out;
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
    }
    void init() {
        m_fx.reset();
        QCOMPARE(m_fx.importSamples({samples::Supplier}, ImportOptions{true, {2}}).imported, 1);
    }

    // The interstate compressor waits for its rate differential; the amount and the payment
    // document complete it, and the tax-file fields the user types take it off the list.
    void completingAnImportedAsset() {
        QVERIFY(gapsOf("0000000007")
                    .contains("diferencial de alíquota: valor pago e documento de arrecadação"));
        edit([](RegisterEditing& e) {
            AssetChanges c;
            c.difalCents = 12345;
            c.paymentDocument = QStringLiteral("GNRE 123");
            c.account = QStringLiteral("1.2.3.01");
            c.costCentre = QStringLiteral("CC-1");
            c.function = QStringLiteral("Ar comprimido da linha 2");
            c.usefulLife = 120;
            c.item = QStringLiteral("CMP-30-A");
            e.change(Company, QStringLiteral("7"), c);
        });
        QCOMPARE(gapsOf("0000000007"), QStringList{});
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CAST(ROUND(a.VRICMSDIFAL * 100) AS BIGINT),"
                                          " a.IDDIFALPENDENTE, d.NRDOCARRECADACAO FROM BEMATIVO a"
                                          " JOIN BEMDOCUMENTO d ON d.CDEMPRESA = a.CDEMPRESA AND"
                                          " d.CDBEMATIVO = a.CDBEMATIVO WHERE a.CDBEMATIVO ="
                                          " '0000000007' AND a.CDEMPRESA = ?"),
                           {Company}),
                 QStringList{"12345|N|GNRE 123"});
    }

    // What the register refuses, leaving the asset as it was.
    void refusals_data() {
        QTest::addColumn<Edit>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("own ICMS of an imported asset") << Edit([](RegisterEditing& e) {
            AssetChanges c;
            c.ownCents = 1;
            e.change(Company, QStringLiteral("7"), c);
        }) << "vêm dos documentos importados";
        QTest::newRow("a negative rate differential") << Edit([](RegisterEditing& e) {
            AssetChanges c;
            c.difalCents = -1;
            e.change(Company, QStringLiteral("7"), c);
        }) << "negativos";
        QTest::newRow("a component of a component") << Edit([](RegisterEditing& e) {
            AssetChanges c;
            c.component = true;
            c.mainAsset = QStringLiteral("1");
            e.change(Company, QStringLiteral("2"), c);
            c.mainAsset = QStringLiteral("2");
            e.change(Company, QStringLiteral("7"), c);
        }) << "não seja componente";
        QTest::newRow("a component of itself") << Edit([](RegisterEditing& e) {
            AssetChanges c;
            c.component = true;
            c.mainAsset = QStringLiteral("7");
            e.change(Company, QStringLiteral("7"), c);
        }) << "bem principal 0000000007";
        QTest::newRow("an exit before the entry") << Edit([](RegisterEditing& e) {
            e.recordExit(Company, QStringLiteral("7"), QDate(2024, 3, 14), QStringLiteral("V"), {},
                         0);
        }) << "anterior à data de entrada";
        QTest::newRow("another company's asset") << Edit([](RegisterEditing& e) {
            e.change(fixture::OtherCompany, QStringLiteral("7"), {});
        }) << "Bem 7 não cadastrado";
        QTest::newRow("a participant never seen") << Edit([](RegisterEditing& e) {
            AssetChanges c = newAsset();
            c.participant = QStringLiteral("11222333000181");
            e.create(Company, samples::Registration, c);
        }) << "Participante 11222333000181";
        QTest::newRow("a wrong check digit") << Edit([](RegisterEditing& e) {
            e.recordExit(Company, QStringLiteral("7"), QDate(2024, 4, 1), QStringLiteral("V"),
                         QString(supplierKey()).replace(43, 1, QLatin1Char('0')), 0);
        }) << "Chave de acesso inválida";
    }
    void refusals() {
        QFETCH(Edit, change);
        QFETCH(QString, reason);
        const QStringList before = m_fx.snapshot();
        try {
            edit(change);
            QFAIL("accepted");
        } catch (const ServiceError& e) {
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        QCOMPARE(m_fx.snapshot(), before);
    }

    // An asset bought before the import existed: its figures and entry document typed in; the
    // key says which document it is.
    void anAssetEnteredByHand() {
        QString code;
        edit([&](RegisterEditing& e) {
            AssetChanges c = newAsset();
            c.ownCents = 480000;
            c.freightCents = 1250;
            c.participant = QStringLiteral("98765432000198");
            c.documentKey = supplierKey();
            c.documentDate = QDate(2024, 3, 15);
            c.documentItem = 1;
            c.quantity = 100000;
            c.unit = QStringLiteral("UN");
            code = e.create(Company, samples::Registration, c).record.number;
        });
        QCOMPARE(code, QStringLiteral("0000000008"));
        QCOMPARE(gapsOf(code), (QStringList{"conta contábil", "centro de custo", "função do bem",
                                            "vida útil", "código do item"}));
        // The registration's defaults are what the file uses for an asset without its own.
        {
            TransactionGuard tx(m_fx.session());
            ChartStore chart(m_fx.session());
            chart.putAccount({.code = QStringLiteral("1.2.3"),
                              .name = QStringLiteral("Máquinas"),
                              .changed = QDate(2020, 1, 1)});
            chart.putCostCentre(
                {QStringLiteral("CC1"), QStringLiteral("Produção"), QDate(2020, 1, 1)});
            chart.putSettings(Company, samples::Registration,
                              {QStringLiteral("1.2.3"), QStringLiteral("CC1")});
            tx.commit();
        }
        QCOMPARE(gapsOf(code), (QStringList{"função do bem", "vida útil", "código do item"}));
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT CDMODELO, NRSERIE, NRDOCUMENTO FROM"
                                          " BEMDOCUMENTO WHERE CDBEMATIVO = ?"),
                           {code}),
                 QStringList{"55|1|45821"});
    }

    // An exit the import could not match (the sample refers to the compressor's NF-e, but
    // under another product code) is settled by naming the invoice: the exit document comes
    // from it and the waiting item leaves the list. One never meant is dismissed.
    void pendingExitsSettled() {
        const QByteArray sale =
            samples::outgoingItem(30001, QStringLiteral("5551"), QStringLiteral("CMP-31"),
                                  QStringLiteral("1.0000"), QStringLiteral("usado"));
        const QByteArray other =
            samples::outgoingItem(30002, QStringLiteral("5551"), QStringLiteral("X"),
                                  QStringLiteral("1.0000"), QStringLiteral("usado"));
        QCOMPARE(m_fx.import({ImportFixture::source("a", sale), ImportFixture::source("b", other)})
                     .imported,
                 2);
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM SAIDAPENDENTE")).toInt(), 2);
        edit([&](RegisterEditing& e) {
            e.recordExit(Company, QStringLiteral("7"), QDate(2024, 4, 2), QStringLiteral("V"),
                         samples::keyOf(sale), 0);
            e.dismissPendingExit(Company, samples::keyOf(other), 1);
            QVERIFY_THROWS_EXCEPTION(ServiceError,
                                     e.dismissPendingExit(Company, samples::keyOf(other), 1));
        });
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM SAIDAPENDENTE")).toInt(), 0);
        QCOMPARE(
            m_fx.rows(QStringLiteral("SELECT d.CDPARTICIPANTE, d.NRDOCUMENTO, d.NRITEM,"
                                     " d.CDPRODUTO, a.DTSAIDA FROM BEMDOCUMENTO d JOIN"
                                     " BEMATIVO a ON a.CDEMPRESA = d.CDEMPRESA AND"
                                     " a.CDBEMATIVO = d.CDBEMATIVO WHERE d.IDMOVIMENTO = 'S'")),
            QStringList{"55566677000183|30001|1|CMP-31|2024-04-02"});
        edit([](RegisterEditing& e) { e.clearExit(Company, QStringLiteral("7")); });
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM BEMDOCUMENTO WHERE IDMOVIMENTO"
                                            " = 'S'"))
                     .toInt(),
                 0);
    }

    // A deleted asset's code is not given again, and a code typed elsewhere is stepped over.
    void codesAreNeverReused() {
        m_fx.db.exec(QStringLiteral("DELETE FROM BEMDOCUMENTO WHERE CDBEMATIVO = '0000000007'"));
        m_fx.db.exec(QStringLiteral("DELETE FROM BEMATIVO WHERE CDBEMATIVO = '0000000007'"));
        m_fx.db.exec(QStringLiteral("INSERT INTO BEMATIVO (CDEMPRESA, CDBEMATIVO, NMBEMATIVO,"
                                    " CDINSCESTA, DTENTRADA) VALUES (?, '0000000008', 'Outro',"
                                    " '111', ?)"),
                     {Company, QDate(2024, 1, 1)});
        QStringList codes;
        edit([&](RegisterEditing& e) {
            for (int i = 0; i < 2; ++i)
                codes << e.create(Company, samples::Registration, newAsset()).record.number;
            codes
                << e.create(fixture::OtherCompany, QStringLiteral("111"), newAsset()).record.number;
        });
        QCOMPARE(codes, (QStringList{"0000000009", "0000000010", "0000000003"}));
    }

    // A database of schema version 2 gains the new columns and tables and keeps every row; its
    // assets then list what the tax file still needs of them.
    void previousSchemaKeepsEverything() {
        TestDatabase old;
        QString skip;
        QVERIFY2(old.create(&skip, 2), qPrintable(skip));
        old.reset();
        const QStringList tables{"EMPRESA",     "IMPOSTO", "INSCESTA",   "BEMATIVO", "NFSAIDA",
                                 "NFSAIDAITEM", "CIAPSEQ", "CIAPCOMPET", "CIAPBEM",  "CFOPSAIDA"};
        QHash<QString, QStringList> before;
        for (const QString& t : tables)
            before[t] = old.rows(QStringLiteral("SELECT * FROM %1").arg(t));
        old.migrate();
        for (const QString& t : tables) {
            QStringList after = old.rows(QStringLiteral("SELECT * FROM %1").arg(t));
            // New columns come last: the old ones keep their values.
            const int columns = int(before[t].value(0).count(QLatin1Char('|')));
            for (QString& row : after)
                row = row.section(QLatin1Char('|'), 0, columns);
            QCOMPARE(after, before[t]);
        }
        QCOMPARE(old.rows(QStringLiteral("SELECT DISTINCT IDTPBEM, IDDIFALPENDENTE FROM BEMATIVO")),
                 QStringList{"1|N"});
    }
};

QTEST_GUILESS_MAIN(tst_RegisterEditing)
#include "tst_register_editing.moc"
