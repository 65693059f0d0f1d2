#include "Cli_mzr02400.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QAbstractItemModel>
#include <QJsonArray>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

// The assets of the selected competência: their list, the value to appropriate as shown, the
// check of an asset against the register and the saves that follow a post or a delete.
class tst_Assets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void loadAsksForTheSelectedCompetencia();
    void reloadKeepsTheCurrentAsset_data();
    void reloadKeepsTheCurrentAsset();
    void failedLoadKeepsTheRows();
    void valueToAppropriate_data();
    void valueToAppropriate();
    void gridDrawsEachRowByItsOwnType();
    void gridEditingSwitchedOffOnEntering();
    void leavingTheCodeColumn_data();
    void leavingTheCodeColumn();
    void checkAgainstTheRegister_data();
    void checkAgainstTheRegister();
    void postWithoutCodeIsRefused();
    void postedNewRowIsSavedAndReloaded();
    void editedRowIsSavedWithI();
    void postWithoutChangesOnlyReloads();
    void failedSaveIsShownBeforeTheReload();
    void deleteSendsTheDeletedRow_data();
    void deleteSendsTheDeletedRow();
    void failedDeleteBringsTheRowBack();
    void cancelReloads();

private:
    using Values = QHash<QString, QVariant>;
    static QVariantList rowOf(const QList<ciap::FieldDef>& defs, const Values& values);
    void loadCompetencia(const QString& situation);
    QJsonValue assetsAnswer(const QList<Values>& assets) const;
    void loadAssets(const QList<Values>& assets);
    static Values asset(const QString& code, const QString& type = QStringLiteral("01"),
                        const QVariant& instalment = 100.0, const QVariant& share = 25.0);
    QStringList methods() const;

    ScreenFixture m_fx;
};

namespace {

const QDate March(2024, 3, 1);

QJsonValue vdAnswer(const QList<QVariantList>& rows) {
    return ScriptedServer::packet({{QStringLiteral("CDBEMATIVO"), ciap::FieldType::String, 10},
                                   {QStringLiteral("NMBEMATIVO"), ciap::FieldType::String, 50},
                                   {QStringLiteral("CDPATRIBEMATIVO"), ciap::FieldType::String, 30},
                                   {QStringLiteral("VRPARCELACIAP"), ciap::FieldType::Float, 0},
                                   {QStringLiteral("SITUACAO"), ciap::FieldType::Float, 0}},
                                  rows);
}

} // namespace

void tst_Assets::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Shown), qPrintable(m_fx.error));
}

void tst_Assets::cleanupTestCase() {
    m_fx.stop();
}

void tst_Assets::init() {
    // Cancelling a row left pending by the previous test reloads the list.
    m_fx.server.setDefault(QStringLiteral("getBensComp"), assetsAnswer({}));
    m_fx.form->dtsPadrao->SetDataSet(nullptr);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
    for (TClientDataSet* ds : {m_fx.form->cdsCIAP, m_fx.form->cdsBensComp}) {
        if (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)
            ds->Cancel();
        ds->Close();
    }
    m_fx.fillHeader();
    m_fx.server.clear();
    m_fx.dialogs.clear();
    stBemDel.clear();
    dtCopetDel = QDate();
}

QVariantList tst_Assets::rowOf(const QList<ciap::FieldDef>& defs, const Values& values) {
    QVariantList row(defs.size());
    for (int i = 0; i < defs.size(); ++i)
        row[i] = values.value(defs.at(i).name);
    return row;
}

// The selected competência: its tax differs from the header's, so that each call shows
// which of the two it was given.
void tst_Assets::loadCompetencia(const QString& situation) {
    ciap::DataPacket packet;
    packet.fields = m_fx.form->cdsCIAP->FieldDefs();
    packet.rows.append(rowOf(packet.fields, {{"CDEMPRESA", fixture::Company},
                                             {"CDIMPOSTO", fixture::WholeTax},
                                             {"COMPETENCIA", QStringLiteral("03/2024")},
                                             {"IDSITCOMPETCIAP", situation},
                                             {"LOCATE", QStringLiteral("C0000000017")},
                                             {"DTCOMPETECIAP", March},
                                             {"ITEMEXISTE", 2.0},
                                             {"CDINSCESTA", QStringLiteral("111")},
                                             {"NRSEQCIAP", QStringLiteral("0000000017")}}));
    m_fx.form->cdsCIAP->SetData(packet);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshBensComp);
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsBensComp);
}

tst_Assets::Values tst_Assets::asset(const QString& code, const QString& type,
                                     const QVariant& instalment, const QVariant& share) {
    return {{"CDEMPRESA", fixture::Company},
            {"CDBEMATIVO", code},
            {"NMBEMATIVO", QStringLiteral("Bem ") + code.right(2)},
            {"CDPATRIBEMATIVO", QStringLiteral("PAT-") + code.right(2)},
            {"DTCOMPETECIAP", March},
            {"VRCOEFICIAP", 0.25},
            {"VRPARCELACIAP", instalment},
            {"IDTPAPROPPISCOF", type},
            {"VRAPROPARCCIAP", share}};
}

QJsonValue tst_Assets::assetsAnswer(const QList<Values>& assets) const {
    QList<QVariantList> rows;
    const QList<ciap::FieldDef> defs = m_fx.form->cdsBensComp->FieldDefs();
    for (const Values& a : assets)
        rows.append(rowOf(defs, a));
    return ScriptedServer::packet(defs, rows);
}

void tst_Assets::loadAssets(const QList<Values>& assets) {
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"), assetsAnswer(assets));
    m_fx.form->AtualizaBensComp();
    m_fx.server.clear();
}

QStringList tst_Assets::methods() const {
    QStringList out;
    for (const ScriptedServer::Call& c : m_fx.server.calls())
        out.append(c.method);
    return out;
}

void tst_Assets::loadAsksForTheSelectedCompetencia() {
    loadCompetencia(QStringLiteral("P"));
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"),
                              assetsAnswer({asset(QStringLiteral("0000000001"))}));
    const int shown = busyIndicatorShownCount();
    m_fx.form->AtualizaBensComp();

    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("getBensComp"));
    QCOMPARE(calls.size(), 1);
    // Month, header company, the competência's own tax and sequence number.
    QCOMPARE(calls.first().params,
             (QJsonArray{"03/2024", fixture::Company, fixture::WholeTax, "0000000017"}));
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 1);
    QCOMPARE(busyIndicatorShownCount(), shown + 1);
    QVERIFY(!busyIndicatorActive());
    // The load ends in the command state of the assets tab.
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    QVERIFY(m_fx.form->sbtCarregar->isEnabled());
}

void tst_Assets::reloadKeepsTheCurrentAsset_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("currentBefore"); // 1-based
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QString>("expected");

    const QStringList three{"0000000001", "000000000A", "0000000003"};
    QTest::newRow("still there") << three << 3 << three << "0000000003";
    QTest::newRow("spelt in another case")
        << three << 2 << QStringList{"0000000001", "000000000a", "0000000003"} << "000000000a";
    QTest::newRow("gone: first row")
        << three << 3 << QStringList{"0000000001", "0000000002"} << "0000000001";
    QTest::newRow("no partial match")
        << QStringList{"000000001"} << 1 << QStringList{"0000000010", "000000001"} << "000000001";
    QTest::newRow("empty list before") << QStringList{} << 0 << three << "0000000001";
}

void tst_Assets::reloadKeepsTheCurrentAsset() {
    QFETCH(QStringList, before);
    QFETCH(int, currentBefore);
    QFETCH(QStringList, after);
    QFETCH(QString, expected);

    loadCompetencia(QStringLiteral("P"));
    QList<Values> rows;
    for (const QString& code : before)
        rows.append(asset(code));
    loadAssets(rows);
    if (currentBefore > 0)
        m_fx.form->cdsBensComp->SetRecNo(currentBefore);
    rows.clear();
    for (const QString& code : after)
        rows.append(asset(code));
    loadAssets(rows);
    QCOMPARE(m_fx.form->cdsBensCompCDBEMATIVO->AsString(), expected);
}

void tst_Assets::failedLoadKeepsTheRows() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000001")), asset(QStringLiteral("0000000002"))});
    m_fx.server.enqueueError(QStringLiteral("getBensComp"), -32000, QStringLiteral("Sem banco."));
    m_fx.form->sbtCarregar->setToolTip(QString());

    QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->AtualizaBensComp());
    QCOMPARE(m_fx.dialogs.errors(), QStringList{QStringLiteral("Sem banco.")});
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 2);
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
}

void tst_Assets::valueToAppropriate_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("instalment");
    QTest::addColumn<QVariant>("share");
    QTest::addColumn<QString>("expected");

    QTest::newRow("appropriated, 09: the instalment")
        << "A"
        << "09" << QVariant(1234.567) << QVariant(10.0) << "1234,57";
    QTest::newRow("pending, 09: the share") << "P"
                                            << "09" << QVariant(1234.567) << QVariant(10.0) << "10";
    QTest::newRow("appropriated, 01: the share")
        << "A"
        << "01" << QVariant(50.0) << QVariant(12.5) << "12,5";
    QTest::newRow("appropriated, 9: the share")
        << "A"
        << "9" << QVariant(50.0) << QVariant(12.5) << "12,5";
    QTest::newRow("situation in lower case") << "a"
                                             << "09" << QVariant(50.0) << QVariant(12.5) << "12,5";
    QTest::newRow("rounded, no grouping")
        << "P"
        << "01" << QVariant(0.0) << QVariant(1234.567) << "1234,57";
    QTest::newRow("half away from zero") << "P"
                                         << "01" << QVariant(0.0) << QVariant(2.675) << "2,68";
    QTest::newRow("no trailing zeros") << "P"
                                       << "01" << QVariant(0.0) << QVariant(2.50) << "2,5";
    QTest::newRow("null share shows 0") << "P"
                                        << "01" << QVariant(3.0) << QVariant() << "0";
    QTest::newRow("null instalment shows 0") << "A"
                                             << "09" << QVariant() << QVariant(3.0) << "0";
    QTest::newRow("negative") << "P"
                              << "01" << QVariant(0.0) << QVariant(-0.005) << "-0,01";
}

void tst_Assets::valueToAppropriate() {
    QFETCH(QString, situation);
    QFETCH(QString, type);
    QFETCH(QVariant, instalment);
    QFETCH(QVariant, share);
    QFETCH(QString, expected);

    loadCompetencia(situation);
    loadAssets({asset(QStringLiteral("0000000001"), type, instalment, share)});
    QCOMPARE(m_fx.form->cdsBensCompVRAPROPARCCIAP->DisplayText(), expected);
    // The same text serves for editing.
    QCOMPARE(m_fx.form->cdsBensCompVRAPROPARCCIAP->Text(), expected);
}

// Every row is drawn with its own type, not with the current row's; and the neighbouring
// instalment column keeps its display format.
void tst_Assets::gridDrawsEachRowByItsOwnType() {
    loadCompetencia(QStringLiteral("A"));
    loadAssets({asset(QStringLiteral("0000000001"), QStringLiteral("01"), 1234.567, 7.0),
                asset(QStringLiteral("0000000002"), QStringLiteral("09"), 1234.567, 7.0)});
    QAbstractItemModel* model = m_fx.form->dbgBensComp->model();
    QCOMPARE(m_fx.form->cdsBensComp->RecNo(), 1);
    QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("7"));
    QCOMPARE(model->index(1, 4).data().toString(), QStringLiteral("1234,57"));
    QCOMPARE(model->index(1, 3).data().toString(), QStringLiteral("1.234,57"));
    m_fx.form->cdsBensComp->SetRecNo(2);
    QCOMPARE(model->index(0, 4).data().toString(), QStringLiteral("7"));
}

void tst_Assets::gridEditingSwitchedOffOnEntering() {
    TDBGrid* grid = m_fx.form->dbgBensComp;
    const TDBGrid::Options others =
        TDBGrid::dgTitles | TDBGrid::dgColumnResize | TDBGrid::dgTabs | TDBGrid::dgConfirmDelete;
    grid->SetOptions(others | TDBGrid::dgEditing);
    m_fx.form->dbgBensCompEnter(grid);
    QCOMPARE(grid->GetOptions(), others);
    grid->SetOption(TDBGrid::dgEditing, true);
    m_fx.form->dbgBensCompColEnter(grid);
    QCOMPARE(grid->GetOptions(), others);
    m_fx.form->dbgBensCompEditButtonClick(grid);
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_Assets::leavingTheCodeColumn_data() {
    QTest::addColumn<QString>("state"); // browse, insert
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("checked");

    QTest::newRow("browsing") << "browse" << 0 << "42" << false;
    QTest::newRow("inserting, empty code") << "insert" << 0 << "" << false;
    QTest::newRow("inserting, a code") << "insert" << 0 << "42" << true;
    QTest::newRow("inserting, another column") << "insert" << 1 << "42" << false;
}

void tst_Assets::leavingTheCodeColumn() {
    QFETCH(QString, state);
    QFETCH(int, column);
    QFETCH(QString, code);
    QFETCH(bool, checked);

    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000042"))});
    m_fx.server.setDefault(QStringLiteral("VdBemParcel"),
                           vdAnswer({{"0000000042", "Torno", "PAT-42", 125.5, 2.0}}));
    m_fx.form->dbgBensComp->SetSelectedIndex(column);
    if (state == QLatin1String("insert")) {
        m_fx.form->cdsBensComp->Insert();
        m_fx.form->cdsBensCompCDBEMATIVO->SetAsString(code);
    }
    m_fx.form->dbgBensCompColExit(m_fx.form->dbgBensComp);
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("VdBemParcel")).size(), checked ? 1 : 0);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_Assets::checkAgainstTheRegister_data() {
    QTest::addColumn<QJsonValue>("answer"); // null: a server error
    QTest::addColumn<QString>("error");
    QTest::addColumn<QStringList>("row"); // code, name, patrimony, instalment as text

    QTest::newRow("no instalment") << vdAnswer({})
                                   << "Bem não possui parcela na competência "
                                      "informada."
                                   << QStringList{"0000000042", "", "", ""};
    QTest::newRow("already in the month")
        << vdAnswer({{"0000000042", "Torno", "PAT-42", 125.5, 1.0}})
        << "Bem já cadastrado para Empresa, Imposto e Competência informados. "
        << QStringList{"0000000042", "", "", ""};
    QTest::newRow("found: four fields copied")
        << vdAnswer({{"0000000042", "Torno CNC", "PAT-0042", 125.5, 2.0}}) << ""
        << QStringList{"0000000042", "Torno CNC", "PAT-0042", "125,5"};
    QTest::newRow("neither: nothing copied, no error")
        << vdAnswer({{"0000000042", "Torno CNC", "PAT-0042", 125.5, 0.0}}) << ""
        << QStringList{"0000000042", "", "", ""};
    QTest::newRow("server error") << QJsonValue() << "Imposto não cadastrado."
                                  << QStringList{"0000000042", "", "", ""};
}

void tst_Assets::checkAgainstTheRegister() {
    QFETCH(QJsonValue, answer);
    QFETCH(QString, error);
    QFETCH(QStringList, row);

    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000001"))});
    if (answer.isNull())
        m_fx.server.enqueueError(QStringLiteral("VdBemParcel"), -32000, error);
    else
        m_fx.server.enqueueResult(QStringLiteral("VdBemParcel"), answer);
    m_fx.form->dbgBensComp->SetSelectedIndex(2);
    m_fx.form->cdsBensComp->Insert();
    m_fx.form->cdsBensCompCDBEMATIVO->SetAsString(QStringLiteral(" 42"));

    if (error.isEmpty()) {
        m_fx.form->VD_BEMPARCELADO(false);
        QVERIFY(m_fx.dialogs.entries.isEmpty());
    } else {
        QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->VD_BEMPARCELADO(false));
        QCOMPARE(m_fx.dialogs.errors(), QStringList{error});
        QCOMPARE(m_fx.form->dbgBensComp->SelectedField(), m_fx.form->cdsBensCompCDBEMATIVO);
    }
    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("VdBemParcel"));
    QCOMPARE(calls.size(), 1);
    // Header company and tax, the competência's month, the adjusted code, its registration.
    QCOMPARE(calls.first().params,
             (QJsonArray{fixture::Company, fixture::Tax, "03/2024", "0000000042", "111"}));
    QCOMPARE((QStringList{m_fx.form->cdsBensCompCDBEMATIVO->AsString(),
                          m_fx.form->cdsBensCompNMBEMATIVO->AsString(),
                          m_fx.form->cdsBensCompCDPATRIBEMATIVO->AsString(),
                          m_fx.form->cdsBensCompVRPARCELACIAP->AsString()}),
             row);
}

void tst_Assets::postWithoutCodeIsRefused() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({});
    m_fx.form->cdsBensComp->Insert();
    // Leaving the empty code column says nothing; posting does.
    m_fx.form->dbgBensComp->SetSelectedIndex(0);
    m_fx.form->dbgBensCompColExit(m_fx.form->dbgBensComp);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->cdsBensComp->Post());
    QCOMPARE(m_fx.dialogs.errors(), QStringList{QStringLiteral("Bem deve ser informado.")});
    QCOMPARE(m_fx.form->cdsBensComp->State(), DataSetState::Insert);
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_Assets::postedNewRowIsSavedAndReloaded() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000001"))});
    m_fx.server.enqueueResult(QStringLiteral("VdBemParcel"),
                              vdAnswer({{"0000000042", "Torno CNC", "PAT-0042", 125.5, 2.0}}));
    m_fx.server.enqueueResult(QStringLiteral("GravaInfBensCiap"), QJsonValue::Null);
    m_fx.server.enqueueResult(
        QStringLiteral("getBensComp"),
        assetsAnswer({asset(QStringLiteral("0000000001")), asset(QStringLiteral("0000000042"))}));
    m_fx.form->cdsBensComp->Insert();
    m_fx.form->cdsBensCompCDBEMATIVO->SetAsString(QStringLiteral("42"));
    m_fx.form->cdsBensComp->Post();

    QCOMPARE(methods(), (QStringList{"VdBemParcel", "GravaInfBensCiap", "getBensComp"}));
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("GravaInfBensCiap")).first().params,
             (QJsonArray{fixture::Company, "0000000042", fixture::Tax, "2024-03-01", "I", "111",
                         "0000000017"}));
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QVERIFY(!busyIndicatorActive());
    // The reload put the cursor back on the new asset.
    QCOMPARE(m_fx.form->cdsBensCompCDBEMATIVO->AsString(), QStringLiteral("0000000042"));
    QCOMPARE(m_fx.form->cdsBensComp->ChangeCount(), 0);
}

// An edited row keeps its own company and date, and is saved with "I" like a new one.
void tst_Assets::editedRowIsSavedWithI() {
    loadCompetencia(QStringLiteral("P"));
    Values old = asset(QStringLiteral("0000000042"));
    old.insert(QStringLiteral("DTCOMPETECIAP"), QDate(2024, 2, 1));
    old.insert(QStringLiteral("CDEMPRESA"), fixture::OtherCompany);
    loadAssets({old});
    m_fx.server.enqueueResult(QStringLiteral("VdBemParcel"),
                              vdAnswer({{"0000000042", "Torno", "PAT-42", 99.0, 2.0}}));
    m_fx.server.enqueueResult(QStringLiteral("GravaInfBensCiap"), QJsonValue::Null);
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"), assetsAnswer({old}));
    m_fx.form->cdsBensComp->Edit();
    m_fx.form->cdsBensCompNMBEMATIVO->SetAsString(QStringLiteral("Outro nome"));
    m_fx.form->cdsBensComp->Post();

    const QList<ScriptedServer::Call> saves =
        m_fx.server.callsTo(QStringLiteral("GravaInfBensCiap"));
    QCOMPARE(saves.size(), 1);
    QCOMPARE(saves.first().params, (QJsonArray{fixture::Company, "0000000042", fixture::Tax,
                                               "2024-02-01", "I", "111", "0000000017"}));
}

void tst_Assets::postWithoutChangesOnlyReloads() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000042"))});
    // Neither "already there" nor "found": nothing is copied, so nothing changes.
    m_fx.server.enqueueResult(QStringLiteral("VdBemParcel"),
                              vdAnswer({{"0000000042", "Torno", "PAT-42", 99.0, 0.0}}));
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"),
                              assetsAnswer({asset(QStringLiteral("0000000042"))}));
    m_fx.form->cdsBensComp->Edit();
    m_fx.form->cdsBensComp->Post();
    QCOMPARE(methods(), (QStringList{"VdBemParcel", "getBensComp"}));
}

// The server refuses the save: the user reads its reason before the list is reloaded (and the
// unsaved row disappears), and the post is not reported as a success.
void tst_Assets::failedSaveIsShownBeforeTheReload() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000001"))});
    const QString refusal = QStringLiteral("Competência não encontrada. Recarregue a lista e "
                                           "tente novamente.");
    m_fx.server.enqueueResult(QStringLiteral("VdBemParcel"),
                              vdAnswer({{"0000000042", "Torno CNC", "PAT-0042", 125.5, 2.0}}));
    m_fx.server.enqueueError(QStringLiteral("GravaInfBensCiap"), -32000, refusal);
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"),
                              assetsAnswer({asset(QStringLiteral("0000000001"))}));
    QStringList shownAtReload;
    m_fx.server.onCall = [&](const ScriptedServer::Call& call) {
        if (call.method == QLatin1String("getBensComp"))
            shownAtReload = m_fx.dialogs.errors();
    };
    m_fx.form->cdsBensComp->Insert();
    m_fx.form->cdsBensCompCDBEMATIVO->SetAsString(QStringLiteral("42"));
    QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->cdsBensComp->Post());
    m_fx.server.onCall = nullptr;

    QCOMPARE(methods(), (QStringList{"VdBemParcel", "GravaInfBensCiap", "getBensComp"}));
    QCOMPARE(shownAtReload, QStringList{refusal});
    QCOMPARE(m_fx.dialogs.errors(), QStringList{refusal});
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 1);
    QCOMPARE(m_fx.form->cdsBensCompCDBEMATIVO->AsString(), QStringLiteral("0000000001"));
    QCOMPARE(m_fx.form->cdsBensComp->State(), DataSetState::Browse);
    // Nothing of the refused row is left to go out with a later save.
    QCOMPARE(m_fx.form->cdsBensComp->ChangeCount(), 0);
    QVERIFY(!busyIndicatorActive());
}

void tst_Assets::deleteSendsTheDeletedRow_data() {
    QTest::addColumn<int>("deleted"); // 1-based
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("currentAfter");

    QTest::newRow("middle row, the next becomes current") << 2 << "0000000002"
                                                          << "2024-02-01"
                                                          << "0000000003";
    QTest::newRow("last row, the previous becomes current") << 3 << "0000000003"
                                                            << "2024-03-01"
                                                            << "0000000002";
}

void tst_Assets::deleteSendsTheDeletedRow() {
    QFETCH(int, deleted);
    QFETCH(QString, code);
    QFETCH(QString, date);
    QFETCH(QString, currentAfter);

    loadCompetencia(QStringLiteral("P"));
    QList<Values> rows;
    for (int i = 1; i <= 3; ++i) {
        Values a = asset(QStringLiteral("000000000%1").arg(i));
        a.insert(QStringLiteral("DTCOMPETECIAP"), QDate(2024, i, 1));
        rows.append(a);
    }
    loadAssets(rows);
    m_fx.form->cdsBensComp->SetRecNo(deleted);
    QList<Values> remaining = rows;
    remaining.removeAt(deleted - 1);
    m_fx.server.enqueueResult(QStringLiteral("GravaInfBensCiap"), QJsonValue::Null);
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"), assetsAnswer(remaining));
    QString currentAtSave;
    m_fx.server.onCall = [&](const ScriptedServer::Call& call) {
        if (call.method == QLatin1String("GravaInfBensCiap"))
            currentAtSave = m_fx.form->cdsBensCompCDBEMATIVO->AsString();
    };
    m_fx.form->cdsBensComp->Delete();
    m_fx.server.onCall = nullptr;

    QCOMPARE(currentAtSave, currentAfter);
    QCOMPARE(stBemDel, code);
    QCOMPARE(dtCopetDel, QDate::fromString(date, Qt::ISODate));
    QCOMPARE(methods(), (QStringList{"GravaInfBensCiap", "getBensComp"}));
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("GravaInfBensCiap")).first().params,
             (QJsonArray{fixture::Company, code, fixture::Tax, date, "D", "111", "0000000017"}));
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 2);
    QVERIFY(!busyIndicatorActive());
}

// The server refuses the delete: the user reads why, and the reload shows the asset that the
// server still holds instead of a list without it.
void tst_Assets::failedDeleteBringsTheRowBack() {
    loadCompetencia(QStringLiteral("P"));
    const QList<Values> both{asset(QStringLiteral("0000000001")),
                             asset(QStringLiteral("0000000002"))};
    loadAssets(both);
    const QString refusal = QStringLiteral("A competência está apropriada e não pode ser "
                                           "alterada.");
    m_fx.server.enqueueError(QStringLiteral("GravaInfBensCiap"), -32000, refusal);
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"), assetsAnswer(both));
    QStringList shownAtReload;
    m_fx.server.onCall = [&](const ScriptedServer::Call& call) {
        if (call.method == QLatin1String("getBensComp"))
            shownAtReload = m_fx.dialogs.errors();
    };
    QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->cdsBensComp->Delete());
    m_fx.server.onCall = nullptr;
    QCOMPARE(methods(), (QStringList{"GravaInfBensCiap", "getBensComp"}));
    QCOMPARE(shownAtReload, QStringList{refusal});
    QCOMPARE(m_fx.dialogs.errors(), QStringList{refusal});
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 2);
    QVERIFY(!busyIndicatorActive());
}

void tst_Assets::cancelReloads() {
    loadCompetencia(QStringLiteral("P"));
    loadAssets({asset(QStringLiteral("0000000001"))});
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"),
                              assetsAnswer({asset(QStringLiteral("0000000001"))}));
    m_fx.form->cdsBensComp->Insert();
    m_fx.form->cdsBensCompCDBEMATIVO->SetAsString(QStringLiteral("7"));
    m_fx.form->cdsBensComp->Cancel();
    QCOMPARE(methods(), QStringList{"getBensComp"});
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), 1);
}

QTEST_MAIN(tst_Assets)
#include "tst_assets.moc"
