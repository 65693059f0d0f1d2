// A registration's month out of the register into the tax file: the worked example of
// docs/ciap-rules.md brought in through the importer and the register's editing gives the
// page's G110 and its movements, read back intact; the months docs/bloco-g.md treats apart;
// and what the register can get wrong, each refused naming its rule, asset and what to fix.
#include "BlocoGExport.h"
#include "EfdFormat.h"
#include "EfdReader.h"
#include "ImportFixture.h"
#include "RegistryStore.h"
#include "ServiceError.h"
#include "Session.h"
#include "TransactionGuard.h"
#include "WorkedMonth.h"

#include <QTest>

#include <functional>

using namespace ciap::server;
using ciap::efd::MovementKind;

using Setup = std::function<void(TestDatabase&, Session&)>;
Q_DECLARE_METATYPE(Setup)

namespace {

QString line(const QByteArray& bytes, const QString& prefix) {
    for (const QString& l : QString::fromLatin1(bytes).split(QStringLiteral("\r\n"))) {
        if (l.startsWith(prefix))
            return l;
    }
    return {};
}

QString kinds(const QList<ciap::efd::Movement>& movements) {
    QStringList out;
    const char* const names[] = {"SI", "IM", "IA", "CI", "MC", "BA", "AT", "PE", "OT"};
    for (const auto& m : movements)
        out << m.asset.right(1) + QLatin1Char(' ') + QLatin1String(names[int(m.kind)]);
    return out.join(QStringLiteral(", "));
}

} // namespace

class tst_BlocoG : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;

    BlocoGResult exportMonth(int year, int month, const QString& tax = {}) {
        return BlocoGExport(m_fx.session())
            .run({worked::Company, worked::Registration, Month(year, month), tax});
    }
    void sql(const QString& statement, const QVariantList& values = {}) {
        m_fx.db.exec(statement, values);
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
    }
    void init() { worked::buildRegister(m_fx.session()); }

    void workedExample() {
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        const BlocoGResult r = exportMonth(2024, 1);
        QVERIFY2(r.ok(), qPrintable(r.problems.value(0).text()));
        QCOMPARE(
            line(r.bytes, QStringLiteral("|G110|")),
            QStringLiteral(
                "|G110|01012024|31012024|4600,00|195,83|900,00|1500,00|0,60000000|117,50|0,00|"));
        QVERIFY(r.bytes.startsWith("|0000|018|0|01012024|31012024|COM\xC9RCIO EXEMPLO S.A.|"
                                   "44555666000181||SP|207165890119|3548500|||A|1|\r\n"));
        QVERIFY(r.bytes.endsWith(QStringLiteral("|9999|%1|\r\n").arg(r.lines).toLatin1()));

        const ciap::efd::ReadResult back = ciap::efd::EfdReader::read(r.bytes);
        QVERIFY2(back.ok(), qPrintable(back.problems.value(0).text()));
        const auto& f = back.file;
        QCOMPARE(kinds(f.movements), QStringLiteral("1 IM, 2 SI, 2 BA, 3 SI, 3 AT, 4 SI"));
        const auto& im = f.movements[0];
        QCOMPARE(im.date, QDate(2024, 1, 10));
        QCOMPARE(im.instalment->number, 1);
        QCOMPARE(im.instalment->value, 10000);
        QCOMPARE(im.documents.size(), 1);
        QCOMPARE(im.documents[0].issuer, ciap::efd::Issuer::ThirdParty);
        QCOMPARE(im.documents[0].participant, worked::Supplier);
        QVERIFY(ciap::efd::EfdFormat::validAccessKey(im.documents[0].key));
        QCOMPARE(im.documents[0].items.size(), 1);
        const auto& g140 = im.documents[0].items[0];
        QCOMPARE(g140.item, QStringLiteral("BEM-EMPILHADEIRA"));
        QCOMPARE(g140.quantity, ciap::efd::kQuantityOne);
        QCOMPARE(g140.unit, QStringLiteral("UN"));
        QCOMPARE(g140.icms.own, 480000);
        QCOMPARE(f.movements[1].instalment->number, 48);
        QCOMPARE(f.movements[1].instalment->value, 2083);
        QCOMPARE(f.movements[2].date, QDate(2024, 1, 31));
        QCOMPARE(f.movements[3].instalment->value, 5000);
        const auto& at = f.movements[4];
        QCOMPARE(at.date, QDate(2024, 1, 20));
        QVERIFY(!at.icms && !at.instalment);
        QCOMPARE(at.documents.size(), 1);
        QCOMPARE(at.documents[0].issuer, ciap::efd::Issuer::Own);
        QCOMPARE(at.documents[0].participant, worked::Customer);
        QCOMPARE(at.documents[0].key, worked::saleKey());
        QCOMPARE(at.documents[0].number, 6);
        QVERIFY(at.documents[0].items.isEmpty());
        const ciap::efd::IcmsParts ponte{100000, 10000, 5050, 4950};
        QCOMPARE(*f.movements[5].icms, ponte);
        QCOMPARE(f.movements[5].instalment->value, 2500);
        // Bloco 0 holds what Bloco G names, from the register.
        QCOMPARE(f.assets.size(), 4);
        QCOMPARE(f.assets[2].description, QStringLiteral("Caminhão"));
        QCOMPARE(f.assets[2].account, worked::Account);
        QCOMPARE(f.assets[2].use->costCentre, worked::CostCentre);
        QCOMPARE(f.assets[2].use->usefulLifeMonths, 120);
        QCOMPARE(f.participants.size(), 2);
        QCOMPARE(f.items.size(), 1);
        QCOMPARE(f.items[0].ncm, QStringLiteral("84799090"));
        QCOMPARE(f.accounts.value(0).name, QStringLiteral("Máquinas e equipamentos"));
        QCOMPARE(f.costCentres.size(), 1);
        QCOMPARE(r.fileName, QStringLiteral("bloco-g-02-207165890119-202401.txt"));
    }

    // The months docs/bloco-g.md treats apart.
    void months_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QString>("tax");
        QTest::addColumn<QString>("expected"); // a line of the file, or the refusal's text
        QTest::newRow("a kind-50 tax takes the whole balance")
            << Setup([](TestDatabase&, Session& s) {
                   worked::addCompetencia(s, worked::WholeTax, 2024, 1);
               })
            << QDate(2024, 1, 1) << QString()
            << "|G110|01012024|31012024|4600,00|195,83|1500,00|1500,00|1,00000000|195,83|0,00|";
        QTest::newRow("a state granting no instalment in the month of the sale")
            << Setup([](TestDatabase&, Session& s) {
                   TransactionGuard tx(s);
                   RegistryStore(s).putState(QStringLiteral("SP"), std::nullopt, false);
                   tx.commit();
                   worked::addCompetencia(s, worked::Tax, 2024, 1);
               })
            << QDate(2024, 1, 1) << QString()
            << "|G125|0000000003|01012024|SI|2400,00|0,00|0,00|0,00|||";
        QTest::newRow("every asset gone, no competência: no movement")
            << Setup([](TestDatabase& db, Session&) {
                   db.exec("UPDATE BEMATIVO SET DTSAIDA = '2024-01-31', IDTPSAIDA = 'O'");
               })
            << QDate(2024, 2, 1) << QString() << "|G001|1|";
        QTest::newRow("a year whose layout is not known")
            << Setup([](TestDatabase&, Session&) {}) << QDate(2023, 12, 1) << QString()
            << "de 2024 a 2026";
        QTest::newRow("a pending month") << Setup([](TestDatabase&, Session& s) {
            worked::addCompetencia(s, worked::Tax, 2024, 1, false);
        }) << QDate(2024, 1, 1) << QString()
                                         << "está pendente: aproprie-a";
        QTest::newRow("assets with an instalment but no competência")
            << Setup([](TestDatabase&, Session&) {}) << QDate(2024, 1, 1) << QString()
            << "4 bem(ns) têm parcela no mês";
        QTest::newRow("two appropriated taxes, none named") << Setup([](TestDatabase&, Session& s) {
            worked::addCompetencia(s, worked::Tax, 2024, 1);
            worked::addCompetencia(s, worked::WholeTax, 2024, 1);
        }) << QDate(2024, 1, 1) << QString() << "impostos 01, 05";
        QTest::newRow("two appropriated taxes, one named")
            << Setup([](TestDatabase&, Session& s) {
                   worked::addCompetencia(s, worked::Tax, 2024, 1);
                   worked::addCompetencia(s, worked::WholeTax, 2024, 1);
               })
            << QDate(2024, 1, 1) << worked::Tax
            << "|G110|01012024|31012024|4600,00|195,83|900,00|1500,00|0,60000000|117,50|0,00|";
    }
    void months() {
        QFETCH(Setup, setup);
        QFETCH(QDate, month);
        QFETCH(QString, tax);
        QFETCH(QString, expected);
        setup(m_fx.db, m_fx.session());
        try {
            const BlocoGResult r = exportMonth(month.year(), month.month(), tax);
            QVERIFY2(r.ok(), qPrintable(r.problems.value(0).text()));
            QVERIFY2(QString::fromLatin1(r.bytes).contains(expected + QStringLiteral("\r\n")),
                     qPrintable(QString::fromLatin1(r.bytes)));
            QVERIFY(ciap::efd::EfdReader::read(r.bytes).ok());
        } catch (const ServiceError& e) {
            QVERIFY2(e.message().contains(expected), qPrintable(e.message()));
        }
    }

    // One per family of rules the register can break; nothing is produced and each problem
    // names its rule, register, asset and field, and what to fix.
    void rejections_data() {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("where"); // register, asset, field
        QTest::addColumn<QString>("hint");
        const auto sqlOnly = [](const QString& statement) {
            return Setup([statement](TestDatabase& db, Session&) { db.exec(statement); });
        };
        QTest::newRow("an asset without an account, and no default")
            << sqlOnly("UPDATE INSCESTA SET CDCONTAPADRAO = NULL") << "FIELD_REQUIRED"
            << "0300 0000000001 COD_CTA"
            << "informe a conta do bem";
        QTest::newRow("an account the chart does not hold")
            << sqlOnly("UPDATE BEMATIVO SET CDCONTA = '9.9' WHERE CDBEMATIVO = '0000000002'")
            << "REF_ACCOUNT"
            << "0300 0000000002 COD_CTA"
            << "cadastre a conta 9.9";
        QTest::newRow("a synthetic account")
            << sqlOnly("UPDATE CONTACONTABIL SET IDTPCONTA = 'S'") << "REF_ACCOUNT"
            << "0300 0000000001 COD_CTA"
            << "conta analítica do ativo";
        QTest::newRow("an account included after the month")
            << sqlOnly("UPDATE CONTACONTABIL SET DTALTERACAO = '2024-02-01'") << "CHANGE_DATE"
            << "0500  DT_ALT"
            << "anterior ao fim do mês";
        QTest::newRow("a cost centre the register does not hold")
            << sqlOnly("UPDATE BEMATIVO SET CDCCUSTO = 'X' WHERE CDBEMATIVO = '0000000004'")
            << "REF_COST_CENTRE"
            << "0305 0000000004 COD_CCUS"
            << "cadastre o centro de custo X";
        QTest::newRow("an asset without its function")
            << sqlOnly("UPDATE BEMATIVO SET DSFUNCAO = NULL WHERE CDBEMATIVO = '0000000002'")
            << "FIELD_REQUIRED"
            << "0305 0000000002 FUNC"
            << "função do bem";
        QTest::newRow("a component without its main asset")
            << sqlOnly("UPDATE BEMATIVO SET IDTPBEM = '2' WHERE CDBEMATIVO = '0000000004'")
            << "ASSET_MAIN"
            << "0300 0000000004 COD_PRNC"
            << "bem principal";
        QTest::newRow("a generic description")
            << sqlOnly("UPDATE BEMATIVO SET NMBEMATIVO = 'Máquina' WHERE CDBEMATIVO = "
                       "'0000000002'")
            << "ASSET_DESCRIPTION"
            << "0300 0000000002 DESCR_ITEM"
            << "individualize";
        QTest::newRow("an NF-e without its key")
            << sqlOnly("UPDATE BEMDOCUMENTO SET CHDOCUMENTO = NULL WHERE CDBEMATIVO = "
                       "'0000000001'")
            << "G130_KEY"
            << "G130 0000000001 CHV_NFE_CTE"
            << "chave";
        QTest::newRow("a sale without its invoice")
            << sqlOnly("DELETE FROM BEMDOCUMENTO WHERE IDMOVIMENTO = 'S'") << "G130_REQUIRED"
            << "G125 0000000003 "
            << "a de venda, na alienação";
        QTest::newRow("an entry item without its code")
            << sqlOnly("UPDATE BEMATIVO SET CDITEM = NULL WHERE CDBEMATIVO = '0000000001'")
            << "FIELD_REQUIRED"
            << "G140 0000000001 COD_ITEM"
            << "código do item";
        QTest::newRow("a name the file cannot carry")
            << sqlOnly("UPDATE BEMATIVO SET NMBEMATIVO = 'Torno | CNC' WHERE CDBEMATIVO = "
                       "'0000000002'")
            << "FIELD_CHARACTER"
            << "0300 0000000002 DESCR_ITEM"
            << "ISO-8859-1";
        QTest::newRow("a credit changed after the appropriation")
            << sqlOnly("UPDATE BEMATIVO SET VRICMSPROPRIO = 1200 WHERE CDBEMATIVO = "
                       "'0000000004'")
            << "G110_INSTALMENTS"
            << "G125 0000000004 VL_PARC_PASS"
            << "cancele a apropriação";
    }
    void rejections() {
        QFETCH(Setup, setup);
        QFETCH(QString, rule);
        QFETCH(QString, where);
        QFETCH(QString, hint);
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        setup(m_fx.db, m_fx.session());
        const BlocoGResult r = exportMonth(2024, 1);
        QVERIFY(!r.ok());
        QVERIFY(r.bytes.isEmpty());
        QStringList seen;
        for (const ciap::efd::Problem& p : r.problems) {
            seen << p.text();
            if (ruleCode(p.rule) == rule &&
                QStringList{p.reg, p.asset, p.field}.join(QLatin1Char(' ')) == where) {
                QVERIFY2(p.hint.contains(hint), qPrintable(p.text()));
                return;
            }
        }
        QFAIL(qPrintable(seen.join(QLatin1Char('\n'))));
    }

    // Every problem at once: three assets wrong in three ways, three problems named.
    void everyProblemAtOnce() {
        worked::addCompetencia(m_fx.session(), worked::Tax, 2024, 1);
        sql(QStringLiteral("UPDATE BEMATIVO SET DSFUNCAO = NULL WHERE CDBEMATIVO = '0000000002'"));
        sql(QStringLiteral("UPDATE BEMATIVO SET CDCONTA = '9.9' WHERE CDBEMATIVO = '0000000003'"));
        sql(QStringLiteral("UPDATE BEMATIVO SET CDITEM = NULL WHERE CDBEMATIVO = '0000000001'"));
        const BlocoGResult r = exportMonth(2024, 1);
        QSet<QString> assets;
        for (const ciap::efd::Problem& p : r.problems)
            assets.insert(p.asset);
        QCOMPARE(assets, (QSet<QString>{"0000000001", "0000000002", "0000000003"}));
    }
};

QTEST_GUILESS_MAIN(tst_BlocoG)
#include "tst_bloco_g.moc"
