#include "DtmDBGeral.h"
#include "HostErrors.h"
#include "TADOIBQuery.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList VdEmpresaSql{
    QStringLiteral("SELECT CDEMPRESA, NMEMPRESA"), QStringLiteral("  FROM EMPRESA"),
    QStringLiteral(" WHERE :P_CDEMPRESA = CDEMPRESA "), QStringLiteral(" ORDER BY CDEMPRESA")};

} // namespace

class TestADOIBQuery : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(QStringLiteral("host.sqlite"));
        dtmDBGeral().open(path);
        QVERIFY(dtmDBGeral().isOpen());
        QSqlQuery q(dtmDBGeral().database());
        QVERIFY(q.exec("CREATE TABLE EMPRESA (CDEMPRESA VARCHAR(2) PRIMARY KEY, "
                       "NMEMPRESA VARCHAR(40))"));
        QVERIFY(q.exec("INSERT INTO EMPRESA VALUES ('01', 'Matriz'), ('02', 'Filial D''Ávila'), "
                       "('03', NULL)"));
    }
    void cleanupTestCase() { dtmDBGeral().close(); }

    void listsAllRows() {
        TADOIBQuery qry;
        qry.SQL =
            QStringList{QStringLiteral("SELECT CDEMPRESA, NMEMPRESA"),
                        QStringLiteral("  FROM EMPRESA"), QStringLiteral(" ORDER BY CDEMPRESA")};
        QVERIFY(qry.paramNames().isEmpty());
        qry.Open();
        QVERIFY(qry.Active());
        QVERIFY(!qry.IsEmpty());
        QCOMPARE(qry.RecordCount(), 3);
        QCOMPARE(qry.FieldCount(), 2);
        QCOMPARE(qry.FieldByName(QStringLiteral("CDEMPRESA"))->AsString(), QStringLiteral("01"));
        qry.Last();
        QVERIFY(qry.FieldByName(QStringLiteral("NMEMPRESA"))->IsNull());
        qry.Close();
        QVERIFY(!qry.Active());
    }

    void parameterSelects_data() {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name"); // empty: no row
        QTest::newRow("found") << "01"
                               << "Matriz";
        QTest::newRow("quote in the value") << "02"
                                            << "Filial D'Ávila";
        QTest::newRow("not registered") << "99"
                                        << "";
        QTest::newRow("injection attempt") << "01' OR '1'='1"
                                           << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void parameterSelects() {
        QFETCH(QString, code);
        QFETCH(QString, name);
        TADOIBQuery qry;
        qry.SQL = VdEmpresaSql;
        QCOMPARE(qry.paramNames(), QStringList{QStringLiteral("P_CDEMPRESA")});
        qry.ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(code);
        qry.Open();
        QCOMPARE(qry.IsEmpty(), name.isEmpty());
        if (!name.isEmpty())
            QCOMPARE(qry.FieldByName(QStringLiteral("NMEMPRESA"))->AsString(), name);
    }

    void closeAndReopenReadsAgain() {
        TADOIBQuery qry;
        qry.SQL = VdEmpresaSql;
        qry.ParamByName(QStringLiteral("p_cdempresa")).SetAsString(QStringLiteral("01"));
        qry.Open();
        qry.ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(QStringLiteral("02"));
        qry.Open(); // already open: nothing happens
        QCOMPARE(qry.FieldByName(QStringLiteral("CDEMPRESA"))->AsString(), QStringLiteral("01"));
        qry.Close();
        qry.Open();
        QCOMPARE(qry.FieldByName(QStringLiteral("CDEMPRESA"))->AsString(), QStringLiteral("02"));
        QCOMPARE(qry.RecordCount(), 1);
    }

    void declaredFieldsKeepTheirDefinition() {
        TADOIBQuery qry;
        qry.SQL = VdEmpresaSql;
        TField* code = qry.AddField({QStringLiteral("CDEMPRESA"), ciap::FieldType::String, 4});
        TField* name = qry.AddField({QStringLiteral("NMEMPRESA"), ciap::FieldType::String, 40});
        name->DisplayLabel = QStringLiteral("Nome");
        qry.ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(QStringLiteral("02"));
        qry.Open();
        QCOMPARE(qry.FieldCount(), 2);
        QCOMPARE(qry.FieldByName(QStringLiteral("CDEMPRESA")), code);
        QCOMPARE(code->Size(), 4);
        QCOMPARE(name->DisplayLabel, QStringLiteral("Nome"));
        QCOMPARE(name->AsString(), QStringLiteral("Filial D'Ávila"));
    }

    void parametersAreFoundOnlyInTheSqlProper() {
        TADOIBQuery qry;
        qry.SQL =
            QStringList{QStringLiteral("SELECT ':NAO' AS A, \":NEM\" AS B -- :COMENTARIO"),
                        QStringLiteral("  FROM EMPRESA WHERE CDEMPRESA = :X OR CDEMPRESA = :X"),
                        QStringLiteral("   AND NMEMPRESA <> :Y")};
        QCOMPARE(qry.paramNames(), QStringList({QStringLiteral("X"), QStringLiteral("Y")}));
        QVERIFY_THROWS_EXCEPTION(EHostError, qry.ParamByName(QStringLiteral("NAO")));
        // A parameter's value survives a change of the SQL that keeps it.
        qry.ParamByName(QStringLiteral("X")).SetAsString(QStringLiteral("01"));
        qry.SQL.append(QStringLiteral("   AND 1 = 1"));
        QCOMPARE(qry.ParamByName(QStringLiteral("X")).AsString(), QStringLiteral("01"));
    }

    void databaseErrorsCarryTheDriverText() {
        TADOIBQuery qry;
        qry.SQL = QStringList{QStringLiteral("SELECT * FROM NAO_EXISTE")};
        try {
            qry.Open();
            QFAIL("no error");
        } catch (const EHostError& e) {
            QVERIFY2(e.text().contains(QStringLiteral("NAO_EXISTE")), qPrintable(e.text()));
        }
        QVERIFY(!qry.Active());
    }

    void postgresql() {
        const QString url = qEnvironmentVariable("CIAP_TEST_PG_URL");
        if (url.isEmpty())
            QSKIP("CIAP_TEST_PG_URL not set");
        dtmDBGeral().open(url);
        {
            QSqlQuery q(dtmDBGeral().database());
            QVERIFY(q.exec("CREATE TEMPORARY TABLE EMPRESA (CDEMPRESA VARCHAR(2), "
                           "NMEMPRESA VARCHAR(40))"));
            QVERIFY(q.exec("INSERT INTO EMPRESA VALUES ('01', 'Matriz'), ('02', 'D''Ávila')"));
        }
        TADOIBQuery qry;
        qry.SQL = QStringList{QStringLiteral("SELECT CDEMPRESA, NMEMPRESA::text AS NMEMPRESA"),
                              QStringLiteral("  FROM EMPRESA"),
                              QStringLiteral(" WHERE :P_CDEMPRESA = CDEMPRESA ")};
        QCOMPARE(qry.paramNames(), QStringList{QStringLiteral("P_CDEMPRESA")});
        qry.ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(QStringLiteral("02"));
        qry.Open();
        QCOMPARE(qry.RecordCount(), 1);
        QCOMPARE(qry.FieldByName(QStringLiteral("NMEMPRESA"))->AsString(),
                 QStringLiteral("D'Ávila"));
        qry.Close();
        qry.ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(QStringLiteral("01' OR '1'='1"));
        qry.Open();
        QVERIFY(qry.IsEmpty());
        qry.Close();
        dtmDBGeral().open(m_dir.filePath(QStringLiteral("host.sqlite")));
    }

    void moduleReportsWhatIsWrong() {
        DtmDBGeral other; // same connection name: works on the shared connection
        QVERIFY_THROWS_EXCEPTION(EHostError, other.open(QString()));
        QVERIFY_THROWS_EXCEPTION(
            EHostError, other.open(m_dir.filePath(QStringLiteral("missing/dir/x.sqlite"))));
        QVERIFY(!other.isOpen());
        QVERIFY_THROWS_EXCEPTION(EHostError, other.database());
        // reopen for whatever runs after
        dtmDBGeral().open(m_dir.filePath(QStringLiteral("host.sqlite")));
    }

private:
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestADOIBQuery)
#include "tst_adoibquery.moc"
