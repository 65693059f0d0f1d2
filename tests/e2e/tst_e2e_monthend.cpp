#include "Cli_mzr02400.h"
#include "DtmDBGeral.h"
#include "HostApplication.h"
#include "HostServices.h"
#include "LiveScreenFixture.h"
#include "LocaleFormat.h"
#include "RpcTestClient.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cmath>

// The month-end road on the real screen and the real server: a new competência, its assets
// loaded from the register on the assets tab, a sale recorded in the register afterwards that
// stops the appropriation until the assets are reloaded, the month appropriated on the first
// tab, then the appropriation cancelled. With CIAP_SCREENSHOT_DIR set, the assets tab and the
// appropriated month are saved there as pictures.
class tst_E2EMonthEnd : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void addCompetencia();
    void loadItsAssets();
    void staleLoadIsRefusedUntilReloaded();
    void appropriate();
    void appropriatedAssetsShowTheirInstalment();
    void cancelTheAppropriation();

private:
    void commitFilter();
    void typeIntoCell(const QString& fieldName, const QString& text);
    void clickTab(QWidget* sheet);
    bool locateMonth();
    QString cellText(TDBGrid* grid, int row, const QString& fieldName) const;
    void screenshot(const QString& name);
    QString dialogs() const { return m_fx.dialogs.texts().join(QLatin1Char('\n')); }

    LiveScreenFixture m_fx;
    QString m_month; // the current month, which the demo data leaves free
    QString m_nrseq;
    int m_assetCount = 0;
};

namespace {

const QString Company = QStringLiteral("01");
const QString Tax = QStringLiteral("01"); // kind "01": the coefficient weighs the credit
const QString Registration = QStringLiteral("110042490114");

bool near(double a, double b) {
    return std::fabs(a - b) <= 1e-6 * std::max(1.0, std::fabs(b));
}

} // namespace

void tst_E2EMonthEnd::initTestCase() {
    m_month = QDate::currentDate().toString(QStringLiteral("MM/yyyy"));
    QVERIFY2(m_fx.start(), qPrintable(m_fx.error));
    QVERIFY(m_fx.openScreen());
    commitFilter();
}

void tst_E2EMonthEnd::cleanupTestCase() {
    QVERIFY(m_fx.stop());
}

// The user fills the header and leaves it for the list.
void tst_E2EMonthEnd::commitFilter() {
    TfrmCIAP* f = frmCIAP;
    f->edtCdEmpresa->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), f->edtCdEmpresa);
    QTest::keyClicks(f->edtCdEmpresa, Company);
    QTest::keyClick(f->edtCdEmpresa, Qt::Key_Tab);
    QTest::keyClicks(f->edtCdImposto, Tax);
    QTest::keyClick(f->edtCdImposto, Qt::Key_Tab);
    f->dbeInscEsta->setText(Registration);
    f->dbgPadrao->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QVERIFY(f->cdsCIAP->Active());
}

void tst_E2EMonthEnd::typeIntoCell(const QString& fieldName, const QString& text) {
    TfrmCIAP* f = frmCIAP;
    f->dbgPadrao->SetSelectedField(f->cdsCIAP->FieldByName(fieldName));
    for (const QChar c : text)
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
}

void tst_E2EMonthEnd::clickTab(QWidget* sheet) {
    TPageControl* pages = frmCIAP->pgcPadrao;
    auto* bar = pages->findChild<QTabBar*>();
    QVERIFY(bar);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(pages->indexOf(sheet)).center());
    QCOMPARE(pages->ActivePage(), sheet);
}

bool tst_E2EMonthEnd::locateMonth() {
    return frmCIAP->cdsCIAP->Locate(QStringLiteral("COMPETENCIA"), m_month, false);
}

QString tst_E2EMonthEnd::cellText(TDBGrid* grid, int row, const QString& fieldName) const {
    for (int c = 0; c < grid->ColumnCount(); ++c)
        if (grid->ColumnFieldName(c) == fieldName)
            return grid->model()->index(row, c).data().toString();
    return QStringLiteral("<no column %1>").arg(fieldName);
}

void tst_E2EMonthEnd::screenshot(const QString& name) {
    const QString dir = qEnvironmentVariable("CIAP_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QWidget* window = HostApplication::windowOf(frmCIAP);
    QVERIFY(window->grab().save(QDir(dir).filePath(name)));
}

void tst_E2EMonthEnd::addCompetencia() {
    TfrmCIAP* f = frmCIAP;
    QVERIFY(!locateMonth());
    QTest::mouseClick(f->sbtIncluir, Qt::LeftButton);
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Insert);
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->dbgPadrao));
    typeIntoCell(QStringLiteral("COMPETENCIA"), QString(m_month).remove(QLatin1Char('/')));
    typeIntoCell(QStringLiteral("CDINSCESTA"), Registration);
    typeIntoCell(QStringLiteral("VRSAIDACIAP"), QStringLiteral("1500"));
    typeIntoCell(QStringLiteral("VRSAIDATRIBCIAP"), QStringLiteral("900"));
    QTest::mouseClick(f->sbtGravar, Qt::LeftButton);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
    QCOMPARE(f->cdsCIAP->State(), DataSetState::Browse);
    QVERIFY(locateMonth());
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("P"));
    QCOMPARE(f->cdsCIAPITEMEXISTE->AsFloat(), 0.0);
    m_nrseq = f->cdsCIAPNRSEQCIAP->AsString();
    // Nothing to appropriate before its assets are there.
    QVERIFY(!f->sbtOK->isEnabled());
}

void tst_E2EMonthEnd::loadItsAssets() {
    TfrmCIAP* f = frmCIAP;
    QVERIFY(locateMonth());
    clickTab(f->tshBensComp);
    QCOMPARE(f->dtsPadrao->DataSet(), f->cdsBensComp);
    QVERIFY(f->cdsBensComp->Active());
    QVERIFY(f->cdsBensComp->IsEmpty());
    QCOMPARE(f->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    QVERIFY(f->sbtCarregar->isEnabled());

    // An empty list is loaded without a question.
    QTest::mouseClick(f->sbtCarregar, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts(), QStringList{QStringLiteral("Operação concluída com sucesso.")});
    QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Information);
    m_fx.dialogs.clear();

    // The list shows what the server holds for the competência, with the values it computed.
    RpcTestClient rpc;
    QVERIFY(rpc.connectTo(m_fx.server.host(), m_fx.server.port()));
    const ciap::DataPacket stored =
        rpc.packet(QStringLiteral("getBensComp"), {m_month, Company, Tax, m_nrseq});
    const ciap::DataPacket instalments =
        rpc.packet(QStringLiteral("getVrParcelBemComp"), {m_month, Tax, Company, Registration});
    m_assetCount = f->cdsBensComp->RecordCount();
    QVERIFY(m_assetCount > 0);
    QCOMPARE(m_assetCount, int(stored.rows.size()));
    double sum = 0;
    f->cdsBensComp->First();
    for (int row = 0; row < m_assetCount; ++row, f->cdsBensComp->Next()) {
        const double instalment = f->cdsBensCompVRPARCELACIAP->AsFloat();
        const double share = f->cdsBensCompVRAPROPARCCIAP->AsFloat();
        sum += instalment;
        QVERIFY(instalment > 0);
        QVERIFY2(near(share, instalment * 900.0 / 1500.0),
                 qPrintable(f->cdsBensCompCDBEMATIVO->AsString()));
        QCOMPARE(cellText(f->dbgBensComp, row, QStringLiteral("VRAPROPARCCIAP")),
                 floatToStr(RoundDec(share, 2)));
        QCOMPARE(cellText(f->dbgBensComp, row, QStringLiteral("VRPARCELACIAP")),
                 formatFloat(QStringLiteral("#,##0.00"), instalment));
    }
    QVERIFY(near(sum, instalments.rows.first().first().toDouble()));
    f->cdsBensComp->First();
    screenshot(QStringLiteral("assets-tab.png"));
}

void tst_E2EMonthEnd::staleLoadIsRefusedUntilReloaded() {
    TfrmCIAP* f = frmCIAP;
    clickTab(f->tshPadrao);
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    // The demo's Torno, in its last instalment this month, sold last month as the register
    // now says (recorded after the load).
    QSqlQuery sale(dtmDBGeral().database());
    sale.prepare(QStringLiteral("UPDATE BEMATIVO SET DTSAIDA = ?, IDTPSAIDA = 'V'"
                                " WHERE CDEMPRESA = ? AND CDBEMATIVO = '0000000002'"));
    sale.addBindValue(QDate::currentDate().addDays(1 - QDate::currentDate().day()).addDays(-1));
    sale.addBindValue(Company);
    QVERIFY(sale.exec());

    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(f->sbtOK, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts().size(), 2);
    const QString refusal = m_fx.dialogs.errors().value(0);
    QVERIFY2(refusal.contains(QLatin1String("0000000002 - Torno CNC horizontal: saiu em")),
             qPrintable(refusal));
    QVERIFY2(refusal.contains(QLatin1String("\"Carregar Bens Parcelados\"")), qPrintable(refusal));
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("P"));
    m_fx.dialogs.clear();

    // As the message says: reload the assets on their tab.
    clickTab(f->tshBensComp);
    QCOMPARE(f->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(f->sbtCarregar, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts().value(1), QStringLiteral("Operação concluída com sucesso."));
    m_fx.dialogs.clear();
    QCOMPARE(f->cdsBensComp->RecordCount(), m_assetCount - 1);
    m_assetCount = f->cdsBensComp->RecordCount();
}

void tst_E2EMonthEnd::appropriate() {
    TfrmCIAP* f = frmCIAP;
    clickTab(f->tshPadrao);
    QCOMPARE(f->dtsPadrao->DataSet(), f->cdsCIAP);
    // The reload found the same competência again, now with its assets.
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    QCOMPARE(f->cdsCIAPITEMEXISTE->AsFloat(), double(m_assetCount));
    QVERIFY(f->cdsCIAPVRCREDAPROPCIAP->AsFloat() > 0);
    QVERIFY(f->sbtOK->isEnabled());
    QVERIFY(!f->btnCancelar->isEnabled());

    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(f->sbtOK, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts(), QStringList{QStringLiteral("Confirmar apropriação?")});
    m_fx.dialogs.clear();
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("A"));
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->DisplayText(), QStringLiteral("Apropriado"));
    // The commands follow the new situation.
    QVERIFY(!f->sbtOK->isEnabled());
    QVERIFY(f->btnCancelar->isEnabled());
    QVERIFY(!f->sbtExcluir->isEnabled());
    QVERIFY(!f->sbtAlterar->isEnabled());
    screenshot(QStringLiteral("appropriated-month.png"));
}

// Once appropriated, an asset of type "09" shows its whole instalment as the value to
// appropriate; the others keep the share the coefficient lets through.
void tst_E2EMonthEnd::appropriatedAssetsShowTheirInstalment() {
    TfrmCIAP* f = frmCIAP;
    clickTab(f->tshBensComp);
    QCOMPARE(f->cdsBensComp->RecordCount(), m_assetCount);
    QVERIFY(!f->sbtCarregar->isEnabled());
    QVERIFY(!f->sbtExcluir->isEnabled());
    int typeNine = 0;
    f->cdsBensComp->First();
    for (int row = 0; row < m_assetCount; ++row, f->cdsBensComp->Next()) {
        const bool nine = f->cdsBensCompIDTPAPROPPISCOF->AsString() == QLatin1String("09");
        typeNine += nine ? 1 : 0;
        const double shown =
            nine ? f->cdsBensCompVRPARCELACIAP->AsFloat() : f->cdsBensCompVRAPROPARCCIAP->AsFloat();
        QCOMPARE(cellText(f->dbgBensComp, row, QStringLiteral("VRAPROPARCCIAP")),
                 floatToStr(RoundDec(shown, 2)));
    }
    QVERIFY2(typeNine > 0, "the demo register has type 09 assets in the month");
    clickTab(f->tshPadrao);
    QVERIFY2(m_fx.dialogs.entries.isEmpty(), qPrintable(dialogs()));
}

void tst_E2EMonthEnd::cancelTheAppropriation() {
    TfrmCIAP* f = frmCIAP;
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    QVERIFY(f->btnCancelar->isEnabled());
    m_fx.dialogs.enqueueAnswer(DialogAnswer::Yes);
    QTest::mouseClick(f->btnCancelar, Qt::LeftButton);
    QCOMPARE(m_fx.dialogs.texts(),
             (QStringList{QStringLiteral("Confirmar cancelamento da Apropriação?"),
                          QStringLiteral("Competência cancelada com sucesso")}));
    QCOMPARE(f->cdsCIAPCOMPETENCIA->AsString(), m_month);
    QCOMPARE(f->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("P"));
    QVERIFY(f->sbtOK->isEnabled());
    QVERIFY(!f->btnCancelar->isEnabled());
}

QTEST_MAIN(tst_E2EMonthEnd)
#include "tst_e2e_monthend.moc"
