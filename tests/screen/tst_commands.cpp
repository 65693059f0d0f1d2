#include "HostErrors.h"
#include "HostServices.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"
#include "TDataSource.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

// The commands on the selected competência: load (recalculate or load its assets),
// appropriate, cancel the appropriation, refresh. Each one's server call and arguments, its
// question and what follows the answer.
class tst_Commands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void recalculate_data();
    void recalculate();
    void loadAssets_data();
    void loadAssets();
    void loadWithUnusableRegistration_data();
    void loadWithUnusableRegistration();
    void appropriate_data();
    void appropriate();
    void failedAppropriationIsNotReloaded();
    void cancelAppropriation_data();
    void cancelAppropriation();
    void refreshFollowsTheLinkedSet_data();
    void refreshFollowsTheLinkedSet();

private:
    using Values = QHash<QString, QVariant>;
    static QVariantList rowOf(const QList<ciap::FieldDef>& defs, const Values& values);
    QJsonValue competencias(const QString& situation, double total = 0, double taxed = 0,
                            const QString& registration = QStringLiteral("111")) const;
    void selectCompetencia(const QString& situation, double total = 0, double taxed = 0,
                           const QString& registration = QStringLiteral("111"));
    QJsonValue assets(int count) const;
    void showAssetsTab(int count);
    static QJsonValue retorno(const QStringList& texts);
    static QJsonValue inscEsta(const QStringList& codes);
    QStringList methods() const;
    void answer(DialogAnswer a);

    ScreenFixture m_fx;
};

namespace {

// How the user closed a question: "" leaves the recording service's default (Yes).
DialogAnswer answerOf(const QString& name) {
    if (name == QLatin1String("No"))
        return DialogAnswer::No;
    if (name == QLatin1String("Cancel"))
        return DialogAnswer::Cancel;
    return DialogAnswer::Yes;
}

const QString Recalc = QStringLiteral("Deseja recalcular os valores de Total de Saídas, Total de "
                                      "Saídas Tributadas e Coeficiente?");
const QString Recarrega = QStringLiteral("Deseja recarregar os Bens da competência informada. ");
const QString Okay = QStringLiteral("Operação concluída com sucesso.");

} // namespace

void tst_Commands::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Shown), qPrintable(m_fx.error));
}

void tst_Commands::cleanupTestCase() {
    m_fx.stop();
}

void tst_Commands::init() {
    m_fx.form->dtsPadrao->SetDataSet(nullptr);
    m_fx.form->pgcPadrao->SetSheetEnabled(m_fx.form->tshPadrao, true);
    m_fx.form->pgcPadrao->SetSheetEnabled(m_fx.form->tshBensComp, true);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
    // Focus entering the filter panel would close the list, as it does for the user: keep it
    // on the tabs, which stay visible whatever page is shown.
    m_fx.form->pgcPadrao->findChild<QTabBar*>()->setFocus();
    for (TClientDataSet* ds : {m_fx.form->cdsCIAP, m_fx.form->cdsBensComp, m_fx.form->cdsRetorno})
        ds->Close();
    m_fx.fillHeader();
    m_fx.form->dbeInscEsta->clear();
    m_fx.server.clear();
    m_fx.dialogs.clear();
}

QVariantList tst_Commands::rowOf(const QList<ciap::FieldDef>& defs, const Values& values) {
    QVariantList row(defs.size());
    for (int i = 0; i < defs.size(); ++i)
        row[i] = values.value(defs.at(i).name);
    return row;
}

// One competência whose tax (fixture::WholeTax) differs from the header's (fixture::Tax).
QJsonValue tst_Commands::competencias(const QString& situation, double total, double taxed,
                                      const QString& registration) const {
    const QList<ciap::FieldDef> defs = m_fx.form->cdsCIAP->FieldDefs();
    return ScriptedServer::packet(defs,
                                  {rowOf(defs, {{"CDEMPRESA", fixture::Company},
                                                {"CDIMPOSTO", fixture::WholeTax},
                                                {"COMPETENCIA", QStringLiteral("03/2024")},
                                                {"VRSAIDACIAP", total},
                                                {"VRSAIDATRIBCIAP", taxed},
                                                {"VRCOEFICIAP", 0.625},
                                                {"VRSALDOPARCCIAP", 400.0},
                                                {"IDSITCOMPETCIAP", situation},
                                                {"LOCATE", QStringLiteral("C0000000017")},
                                                {"DTCOMPETECIAP", QDate(2024, 3, 1)},
                                                {"ITEMEXISTE", 2.0},
                                                {"CDINSCESTA", registration},
                                                {"NRSEQCIAP", QStringLiteral("0000000017")}})});
}

void tst_Commands::selectCompetencia(const QString& situation, double total, double taxed,
                                     const QString& registration) {
    m_fx.server.enqueueResult(QStringLiteral("getCIAP"),
                              competencias(situation, total, taxed, registration));
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    m_fx.form->AtualizaCIAP();
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 1);
    m_fx.server.clear();
}

QJsonValue tst_Commands::assets(int count) const {
    const QList<ciap::FieldDef> defs = m_fx.form->cdsBensComp->FieldDefs();
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append(rowOf(defs, {{"CDBEMATIVO", QStringLiteral("%1").arg(i, 10, 10, QChar(u'0'))},
                                 {"CDPATRIBEMATIVO", QStringLiteral("PAT-%1").arg(i)},
                                 {"DTCOMPETECIAP", QDate(2024, 3, 1)},
                                 {"VRPARCELACIAP", 999.0}}));
    return ScriptedServer::packet(defs, rows);
}

void tst_Commands::showAssetsTab(int count) {
    m_fx.server.enqueueResult(QStringLiteral("getBensComp"), assets(count));
    m_fx.form->pgcPadrao->SelectPage(m_fx.form->tshBensComp);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsBensComp);
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), count);
    m_fx.server.clear();
}

QJsonValue tst_Commands::retorno(const QStringList& texts) {
    QList<QVariantList> rows;
    for (const QString& t : texts)
        rows.append({t});
    return ScriptedServer::packet({{QStringLiteral("Retorno"), ciap::FieldType::String, 20}}, rows);
}

QJsonValue tst_Commands::inscEsta(const QStringList& codes) {
    QList<QVariantList> rows;
    for (const QString& c : codes)
        rows.append({c});
    return ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                                  rows);
}

QStringList tst_Commands::methods() const {
    QStringList out;
    for (const ScriptedServer::Call& c : m_fx.server.calls())
        out.append(c.method);
    return out;
}

void tst_Commands::answer(DialogAnswer a) {
    m_fx.dialogs.enqueueAnswer(a);
}

// First tab: recalculate the month's outgoing values. Asks only when a value is above zero,
// and stops only on No.
void tst_Commands::recalculate_data() {
    QTest::addColumn<double>("total");
    QTest::addColumn<double>("taxed");
    QTest::addColumn<QString>("reply");     // the user's answer, "" when none is expected
    QTest::addColumn<QJsonValue>("result"); // null: a server error
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("called");
    QTest::addColumn<QStringList>("messages"); // after the question
    QTest::addColumn<bool>("reloaded");

    const QJsonValue ok = retorno({"OK"});
    const QString totalNulo =
        QStringLiteral("Não há saídas de Notas Fiscais para competência informada");
    QTest::newRow("new month: no question")
        << 0.0 << 0.0 << "" << ok << false << true << QStringList{Okay} << true;
    QTest::newRow("taxed 0.01: asked, Yes")
        << 0.0 << 0.01 << "Yes" << ok << true << true << QStringList{Okay} << true;
    QTest::newRow("asked, closed: goes on")
        << 10.0 << 0.0 << "Cancel" << ok << true << true << QStringList{Okay} << true;
    QTest::newRow("asked, No: stops")
        << 10.0 << 5.0 << "No" << ok << true << false << QStringList{} << false;
    QTest::newRow("negative values: no question")
        << -5.0 << -1.0 << "" << ok << false << true << QStringList{Okay} << true;
    QTest::newRow("ok in lower case fails")
        << 0.0 << 0.0 << "" << retorno({"ok"}) << false << true << QStringList{totalNulo} << false;
    QTest::newRow("trailing blank fails")
        << 0.0 << 0.0 << "" << retorno({"OK "}) << false << true << QStringList{totalNulo} << false;
    QTest::newRow("empty answer fails")
        << 0.0 << 0.0 << "" << retorno({}) << false << true << QStringList{totalNulo} << false;
    QTest::newRow("server error") << 0.0 << 0.0 << "" << QJsonValue() << false << true
                                  << QStringList{"Sem notas."} << false;
}

void tst_Commands::recalculate() {
    QFETCH(double, total);
    QFETCH(double, taxed);
    QFETCH(QString, reply);
    QFETCH(QJsonValue, result);
    QFETCH(bool, asked);
    QFETCH(bool, called);
    QFETCH(QStringList, messages);
    QFETCH(bool, reloaded);

    selectCompetencia(QStringLiteral("P"), total, taxed);
    if (!reply.isEmpty())
        answer(answerOf(reply));
    if (result.isNull())
        m_fx.server.enqueueError(QStringLiteral("CarregaImpostoNFBemParcela"), -32000,
                                 QStringLiteral("Sem notas."));
    else
        m_fx.server.enqueueResult(QStringLiteral("CarregaImpostoNFBemParcela"), result);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), competencias(QStringLiteral("P"), 1, 1));

    const bool finished =
        runGuarded([this] { m_fx.form->sbtCarregarClick(m_fx.form->sbtCarregar); });
    QCOMPARE(finished, messages.isEmpty() || messages.first() == Okay);

    QStringList texts = m_fx.dialogs.texts();
    QCOMPARE(!texts.isEmpty() && texts.first() == Recalc, asked);
    if (asked) {
        QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Information);
        QVERIFY(m_fx.dialogs.entries.first().question);
        texts.removeFirst();
    }
    QCOMPARE(texts, messages);
    const QList<ScriptedServer::Call> loads =
        m_fx.server.callsTo(QStringLiteral("CarregaImpostoNFBemParcela"));
    QCOMPARE(loads.size(), called ? 1 : 0);
    if (called)
        QCOMPARE(loads.first().params, (QJsonArray{"03/2024", fixture::Company, fixture::Tax, 400.0,
                                                   "IMP", "111", "0000000017"}));
    QCOMPARE(methods().contains(QStringLiteral("getCIAP")), reloaded);
    QVERIFY(!methods().contains(QStringLiteral("getBensComp")));
    if (!called || result.isNull())
        QVERIFY(m_fx.form->cdsRetorno->Active() && m_fx.form->cdsRetorno->IsEmpty());
}

// Assets tab: load the assets with an instalment in the month. Every argument but the mode
// comes from the selected competência, none from the current asset.
void tst_Commands::loadAssets_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<bool>("called");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<bool>("reloaded");

    const QString nParcelas = QStringLiteral("Não há parcelas para a competência informada.");
    QTest::newRow("empty list: no question") << 0 << ""
                                             << "OK" << false << true << QStringList{Okay} << true;
    QTest::newRow("with assets: asked, Yes") << 2 << "Yes"
                                             << "OK" << true << true << QStringList{Okay} << true;
    QTest::newRow("asked, closed: goes on") << 2 << "Cancel"
                                            << "OK" << true << true << QStringList{Okay} << true;
    QTest::newRow("asked, No: stops") << 2 << "No"
                                      << "OK" << true << false << QStringList{} << false;
    QTest::newRow("N_PARCELAS answer")
        << 0 << ""
        << "N_PARCELAS" << false << true << QStringList{nParcelas} << false;
}

void tst_Commands::loadAssets() {
    QFETCH(int, count);
    QFETCH(QString, reply);
    QFETCH(QString, result);
    QFETCH(bool, asked);
    QFETCH(bool, called);
    QFETCH(QStringList, messages);
    QFETCH(bool, reloaded);

    selectCompetencia(QStringLiteral("P"), 50, 20);
    showAssetsTab(count);
    if (count > 0)
        m_fx.form->cdsBensComp->Last();
    if (!reply.isEmpty())
        answer(answerOf(reply));
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), inscEsta({"111"}));
    m_fx.server.enqueueResult(QStringLiteral("CarregaImpostoNFBemParcela"), retorno({result}));
    m_fx.server.setDefault(QStringLiteral("getBensComp"), assets(3));

    const bool finished =
        runGuarded([this] { m_fx.form->sbtCarregarClick(m_fx.form->sbtCarregar); });
    QCOMPARE(finished, messages.isEmpty() || messages.first() == Okay);

    QStringList texts = m_fx.dialogs.texts();
    QCOMPARE(!texts.isEmpty() && texts.first() == Recarrega, asked);
    if (asked) {
        QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Information);
        QVERIFY(m_fx.dialogs.entries.first().question);
        texts.removeFirst();
    }
    QCOMPARE(texts, messages);
    const QList<ScriptedServer::Call> loads =
        m_fx.server.callsTo(QStringLiteral("CarregaImpostoNFBemParcela"));
    QCOMPARE(loads.size(), called ? 1 : 0);
    if (called)
        QCOMPARE(loads.first().params, (QJsonArray{"03/2024", fixture::Company, fixture::Tax, 400.0,
                                                   "BEM", "111", "0000000017"}));
    QCOMPARE(methods().contains(QStringLiteral("getBensComp")), reloaded);
    QVERIFY(!methods().contains(QStringLiteral("getCIAP")));
    QCOMPARE(m_fx.form->cdsBensComp->RecordCount(), reloaded ? 3 : count);
}

// The competência's registration must be filled and known before anything is asked or sent.
void tst_Commands::loadWithUnusableRegistration_data() {
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QStringList>("known");
    QTest::addColumn<QString>("error");

    QTest::newRow("missing") << "" << QStringList{"111"}
                             << "Inscrição Estadual deve ser informada.";
    QTest::newRow("not the company's")
        << "999" << QStringList{} << "Inscrição Estadual não cadastrada";
}

void tst_Commands::loadWithUnusableRegistration() {
    QFETCH(QString, registration);
    QFETCH(QStringList, known);
    QFETCH(QString, error);

    selectCompetencia(QStringLiteral("P"), 0, 0, registration);
    showAssetsTab(2);
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), inscEsta(known));

    QVERIFY(!runGuarded([this] { m_fx.form->sbtCarregarClick(m_fx.form->sbtCarregar); }));
    QCOMPARE(m_fx.dialogs.texts(), QStringList{error});
    QVERIFY(!methods().contains(QStringLiteral("CarregaImpostoNFBemParcela")));
}

void tst_Commands::appropriate_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("called");

    QTest::newRow("Yes") << "Yes" << true;
    QTest::newRow("No") << "No" << false;
    QTest::newRow("closed without answering") << "Cancel" << false;
}

void tst_Commands::appropriate() {
    QFETCH(QString, reply);
    QFETCH(bool, called);

    selectCompetencia(QStringLiteral("P"), 80, 50);
    answer(answerOf(reply));
    m_fx.server.enqueueResult(QStringLiteral("Apropriar"), QJsonValue::Null);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), competencias(QStringLiteral("A"), 80, 50));
    const int shown = busyIndicatorShownCount();
    bool busyDuringCall = false;
    m_fx.server.onCall = [&](const ScriptedServer::Call& call) {
        if (call.method == QLatin1String("Apropriar"))
            busyDuringCall = busyIndicatorActive();
    };
    m_fx.form->sbtOKClick(m_fx.form->sbtOK);
    m_fx.server.onCall = nullptr;

    QCOMPARE(m_fx.dialogs.entries.size(), 1);
    QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Confirmation);
    QCOMPARE(m_fx.dialogs.entries.first().text, QStringLiteral("Confirmar apropriação?"));
    if (!called) {
        QCOMPARE(m_fx.server.callCount(), 0);
        return;
    }
    // Header company and tax, the month as text, the row's coefficient and sequence; then
    // the list is reloaded, without a message of its own.
    QCOMPARE(methods(), (QStringList{"Apropriar", "getCIAP"}));
    QCOMPARE(m_fx.server.calls().first().params,
             (QJsonArray{fixture::Company, fixture::Tax, "03/2024", 0.625, "0000000017"}));
    QVERIFY(busyDuringCall);
    QVERIFY(busyIndicatorShownCount() >= shown + 1);
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(m_fx.form->cdsCIAPIDSITCOMPETCIAP->AsString(), QStringLiteral("A"));
    QVERIFY(m_fx.form->btnCancelar->isEnabled());
    QVERIFY(!m_fx.form->sbtOK->isEnabled());
}

void tst_Commands::failedAppropriationIsNotReloaded() {
    selectCompetencia(QStringLiteral("P"), 80, 50);
    const QString refusal = QStringLiteral("A competência não tem bens carregados; carregue os "
                                           "bens antes de apropriar.");
    m_fx.server.enqueueError(QStringLiteral("Apropriar"), -32000, refusal);
    QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->sbtOKClick(m_fx.form->sbtOK));
    QCOMPARE(methods(), QStringList{"Apropriar"});
    QCOMPARE(m_fx.dialogs.errors(), QStringList{refusal});
    QVERIFY(!busyIndicatorActive());
}

void tst_Commands::cancelAppropriation_data() {
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QJsonValue>("result"); // null: a server error
    QTest::addColumn<bool>("called");
    QTest::addColumn<QStringList>("messages"); // after the question
    QTest::addColumn<bool>("reloaded");

    const QString done = QStringLiteral("Competência cancelada com sucesso");
    QTest::newRow("Yes, OK") << "Yes" << QJsonValue(QJsonArray{"OK"}) << true << QStringList{done}
                             << true;
    QTest::newRow("Yes, anything else")
        << "Yes" << QJsonValue(QJsonArray{"ok"}) << true << QStringList{} << false;
    QTest::newRow("Yes, empty array")
        << "Yes" << QJsonValue(QJsonArray{}) << true << QStringList{} << false;
    QTest::newRow("Yes, server error")
        << "Yes" << QJsonValue() << true << QStringList{"Não apropriada."} << false;
    QTest::newRow("No") << "No" << QJsonValue(QJsonArray{"OK"}) << false << QStringList{} << false;
    QTest::newRow("closed without answering")
        << "Cancel" << QJsonValue(QJsonArray{"OK"}) << false << QStringList{} << false;
}

void tst_Commands::cancelAppropriation() {
    QFETCH(QString, reply);
    QFETCH(QJsonValue, result);
    QFETCH(bool, called);
    QFETCH(QStringList, messages);
    QFETCH(bool, reloaded);

    selectCompetencia(QStringLiteral("A"), 80, 50);
    answer(answerOf(reply));
    if (result.isNull())
        m_fx.server.enqueueError(QStringLiteral("cancelaApropriacao"), -32000,
                                 QStringLiteral("Não apropriada."));
    else
        m_fx.server.enqueueResult(QStringLiteral("cancelaApropriacao"), result);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), competencias(QStringLiteral("P"), 80, 50));
    runGuarded([this] { m_fx.form->btnCancelarClick(m_fx.form->btnCancelar); });

    QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Confirmation);
    QCOMPARE(m_fx.dialogs.entries.first().text,
             QStringLiteral("Confirmar cancelamento da Apropriação?"));
    QCOMPARE(m_fx.dialogs.texts().mid(1), messages);
    if (!messages.isEmpty() && reloaded)
        QCOMPARE(m_fx.dialogs.entries.at(1).kind, DialogKind::Information);
    const QList<ScriptedServer::Call> cancels =
        m_fx.server.callsTo(QStringLiteral("cancelaApropriacao"));
    QCOMPARE(cancels.size(), called ? 1 : 0);
    // Company, sequence, the month by its date, and the row's own tax (not the header's).
    if (called)
        QCOMPARE(cancels.first().params,
                 (QJsonArray{fixture::Company, "0000000017", "2024-03-01", fixture::WholeTax}));
    QCOMPARE(methods().contains(QStringLiteral("getCIAP")), reloaded);
    QCOMPARE(m_fx.form->cdsCIAPIDSITCOMPETCIAP->AsString(),
             reloaded ? QStringLiteral("P") : QStringLiteral("A"));
}

// The refresh button reloads the list of the linked data set only: through the button, as the
// user presses it, the screen's handler runs instead of the base form's.
void tst_Commands::refreshFollowsTheLinkedSet_data() {
    QTest::addColumn<QString>("linked");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("competências") << "ciap" << QStringList{"getCIAP"};
    QTest::newRow("assets") << "bens" << QStringList{"getBensComp"};
    QTest::newRow("none") << "" << QStringList{};
}

void tst_Commands::refreshFollowsTheLinkedSet() {
    QFETCH(QString, linked);
    QFETCH(QStringList, expected);

    selectCompetencia(QStringLiteral("P"));
    showAssetsTab(1);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), competencias(QStringLiteral("P")));
    m_fx.server.setDefault(QStringLiteral("getBensComp"), assets(1));
    if (linked == QLatin1String("ciap")) {
        m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
        m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
        QVERIFY(m_fx.form->sbtVerificar->isEnabled());
        m_fx.form->sbtVerificar->click();
    } else if (linked == QLatin1String("bens")) {
        QVERIFY(m_fx.form->sbtVerificar->isEnabled());
        m_fx.form->sbtVerificar->click();
    } else {
        m_fx.form->dtsPadrao->SetDataSet(nullptr);
        m_fx.form->sbtVerificarClick(m_fx.form->sbtVerificar);
    }
    QCOMPARE(methods(), expected);
}

QTEST_MAIN(tst_Commands)
#include "tst_commands.moc"
