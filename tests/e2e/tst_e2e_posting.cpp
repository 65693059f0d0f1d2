#include "Cli_mzr02400.h"
#include "HostServices.h"
#include "LiveScreenFixture.h"
#include "RpcTestClient.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDateEditPlus.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>

// A competência typed into the grid of the real screen and posted to the real server: listed
// with the figures of the CIAP rules, still there with the same figures after the server
// restarts, and gone from the server with its assets once deleted.
class tst_E2EPosting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void typedMonthIsPostedAndListed();
    void assetsLoadedGiveTheRuleFigures();
    void survivesServerRestart();
    void deleteRemovesMonthAndAssets();

private:
    void commitFilter();
    void typeIntoCell(const QString& fieldName, const QString& text);
    bool locateMonth();
    std::unique_ptr<RpcTestClient> client();

    LiveScreenFixture m_fx;
    QString m_month; // the current month, which the demo data leaves free
    QString m_nrseq;
    double m_coefficient = 0;
    double m_balance = 0;
    double m_credit = 0;
};

namespace {

const QString Company = QStringLiteral("01");
const QString Tax = QStringLiteral("01"); // kind "01": coefficient V ÷ T
const QString Registration = QStringLiteral("110042490114");

bool near(double a, double b) {
    return std::fabs(a - b) <= 1e-9 * std::max(1.0, std::fabs(b));
}

} // namespace

std::unique_ptr<RpcTestClient> tst_E2EPosting::client() {
    auto c = std::make_unique<RpcTestClient>();
    if (!c->connectTo(m_fx.server.host(), m_fx.server.port()))
        return nullptr;
    return c;
}

void tst_E2EPosting::initTestCase() {
    m_month = QDate::currentDate().toString(QStringLiteral("MM/yyyy"));
    QVERIFY2(m_fx.start(), qPrintable(m_fx.error));
}

void tst_E2EPosting::cleanupTestCase() {
    QVERIFY(m_fx.stop());
}

// The user fills the header and leaves it for the list.
void tst_E2EPosting::commitFilter() {
    TfrmCIAP* f = frmCIAP;
    f->edtCdEmpresa->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f->edtCdEmpresa);
    f->edtCdEmpresa->selectAll();
    QTest::keyClicks(f->edtCdEmpresa, Company);
    QTest::keyClick(f->edtCdEmpresa, Qt::Key_Tab);
    QTest::keyClicks(f->edtCdImposto, Tax);
    QTest::keyClick(f->edtCdImposto, Qt::Key_Tab);
    // The period IniProc proposes ends with the current month.
    QCOMPARE(f->depFinal->GetDate(), PriDiaMes(QDate::currentDate()));
    f->dbeInscEsta->setText(Registration);
    f->dbgPadrao->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    QVERIFY2(m_fx.dialogs.entries.isEmpty(),
             qPrintable(m_fx.dialogs.texts().join(QLatin1Char('\n'))));
    QVERIFY(f->cdsCIAP->Active());
}

// Types into a cell of the competência grid as a user does: select the cell, type, leave it
// with Tab.
void tst_E2EPosting::typeIntoCell(const QString& fieldName, const QString& text) {
    TfrmCIAP* f = frmCIAP;
    f->dbgPadrao->SetSelectedField(f->cdsCIAP->FieldByName(fieldName));
    QCOMPARE(f->dbgPadrao->SelectedField()->FieldName(), fieldName);
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

bool tst_E2EPosting::locateMonth() {
    return frmCIAP->cdsCIAP->Locate(QStringLiteral("COMPETENCIA"), m_month, false);
}

void tst_E2EPosting::typedMonthIsPostedAndListed() {
    QVERIFY(m_fx.openScreen());
    commitFilter();
    TfrmCIAP* f = frmCIAP;
    QVERIFY(!locateMonth());
    const int before = f->cdsCIAP->RecordCount();

    QTest::mouseClick(f->sbtIncluir, Qt::LeftButton);
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    typeIntoCell(QStringLiteral("COMPETENCIA"), QString(m_month).remove(QLatin1Char('/')));
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    typeIntoCell(QStringLiteral("CDINSCESTA"), Registration);
    typeIntoCell(QStringLiteral("VRSAIDACIAP"), QStringLiteral("1500"));
    // The last value is still in its cell's editor when the user clicks the save button.
    f->dbgPadrao->SetSelectedField(f->cdsCIAPVRSAIDATRIBCIAP);
    for (const QChar c : QStringLiteral("900"))
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QVERIFY(QApplication::focusWidget() != f->dbgPadrao);
    QVERIFY(f->sbtGravar->isEnabled());
    QTest::mouseClick(f->sbtGravar, Qt::LeftButton);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(),
             qPrintable(m_fx.dialogs.texts().join(QLatin1Char('\n'))));
    QVERIFY(!busyIndicatorActive());

    // The list now comes from the server.
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Browse);
    QCOMPARE(f->cdsCIAP->ChangeCount(), 0);
    QCOMPARE(f->cdsCIAP->RecordCount(), before + 1);
    QVERIFY(locateMonth());
    QCOMPARE(f->cdsCIAPCDINSCESTA->AsString(), Registration);
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("P"));
    QCOMPARE(f->cdsCIAPVRSAIDACIAP->AsFloat(), 1500.0);
    QCOMPARE(f->cdsCIAPVRSAIDATRIBCIAP->AsFloat(), 900.0);
    // No asset loaded yet: nothing to credit.
    QVERIFY(f->cdsCIAPVRCOEFICIAP->AsFloat() == 900.0 / 1500.0);
    QCOMPARE(f->cdsCIAPVRSALDOPARCCIAP->AsFloat(), 0.0);
    QCOMPARE(f->cdsCIAPVRCREDAPROPCIAP->AsFloat(), 0.0);
    QCOMPARE(f->cdsCIAPVRCOEFICIAP->DisplayText(), QStringLiteral("0,60"));
    QCOMPARE(f->cdsCIAPDTCOMPETECIAP->AsDateTime(), PriDiaMes(QDate::currentDate()));
    m_nrseq = f->cdsCIAPNRSEQCIAP->AsString();
    QVERIFY(!m_nrseq.isEmpty());
}

// The month's assets loaded on the server: balance = the month's instalments, credit = balance
// weighted by the coefficient.
void tst_E2EPosting::assetsLoadedGiveTheRuleFigures() {
    QVERIFY(frmCIAP);
    auto rpc = client();
    QVERIFY(rpc);
    const ciap::DataPacket instalments =
        rpc->packet(QStringLiteral("getVrParcelBemComp"), {m_month, Tax, Company, Registration});
    QCOMPARE(instalments.rows.size(), 1);
    const double sum = instalments.rows.first().first().toDouble();
    QVERIFY(sum > 0);
    const ciap::DataPacket loaded =
        rpc->packet(QStringLiteral("CarregaImpostoNFBemParcela"),
                    {m_month, Company, Tax, 0.0, QStringLiteral("BEM"), Registration, m_nrseq});
    QCOMPARE(loaded.rows.first().first().toString(), QStringLiteral("OK"));

    TfrmCIAP* f = frmCIAP;
    QTest::mouseClick(f->sbtVerificar, Qt::LeftButton);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QVERIFY(locateMonth());
    m_coefficient = f->cdsCIAPVRCOEFICIAP->AsFloat();
    m_balance = f->cdsCIAPVRSALDOPARCCIAP->AsFloat();
    m_credit = f->cdsCIAPVRCREDAPROPCIAP->AsFloat();
    QVERIFY(m_coefficient == 900.0 / 1500.0);
    QVERIFY(near(m_balance, sum));
    QVERIFY(near(m_credit, m_balance * 900.0 / 1500.0));
    QVERIFY(f->cdsCIAPITEMEXISTE->AsFloat() > 0);
}

void tst_E2EPosting::survivesServerRestart() {
    QVERIFY(frmCIAP);
    QVERIFY(m_fx.closeScreen());
    QVERIFY(m_fx.server.stop());
    QVERIFY2(m_fx.startServer(), qPrintable(m_fx.error));

    QVERIFY(m_fx.openScreen());
    commitFilter();
    TfrmCIAP* f = frmCIAP;
    QVERIFY(locateMonth());
    QCOMPARE(f->cdsCIAPNRSEQCIAP->AsString(), m_nrseq);
    QCOMPARE(f->cdsCIAPVRSAIDACIAP->AsFloat(), 1500.0);
    QCOMPARE(f->cdsCIAPVRSAIDATRIBCIAP->AsFloat(), 900.0);
    QVERIFY(f->cdsCIAPVRCOEFICIAP->AsFloat() == m_coefficient);
    QVERIFY(f->cdsCIAPVRSALDOPARCCIAP->AsFloat() == m_balance);
    QVERIFY(f->cdsCIAPVRCREDAPROPCIAP->AsFloat() == m_credit);
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("P"));
}

void tst_E2EPosting::deleteRemovesMonthAndAssets() {
    QVERIFY(frmCIAP);
    TfrmCIAP* f = frmCIAP;
    QVERIFY(locateMonth());
    const int before = f->cdsCIAP->RecordCount();
    auto rpc = client();
    QVERIFY(rpc);
    const QJsonArray key{m_month, Company, Tax, m_nrseq};
    QVERIFY(!rpc->packet(QStringLiteral("getBensComp"), key).rows.isEmpty());

    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QVERIFY(f->sbtExcluir->isEnabled());
    QTest::mouseClick(f->sbtExcluir, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts(), QStringList{QStringLiteral("Confirma exclusão?")});
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(f->cdsCIAP->ChangeCount(), 0);
    QCOMPARE(f->cdsCIAP->RecordCount(), before - 1);
    QVERIFY(!locateMonth());

    QVERIFY(rpc->packet(QStringLiteral("getBensComp"), key).rows.isEmpty());
    const ciap::DataPacket exists =
        rpc->packet(QStringLiteral("getCompet_Existe"), {m_month, Tax, Company, Registration});
    QCOMPARE(exists.rows.first().first().toDouble(), 0.0);
}

QTEST_MAIN(tst_E2EPosting)
#include "tst_e2e_posting.moc"
