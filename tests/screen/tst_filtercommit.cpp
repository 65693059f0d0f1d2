#include "Cli_mzr02400.h"
#include "FilterFixture.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

// Leaving the filter panel commits the filter: nothing after a failing check, else the list
// loaded and the tax's kind read, which shows or hides the value columns; entering the panel
// closes the list again. And the three lookups of the panel.
class tst_FilterCommit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY2(m_fx.start(), qPrintable(m_fx.error)); }
    void cleanupTestCase() { m_fx.stop(); }
    void init() { QVERIFY2(m_fx.reset(), qPrintable(m_fx.error)); }

    void failingCommitStopsEverything_data();
    void failingCommitStopsEverything();
    void commitLoadsListAndSwitchesColumns_data();
    void commitLoadsListAndSwitchesColumns();
    void columnsFollowEachCommit();
    void invalidTaxKindAnswer_data();
    void invalidTaxKindAnswer();
    void failedFirstLoadLeavesFilterUsable();
    void enteringPanelClosesList();
    void companyAndTaxLookups_data();
    void companyAndTaxLookups();
    void lookupReadsRegisterAfresh();
    void registrationLookup_data();
    void registrationLookup();
    void registrationLookupErrorKeepsRows();

private:
    FilterFixture m_fx;
};

void tst_FilterCommit::failingCommitStopsEverything_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("focus");

    QTest::newRow("company empty") << "" << fixture::Tax << FilterFixture::Jan << FilterFixture::Mar
                                   << "Empresa deve ser informada."
                                   << "edtCdEmpresa";
    QTest::newRow("company unregistered") << "5" << fixture::Tax << FilterFixture::Jan
                                          << FilterFixture::Mar << "Empresa não cadastrada."
                                          << "edtCdEmpresa";
    QTest::newRow("tax empty") << fixture::Company << "" << FilterFixture::Jan << FilterFixture::Mar
                               << "Imposto deve ser informado."
                               << "edtCdImposto";
    QTest::newRow("tax unregistered") << fixture::Company << "9" << FilterFixture::Jan
                                      << FilterFixture::Mar << "Imposto não cadastrado."
                                      << "edtCdImposto";
    QTest::newRow("start empty") << fixture::Company << fixture::Tax << QDate()
                                 << FilterFixture::Mar << "Data inicial deve ser informada."
                                 << "depInicial";
    QTest::newRow("end empty") << fixture::Company << fixture::Tax << FilterFixture::Jan << QDate()
                               << "Data final deve ser informada."
                               << "depFinal";
    QTest::newRow("start after end")
        << fixture::Company << fixture::Tax << FilterFixture::Mar << FilterFixture::Jan
        << "Data inicial deve ser menor ou igual a data final."
        << "depInicial";
}

void tst_FilterCommit::failingCommitStopsEverything() {
    QFETCH(QString, company);
    QFETCH(QString, tax);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, error);
    QFETCH(QString, focus);

    const QVariant kindBefore = oleImposto;
    m_fx.fillFilter(company, tax, start, end);
    m_fx.leavePanel();

    QCOMPARE(m_fx.dialogs.errors(), QStringList{error});
    QCOMPARE(m_fx.server.callCount(), 0);
    QVERIFY(!m_fx.form->dtsPadrao->DataSet());
    QVERIFY(!m_fx.form->cdsCIAP->Active());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    if (focus == QLatin1String("edtCdEmpresa"))
        QCOMPARE(m_fx.form->edtNmEmpresa->text(), QString());
    if (focus == QLatin1String("edtCdImposto"))
        QCOMPARE(m_fx.form->edtNmImposto->text(), QString());
    QCOMPARE(oleImposto, kindBefore);
}

void tst_FilterCommit::commitLoadsListAndSwitchesColumns_data() {
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QJsonValue>("kind");
    QTest::addColumn<bool>("valueColumns");

    QTest::newRow("all registrations, kind 01") << "" << QJsonValue("01") << true;
    QTest::newRow("one registration, kind 50") << "110042490114" << QJsonValue("50") << false;
    QTest::newRow("kind 60") << "" << QJsonValue("60") << false;
    QTest::newRow("kind 5") << "" << QJsonValue("5") << true;
    QTest::newRow("kind as a number") << "" << QJsonValue(50) << false;
}

void tst_FilterCommit::commitLoadsListAndSwitchesColumns() {
    QFETCH(QString, registration);
    QFETCH(QJsonValue, kind);
    QFETCH(bool, valueColumns);

    m_fx.server.enqueueResult(QStringLiteral("getVerificaImposto"), QJsonArray{kind});
    // Typed unpadded: the screen pads them.
    m_fx.fillFilter(fixture::Company.right(1), fixture::WholeTax.right(1), FilterFixture::Jan,
                    FilterFixture::Mar, registration);
    m_fx.leavePanel();

    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_fx.form->dbgPadrao));
    QStringList methods;
    for (const ScriptedServer::Call& c : m_fx.server.calls())
        methods.append(c.method);
    QCOMPARE(methods, (QStringList{"getCIAP", "getVerificaImposto"}));
    const QString expectedRegistration =
        registration.isEmpty() ? QStringLiteral("T") : registration;
    QCOMPARE(m_fx.server.calls().at(0).params,
             (QJsonArray{fixture::Company, fixture::WholeTax, "2024-01-01", "2024-03-01",
                         "Apropriado", "Pendente", expectedRegistration}));
    QCOMPARE(m_fx.server.calls().at(1).params, QJsonArray{fixture::WholeTax});

    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(oleImposto.toList().value(0).toString(), kind.toVariant().toString());
    const bool v = valueColumns;
    QCOMPARE(m_fx.visibleColumns(), (QList<bool>{true, true, v, v, v, true, true, true}));
}

void tst_FilterCommit::columnsFollowEachCommit() {
    const QList<bool> shown{true, true, true, true, true, true, true, true};
    const QList<bool> hidden{true, true, false, false, false, true, true, true};
    const QList<QPair<const char*, QList<bool>>> steps{
        {"50", hidden}, {"01", shown}, {"60", hidden}, {"60", hidden}, {"02", shown}};
    for (const auto& [kind, columns] : steps) {
        m_fx.server.enqueueResult(QStringLiteral("getVerificaImposto"),
                                  QJsonArray{QString::fromLatin1(kind)});
        m_fx.enterPanel();
        QVERIFY(m_fx.commit());
        QCOMPARE(m_fx.visibleColumns(), columns);
    }
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_FilterCommit::invalidTaxKindAnswer_data() {
    QTest::addColumn<bool>("serverError");
    QTest::addColumn<QJsonValue>("answer");
    QTest::addColumn<QString>("error");

    const QString invalid =
        QStringLiteral("Resposta inválida do servidor para getVerificaImposto.");
    QTest::newRow("text") << false << QJsonValue("50") << invalid;
    QTest::newRow("number") << false << QJsonValue(50) << invalid;
    QTest::newRow("null") << false << QJsonValue() << invalid;
    QTest::newRow("empty array") << false << QJsonValue(QJsonArray()) << invalid;
    QTest::newRow("array in element 0")
        << false << QJsonValue(QJsonArray{QJsonArray{"50"}}) << invalid;
    QTest::newRow("packet") << false << QJsonValue(m_fx.registrations({"50"})) << invalid;
    QTest::newRow("server error") << true << QJsonValue() << "Imposto não cadastrado.";
}

void tst_FilterCommit::invalidTaxKindAnswer() {
    QFETCH(bool, serverError);
    QFETCH(QJsonValue, answer);
    QFETCH(QString, error);

    // The state of an earlier commit, which a bad answer must not touch.
    m_fx.server.enqueueResult(QStringLiteral("getVerificaImposto"), QJsonArray{"50"});
    QVERIFY(m_fx.commit());
    m_fx.enterPanel();
    m_fx.dialogs.clear();
    if (serverError)
        m_fx.server.enqueueError(QStringLiteral("getVerificaImposto"), -32000, error);
    else
        m_fx.server.enqueueResult(QStringLiteral("getVerificaImposto"), answer);
    m_fx.leavePanel();

    QCOMPARE(m_fx.dialogs.errors(), QStringList{error});
    // The list was loaded before the kind was asked for.
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(oleImposto, QVariant(QVariantList{QStringLiteral("50")}));
    QCOMPARE(m_fx.visibleColumns(),
             (QList<bool>{true, true, false, false, false, true, true, true}));
}

void tst_FilterCommit::failedFirstLoadLeavesFilterUsable() {
    m_fx.server.enqueueError(QStringLiteral("getCIAP"), -32000,
                             QStringLiteral("Banco fora do ar."));
    m_fx.fillFilter(fixture::Company, fixture::Tax, FilterFixture::Jan, FilterFixture::Mar);
    m_fx.leavePanel();

    QCOMPARE(m_fx.dialogs.errors(), QStringList{"Banco fora do ar."});
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getVerificaImposto")).size(), 0);
    QVERIFY(!busyIndicatorActive());
    QVERIFY(!m_fx.form->dtsPadrao->DataSet());
    QVERIFY(m_fx.form->edtCdEmpresa->isEnabled());
    QVERIFY(m_fx.form->depFinal->isEnabled());

    // Back into the filter and out again: the list comes.
    m_fx.enterPanel();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_fx.form->edtCdEmpresa));
    m_fx.leavePanel();
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(m_fx.dialogs.errors().size(), 1);
}

void tst_FilterCommit::enteringPanelClosesList() {
    QVERIFY(m_fx.commit());
    // From the tab bar: outside the panel, and still visible when the second tab shows.
    m_fx.form->pgcPadrao->tabBar()->setFocus();
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshBensComp);
    m_fx.form->pgcPadrao->SetSheetEnabled(m_fx.form->tshPadrao, false);
    m_fx.server.clear();

    m_fx.form->edtCdImposto->setFocus();
    QVERIFY(!m_fx.form->dtsPadrao->DataSet());
    QVERIFY(!m_fx.form->cdsCIAP->Active());
    QCOMPARE(m_fx.form->pgcPadrao->ActivePage(), m_fx.form->tshPadrao);
    QVERIFY(m_fx.form->pgcPadrao->SheetEnabled(m_fx.form->tshPadrao));
    QCOMPARE(m_fx.server.callCount(), 0);
    QVERIFY(!m_fx.form->sbtIncluir->isEnabled());

    // Moving inside the panel changes nothing; leaving it with the filter unchanged reloads.
    m_fx.form->depInicial->setFocus();
    QCOMPARE(m_fx.server.callCount(), 0);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), m_fx.competencias(3));
    m_fx.server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{"01"});
    m_fx.leavePanel();
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 3);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

// ---- Lookups

void tst_FilterCommit::companyAndTaxLookups_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("company picked")
        << "btpEmpresa" << 1 << fixture::OtherCompany << "COMÉRCIO DOIS S.A.";
    QTest::newRow("company dismissed") << "btpEmpresa" << -1 << "9"
                                       << "";
    QTest::newRow("tax picked") << "btpImposto" << 0 << fixture::Tax << "ICMS";
    QTest::newRow("tax dismissed") << "btpImposto" << -1 << "9"
                                   << "";
}

void tst_FilterCommit::companyAndTaxLookups() {
    QFETCH(QString, button);
    QFETCH(int, pick);
    QFETCH(QString, code);
    QFETCH(QString, name);

    const bool company = button == QLatin1String("btpEmpresa");
    QLineEdit* codeEdit = company ? m_fx.form->edtCdEmpresa : m_fx.form->edtCdImposto;
    QLineEdit* nameEdit = company ? m_fx.form->edtNmEmpresa : m_fx.form->edtNmImposto;
    codeEdit->setFocus();
    codeEdit->setText(QStringLiteral("9"));
    m_fx.dialogs.enqueuePick(pick);
    m_fx.form->findChild<TBtnPesquisa*>(button)->click();

    QCOMPARE(m_fx.dialogs.pickTitles, QStringList{company ? "Empresa" : "Imposto"});
    QCOMPARE(codeEdit->text(), code);
    QCOMPARE(nameEdit->text(), name);
    QVERIFY(m_fx.dialogs.errors().isEmpty());
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_FilterCommit::lookupReadsRegisterAfresh() {
    m_fx.form->btpEmpresa->click(); // dismissed
    QVERIFY2(m_fx.sql(QStringLiteral("INSERT INTO EMPRESA VALUES ('05', 'NOVA EMPRESA ME')")),
             qPrintable(m_fx.error));
    m_fx.dialogs.enqueuePick(2);
    m_fx.form->btpEmpresa->click();
    QVERIFY2(m_fx.sql(QStringLiteral("DELETE FROM EMPRESA WHERE CDEMPRESA = '05'")),
             qPrintable(m_fx.error));

    QCOMPARE(m_fx.form->edtCdEmpresa->text(), QStringLiteral("05"));
    QCOMPARE(m_fx.form->edtNmEmpresa->text(), QStringLiteral("NOVA EMPRESA ME"));
}

void tst_FilterCommit::registrationLookup_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("expected");

    QTest::newRow("second picked") << fixture::Company << 1 << "110042490122";
    QTest::newRow("dismissed") << fixture::Company << -1 << "antes";
    QTest::newRow("company used unchanged, even empty") << "" << 0 << "110042490114";
}

void tst_FilterCommit::registrationLookup() {
    QFETCH(QString, company);
    QFETCH(int, pick);
    QFETCH(QString, expected);

    m_fx.form->edtCdEmpresa->setText(company);
    m_fx.form->dbeInscEsta->setText(QStringLiteral("antes"));
    m_fx.server.enqueueResult(QStringLiteral("getInscEsta"),
                              m_fx.registrations({"110042490114", "110042490122"}));
    m_fx.dialogs.enqueuePick(pick);
    m_fx.form->btnPesqInscEsta->click();

    QCOMPARE(m_fx.server.callCount(), 1);
    QCOMPARE(m_fx.server.calls().constFirst().method, QStringLiteral("getInscEsta"));
    QCOMPARE(m_fx.server.calls().constFirst().params, (QJsonArray{company, "T", ""}));
    QCOMPARE(m_fx.dialogs.pickTitles, QStringList{"Inscrição Estadual"});
    QCOMPARE(m_fx.form->dbeInscEsta->text(), expected);
}

void tst_FilterCommit::registrationLookupErrorKeepsRows() {
    m_fx.form->edtCdEmpresa->setText(fixture::Company);
    m_fx.server.enqueueResult(QStringLiteral("getInscEsta"), m_fx.registrations({"A1", "A2"}));
    m_fx.form->btnPesqInscEsta->click();
    m_fx.server.enqueueError(QStringLiteral("getInscEsta"), -32000, QStringLiteral("Sem conexão."));
    m_fx.form->btnPesqInscEsta->click();

    QCOMPARE(m_fx.dialogs.errors(), QStringList{"Sem conexão."});
    QCOMPARE(m_fx.dialogs.pickTitles.size(), 1);
    QCOMPARE(m_fx.form->cdsInscEsta->RecordCount(), 2);
}

QTEST_MAIN(tst_FilterCommit)
#include "tst_filtercommit.moc"
