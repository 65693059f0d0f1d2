// The demo's documents go in whatever month the demo starts in, and the second company's are
// docs/ciap-rules.md's worked example: the register and the month come out as the page says.
#include "BlocoGExport.h"
#include "CompetenciaFigures.h"
#include "CompetenciaStore.h"
#include "DemoData.h"
#include "DemoDocuments.h"
#include "ImportFixture.h"
#include "Migrations.h"
#include "MonthLoader.h"
#include "RegisterEditing.h"
#include "RegisterStore.h"
#include "Session.h"
#include "TaxTablesStore.h"
#include "TransactionGuard.h"

#include <QTest>

using namespace ciap::server;

class tst_DemoDocuments : public QObject {
    Q_OBJECT

private:
    ImportFixture m_fx;

    void fillDemo(const QDate& today) {
        for (const QString& table : Migrations::dataTables())
            m_fx.db.exec(QStringLiteral("DELETE FROM %1").arg(table));
        QVERIFY(DemoData::fillIfEmpty(m_fx.session(), today));
    }

private Q_SLOTS:
    void initTestCase() {
        QString skip;
        if (!m_fx.start(&skip))
            QSKIP(qPrintable(skip));
    }

    // Moved by any number of months, every date and key stays one the reader takes: the demo
    // fills an empty database on any day, its dates following it.
    void anyMonth_data() {
        QTest::addColumn<QDate>("today");
        QTest::newRow("the documents' own month") << QDate(2024, 1, 15);
        QTest::newRow("the end of a short month") << QDate(2025, 2, 28);
        QTest::newRow("years later") << QDate(2031, 12, 31);
        QTest::newRow("before they were written") << QDate(2022, 7, 1);
    }
    void anyMonth() {
        QFETCH(QDate, today);
        fillDemo(today);
        QCOMPARE(m_fx.scalar(QStringLiteral("SELECT COUNT(*) FROM DOCIMPORTADO")).toInt(),
                 int(DemoDocuments::load(0).size()));
        // The Empilhadeira enters in the demo's current month, the Caminhão left six back.
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT DTENTRADA FROM BEMATIVO WHERE CDEMPRESA = '01'"
                                          " AND CDBEMATIVO = '0000000001'"))
                     .value(0)
                     .left(7),
                 today.toString(QStringLiteral("yyyy-MM")));
        QCOMPARE(m_fx.rows(QStringLiteral("SELECT DTSAIDA FROM BEMATIVO WHERE CDEMPRESA = '01'"
                                          " AND CDBEMATIVO = '0000000004'"))
                     .value(0)
                     .left(7),
                 today.addMonths(-6).toString(QStringLiteral("yyyy-MM")));
    }

    // The second company's month loaded and appropriated as the screen's methods do.
    CompetenciaRow appropriateOther(const Month& month) {
        Session& s = m_fx.session();
        TransactionGuard tx(s);
        RegisterStore registers(s);
        CompetenciaStore store(s);
        TaxTablesStore tables(s);
        CompetenciaRow row;
        row.company = QStringLiteral("02");
        row.tax = QStringLiteral("01");
        row.registration = QStringLiteral("207165890119");
        row.month = month;
        row.sequence = store.nextSequence(row.company, row.tax);
        store.insert(row);
        const TaxInfo info = registers.tax(row.tax).value();
        MonthLoader loader(registers, tables, store);
        loader.loadAssets(row, info);
        loader.loadOutgoing(row, info);
        CompetenciaFigures::appropriate(store, row, info.kind,
                                        tables.exitMonthInstalment(row.company, row.registration));
        const CompetenciaRow done = store.find(row.company, row.tax, row.sequence, false).value();
        tx.commit();
        return done;
    }

    // January 2024 of the second company: balance 195.83, total 1,500.00, taxed 900.00, credit
    // 117.50 once appropriated.
    void workedExample() {
        fillDemo(QDate(2024, 1, 15));
        const CompetenciaRow done = appropriateOther(Month(2024, 1));
        QCOMPARE(done.total, 1500.0);
        QCOMPARE(done.taxed, 900.0);
        QCOMPARE(qRound64(done.balance * 100), 19583);
        QCOMPARE(qRound64(done.credit * 100), 11750);
    }

    // Nothing the tax file needs is left for a new user to type: no asset of either company
    // lacks anything, and the worked example's month, once appropriated, gives its Bloco G.
    void completeForTheTaxFile_data() {
        QTest::addColumn<QDate>("today");
        QTest::newRow("the documents' own month") << QDate(2024, 1, 15);
        QTest::newRow("the end of a short month") << QDate(2026, 2, 28);
    }
    void completeForTheTaxFile() {
        QFETCH(QDate, today);
        fillDemo(today);
        for (const QString& company : {QStringLiteral("01"), QStringLiteral("02")}) {
            TransactionGuard tx(m_fx.session());
            for (const AssetGaps& g : RegisterEditing(m_fx.session()).gaps(company, {}, false))
                QFAIL(qPrintable(QStringLiteral("%1/%2 %3 lacks %4")
                                     .arg(company, g.asset.record.number, g.asset.record.name,
                                          g.missing.join(QStringLiteral(", ")))));
        }
        appropriateOther(Month::of(today));
        const BlocoGResult file =
            BlocoGExport(m_fx.session())
                .run({QStringLiteral("02"), QStringLiteral("207165890119"), Month::of(today), {}});
        for (const ciap::efd::Problem& p : file.problems)
            qWarning("%s", qPrintable(p.text()));
        QVERIFY(file.ok());
        QVERIFY(file.movements > 0);
    }
};

QTEST_GUILESS_MAIN(tst_DemoDocuments)
#include "tst_demo_documents.moc"
