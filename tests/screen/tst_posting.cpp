#include "Cli_mzr02400.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "LocaleFormat.h"
#include "PacketCodec.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDBNavigator.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TfrmCIAP.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QTest>

// Posting, cancelling and deleting a competência against a scripted server: the checks in
// their order, the figures they store, the calls they make, and what a failure leaves behind.
class tst_Posting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void newRowStartsPending();
    void resultingFigures_data();
    void resultingFigures();
    void failures_data();
    void failures();
    void callsForNewRow();
    void callsForEditedRow();
    void uniqueness_data();
    void uniqueness();
    void rangeNote_data();
    void rangeNote();
    void refusedInsertIsTypedAgain();
    void refusedEditIsNotSentWithTheNext();
    void unchangedPostSendsNothing();
    void cancelReloads_data();
    void cancelReloads();
    void deleteRemovesAssetsThenSends();
    void deleteFailures_data();
    void deleteFailures();

private:
    QVariantList storedRow(const QString& month, const QString& nrseq, double total, double taxed,
                           double balance) const;
    void loadStored(const QList<QVariantList>& rows);
    void scriptKind(const QString& kind);
    void insertRow(const QString& month, const QString& registration, const QVariant& total,
                   const QVariant& taxed);
    bool post();
    QStringList callsSince(int from) const;
    static QStringList postCalls(const QString& month);
    ciap::Delta lastDelta() const;
    QVariantMap changeValues(const ciap::Delta& delta, int change, bool newSide) const;
    QString focusedField() const;

    ScreenFixture m_fx;
    QList<ciap::FieldDef> m_fields;
};

namespace {

using fixture::Company;
using fixture::Tax;
const QString Registration = QStringLiteral("111");

// A call as callsSince() spells it: the method and its arguments as compact JSON.
QString callText(const char* method, const QJsonArray& params) {
    return QString::fromLatin1(method) +
           QString::fromUtf8(QJsonDocument(params).toJson(QJsonDocument::Compact));
}

QJsonValue registrationPacket(const QString& code) {
    return ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                                  {{code}});
}

QJsonValue instalmentPacket(const QVariantList& rows) {
    QList<QVariantList> r;
    for (const QVariant& v : rows)
        r.append(QVariantList{v});
    return ScriptedServer::packet({{QStringLiteral("VRPARCELACIAP"), ciap::FieldType::Float}}, r);
}

QJsonValue existsPacket(double count) {
    return ScriptedServer::packet({{QStringLiteral("COMPETENCIAEXITE"), ciap::FieldType::Float}},
                                  {{count}});
}

} // namespace

void tst_Posting::initTestCase() {
    // Not activated: focus moves are only recorded, so the filter panel's enter and exit
    // handlers stay out of these tests.
    QVERIFY2(m_fx.start(ScreenFixture::Window::Shown), qPrintable(m_fx.error));
    m_fields = m_fx.form->cdsCIAP->FieldDefs();
}

void tst_Posting::cleanupTestCase() {
    m_fx.stop();
}

void tst_Posting::init() {
    m_fx.form->cdsCIAP->AfterCancel = nullptr; // no reload while the fixture resets the set
    if (m_fx.form->cdsCIAP->Active())
        m_fx.form->cdsCIAP->Cancel();
    m_fx.form->cdsCIAP->AfterCancel = [this](TClientDataSet& ds) {
        m_fx.form->cdsCIAPAfterCancel(ds);
    };

    m_fx.server.clear();
    m_fx.server.onCall = nullptr;
    m_fx.form->edtCdEmpresa->setText(Company);
    m_fx.form->edtCdImposto->setText(Tax);
    m_fx.form->depInicial->SetDate(QDate(2024, 1, 1));
    m_fx.form->depFinal->SetDate(QDate(2024, 12, 1));
    m_fx.form->dbeInscEsta->clear();
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    scriptKind(QStringLiteral("01"));
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), registrationPacket(Registration));
    m_fx.server.setDefault(QStringLiteral("getVrParcelBemComp"), instalmentPacket({123.45}));
    m_fx.server.setDefault(QStringLiteral("getCompet_Existe"), existsPacket(0));
    m_fx.server.setDefault(QStringLiteral("getNrseqCiap"), QJsonArray{QStringLiteral("15")});
    m_fx.server.setDefault(QStringLiteral("setCiap"), QJsonValue::Null);
    m_fx.server.setDefault(QStringLiteral("delBensComp"), QJsonValue::Null);
    loadStored({storedRow(QStringLiteral("03/2024"), QStringLiteral("7"), 1000, 250, 400)});
    m_fx.form->dbgPadrao->SetSelectedField(m_fx.form->cdsCIAPIDSITCOMPETCIAP);
    m_fx.form->dbnPadrao->setFocus();
    m_fx.dialogs.clear();
}

QVariantList tst_Posting::storedRow(const QString& month, const QString& nrseq, double total,
                                    double taxed, double balance) const {
    ciap::DataPacket p;
    p.fields = m_fields;
    QVariantList v(m_fields.size());
    const auto set = [&](const char* name, const QVariant& value) {
        v[p.indexOf(QLatin1String(name))] = value;
    };
    set("CDEMPRESA", Company);
    set("CDIMPOSTO", Tax);
    set("COMPETENCIA", month);
    set("VRSAIDACIAP", total);
    set("VRSAIDATRIBCIAP", taxed);
    set("VRCOEFICIAP", taxed / total);
    set("VRSALDOPARCCIAP", balance);
    set("VRCREDAPROPCIAP", balance * taxed / total);
    set("IDSITCOMPETCIAP", QStringLiteral("P"));
    set("LOCATE", QStringLiteral("C") + nrseq);
    set("DTCOMPETECIAP", strToDate(QStringLiteral("01/") + month));
    set("NOME", month);
    set("ITEMEXISTE", 0.0);
    set("CDINSCESTA", Registration);
    set("NRSEQCIAP", nrseq);
    return v;
}

// The rows are both the list on screen and what the server lists on every reload.
void tst_Posting::loadStored(const QList<QVariantList>& rows) {
    ciap::DataPacket p;
    p.fields = m_fields;
    p.rows = rows;
    m_fx.form->cdsCIAP->SetData(p);
    m_fx.server.setDefault(QStringLiteral("getCIAP"), ciap::packetToJson(p));
}

// The kind the filter commit stored and the kind the server gives at posting time.
void tst_Posting::scriptKind(const QString& kind) {
    oleImposto = QVariantList{kind};
    m_fx.server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{kind});
}

void tst_Posting::insertRow(const QString& month, const QString& registration,
                            const QVariant& total, const QVariant& taxed) {
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->Insert();
    ds->FieldByName(QStringLiteral("COMPETENCIA"))->SetAsString(month);
    ds->FieldByName(QStringLiteral("CDINSCESTA"))->SetAsString(registration);
    ds->FieldByName(QStringLiteral("VRSAIDACIAP"))->SetValue(total);
    ds->FieldByName(QStringLiteral("VRSAIDATRIBCIAP"))->SetValue(taxed);
}

// Posts the way a command button does: an error ends in the guard.
bool tst_Posting::post() {
    return runGuarded([this] { m_fx.form->cdsCIAP->Post(); });
}

// "method[arguments]" of every call since the given one; the delta and the list reload by name.
QStringList tst_Posting::callsSince(int from) const {
    QStringList out;
    const QList<ScriptedServer::Call> calls = m_fx.server.calls();
    for (int i = from; i < calls.size(); ++i) {
        const ScriptedServer::Call& c = calls.at(i);
        if (c.method == QLatin1String("setCiap") || c.method == QLatin1String("getCIAP"))
            out << c.method;
        else
            out << c.method +
                       QString::fromUtf8(QJsonDocument(c.params).toJson(QJsonDocument::Compact));
    }
    return out;
}

// The calls of a post of a row of that month ("MM/YYYY"), in their order, and the reload.
QStringList tst_Posting::postCalls(const QString& month) {
    const QJsonArray key{month, Tax, Company, "111"};
    const QString firstDay = QStringLiteral("%1-%2-01").arg(month.mid(3), month.left(2));
    return {callText("getInscEsta", {Company, "", "111"}),
            callText("getVerificaImposto", {Tax}),
            callText("getVerificaImposto", {Tax}),
            callText("getVrParcelBemComp", key),
            callText("getCompet_Existe", key),
            callText("getVerificaImposto", {Tax}),
            callText("getNrseqCiap", {Company, Tax, firstDay}),
            QStringLiteral("setCiap"),
            QStringLiteral("getCIAP")};
}

ciap::Delta tst_Posting::lastDelta() const {
    const QList<ScriptedServer::Call> sent = m_fx.server.callsTo(QStringLiteral("setCiap"));
    if (sent.isEmpty())
        return {};
    return ciap::deltaFromJson(sent.last().params.at(0));
}

QVariantMap tst_Posting::changeValues(const ciap::Delta& delta, int change, bool newSide) const {
    QVariantMap out;
    const QVariantList& values =
        newSide ? delta.changes.at(change).newValues : delta.changes.at(change).oldValues;
    for (int i = 0; i < delta.fields.size() && i < values.size(); ++i)
        out.insert(delta.fields.at(i).name, values.at(i));
    return out;
}

QString tst_Posting::focusedField() const {
    if (m_fx.form->focusWidget() != m_fx.form->dbgPadrao)
        return {};
    const TField* field = m_fx.form->dbgPadrao->SelectedField();
    return field ? field->FieldName() : QString();
}

// ---- tests

void tst_Posting::newRowStartsPending() {
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->Insert();
    QCOMPARE(ds->State(), DataSetState::Insert);
    for (const auto& field : ds->Fields()) {
        if (field.get() == m_fx.form->cdsCIAPIDSITCOMPETCIAP)
            QCOMPARE(field->AsString(), QStringLiteral("P"));
        else
            QVERIFY2(field->IsNull(), qPrintable(field->FieldName()));
    }
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_Posting::resultingFigures_data() {
    QTest::addColumn<QVariant>("total");
    QTest::addColumn<QVariant>("taxed");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<double>("balance");
    QTest::addColumn<double>("coefficient");
    QTest::addColumn<double>("credit");
    QTest::addColumn<QString>("coefficientText");
    QTest::addColumn<QString>("creditText");
    QTest::addColumn<int>("kindCalls");

    const QVariant none;
    // clang-format off
    QTest::newRow("0 0 kind 50")       << QVariant(0.0) << QVariant(0.0) << "50" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 1;
    QTest::newRow("0 0 kind 60")       << QVariant(0.0) << QVariant(0.0) << "60" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 1;
    QTest::newRow("0 0 other")         << QVariant(0.0) << QVariant(0.0) << "01" << 400.0 << 0.0 << 0.0 << "0,00" << "0,00" << 1;
    QTest::newRow("empty empty kind 60") << none << none << "60" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 1;
    QTest::newRow("empty empty other") << none << none << "01" << 400.0 << 0.0 << 0.0 << "0,00" << "0,00" << 1;
    QTest::newRow("500 0 kind 50")     << QVariant(500.0) << QVariant(0.0) << "50" << 400.0 << 0.0 << 400.0 << "0,00" << "400,00" << 1;
    QTest::newRow("500 0 other")       << QVariant(500.0) << QVariant(0.0) << "01" << 400.0 << 0.0 << 0.0 << "0,00" << "0,00" << 1;
    QTest::newRow("1000 250 kind 60")  << QVariant(1000.0) << QVariant(250.0) << "60" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 3;
    QTest::newRow("1000 250 other")    << QVariant(1000.0) << QVariant(250.0) << "01" << 400.0 << 0.25 << 100.0 << "0,25" << "100,00" << 3;
    QTest::newRow("3 2 other, unrounded") << QVariant(3.0) << QVariant(2.0) << "01" << 10.0 << 2.0 / 3.0 << 10.0 * (2.0 / 3.0) << "0,67" << "6,67" << 3;
    QTest::newRow("80 80 other")       << QVariant(80.0) << QVariant(80.0) << "01" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 3;
    QTest::newRow("80 80 kind 50")     << QVariant(80.0) << QVariant(80.0) << "50" << 400.0 << 1.0 << 400.0 << "1,00" << "400,00" << 3;
    QTest::newRow("negative -10 -20")  << QVariant(-10.0) << QVariant(-20.0) << "01" << 400.0 << 2.0 << 800.0 << "2,00" << "800,00" << 3;
    QTest::newRow("large, grouped")    << QVariant(1234567.0) << QVariant(1000000.0) << "01" << 2500000.0 << 1000000.0 / 1234567.0 << 2500000.0 * (1000000.0 / 1234567.0) << "0,81" << "2.025.001,48" << 3;
    // clang-format on
}

// An edited stored row whose balance came from the server: the figures the post leaves in the
// row are exact (compared bit for bit), travel unchanged in the delta, and show two decimals.
void tst_Posting::resultingFigures() {
    QFETCH(QVariant, total);
    QFETCH(QVariant, taxed);
    QFETCH(QString, kind);
    QFETCH(double, balance);
    QFETCH(double, coefficient);
    QFETCH(double, credit);
    QFETCH(QString, coefficientText);
    QFETCH(QString, creditText);
    QFETCH(int, kindCalls);

    loadStored({storedRow(QStringLiteral("03/2024"), QStringLiteral("7"), 1000, 250, balance)});
    m_fx.server.setDefault(QStringLiteral("getCompet_Existe"), existsPacket(1));
    scriptKind(kind);
    QString shownCoefficient;
    QString shownCredit;
    m_fx.server.onCall = [&](const ScriptedServer::Call& call) {
        if (call.method == QLatin1String("setCiap")) { // posted locally, not yet reloaded
            shownCoefficient = m_fx.form->cdsCIAPVRCOEFICIAP->DisplayText();
            shownCredit = m_fx.form->cdsCIAPVRCREDAPROPCIAP->DisplayText();
        }
    };

    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->Edit();
    m_fx.form->cdsCIAPVRSAIDACIAP->SetValue(total);
    m_fx.form->cdsCIAPVRSAIDATRIBCIAP->SetValue(taxed);
    QVERIFY(post());
    QVERIFY2(m_fx.dialogs.entries.isEmpty(),
             qPrintable(m_fx.dialogs.texts().join(QLatin1Char('\n'))));

    const ciap::Delta delta = lastDelta();
    QCOMPARE(delta.changes.size(), 1);
    const QVariantMap sent = changeValues(delta, 0, true);
    QCOMPARE(sent.value(QStringLiteral("VRSAIDACIAP")).toDouble(), total.toDouble());
    QCOMPARE(sent.value(QStringLiteral("VRSAIDATRIBCIAP")).toDouble(), taxed.toDouble());
    QVERIFY(!sent.value(QStringLiteral("VRSAIDACIAP")).isNull());
    const double storedCoefficient = sent.value(QStringLiteral("VRCOEFICIAP")).toDouble();
    const double storedCredit = sent.value(QStringLiteral("VRCREDAPROPCIAP")).toDouble();
    QVERIFY2(storedCoefficient == coefficient,
             qPrintable(QString::number(storedCoefficient, 'g', 17)));
    QVERIFY2(storedCredit == credit, qPrintable(QString::number(storedCredit, 'g', 17)));
    QCOMPARE(shownCoefficient, coefficientText);
    QCOMPARE(shownCredit, creditText);
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getVerificaImposto")).size(), kindCalls);
}

void tst_Posting::failures_data() {
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QVariant>("total");
    QTest::addColumn<QVariant>("taxed");
    QTest::addColumn<QString>("method"); // the call answered specially ("" none)
    QTest::addColumn<QJsonValue>("answer");
    QTest::addColumn<QString>("serverError"); // the special answer is this error
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("focus"); // "" : the focus stays where it was
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QVariant>("coefficient"); // what the steps that ran left

    const QVariant none;
    const QString inscesta = callText("getInscEsta", {Company, "", "111"});
    const QString kind = callText("getVerificaImposto", {Tax});
    const QString parcel = callText("getVrParcelBemComp", {"05/2024", Tax, Company, "111"});
    const QString exists = callText("getCompet_Existe", {"05/2024", Tax, Company, "111"});
    const QString nrseq = callText("getNrseqCiap", {Company, Tax, "2024-05-01"});
    const QJsonValue noAnswer;

    QTest::newRow("month empty") << ""
                                 << "" << none << none << "" << noAnswer << ""
                                 << "Competência deve ser informada."
                                 << "COMPETENCIA" << QStringList{} << none;
    QTest::newRow("registration empty") << "05/2024"
                                        << "" << none << none << "" << noAnswer << ""
                                        << "Inscrição Estadual deve ser informada."
                                        << "CDINSCESTA" << QStringList{} << none;
    QTest::newRow("registration unknown")
        << "05/2024"
        << "111" << none << none << "getInscEsta"
        << ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}}, {})
        << ""
        << "Inscrição Estadual não cadastrada"
        << "CDINSCESTA" << QStringList{inscesta} << none;
    QTest::newRow("taxed above total")
        << "05/2024"
        << "111" << QVariant(80.0) << QVariant(100.0) << "" << noAnswer << ""
        << "Valor total de saídas deve ser maior ou igual ao valor de saídas tributadas."
        << "VRSAIDACIAP" << QStringList{inscesta} << none;
    QTest::newRow("no instalment row")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getVrParcelBemComp"
        << instalmentPacket({}) << ""
        << "Não existem Bens para Competência, Imposto e/ou Empresa informados. "
        << "COMPETENCIA" << QStringList{inscesta, kind, kind, parcel} << QVariant(0.25);
    QTest::newRow("instalment null")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getVrParcelBemComp"
        << instalmentPacket({QVariant()}) << ""
        << "Não existem Bens para Competência, Imposto e/ou Empresa informados. "
        << "COMPETENCIA" << QStringList{inscesta, kind, kind, parcel} << QVariant(0.25);
    QTest::newRow("new row, month stored")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getCompet_Existe" << existsPacket(1)
        << ""
        << "Competência já cadastrada para Imposto e Empresa informados."
        << "COMPETENCIA" << QStringList{inscesta, kind, kind, parcel, exists} << QVariant(0.25);
    QTest::newRow("server error, kind")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getVerificaImposto" << noAnswer
        << "Imposto não cadastrado."
        << "Imposto não cadastrado."
        << "" << QStringList{inscesta, kind} << none;
    QTest::newRow("server error, instalments")
        << "05/2024"
        << "111" << QVariant(0.0) << QVariant(0.0) << "getVrParcelBemComp" << noAnswer
        << "Falha de banco"
        << "Falha de banco"
        << "" << QStringList{inscesta, parcel} << QVariant(0.0);
    QTest::newRow("server error, sequence")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getNrseqCiap" << noAnswer
        << "Empresa não cadastrada."
        << "Empresa não cadastrada."
        << "" << QStringList{inscesta, kind, kind, parcel, exists, kind, nrseq} << QVariant(0.25);
    QTest::newRow("sequence answer not an array")
        << "05/2024"
        << "111" << QVariant(1000.0) << QVariant(250.0) << "getNrseqCiap"
        << QJsonValue(QStringLiteral("15")) << ""
        << "Resposta inválida do servidor: getNrseqCiap não devolveu um valor."
        << "" << QStringList{inscesta, kind, kind, parcel, exists, kind, nrseq} << QVariant(0.25);
}

// Each failure shows one error, points at its field (or leaves the focus alone for a server
// error), stops the calls at the failing step and keeps the row in insert state with what the
// steps before it wrote.
void tst_Posting::failures() {
    QFETCH(QString, month);
    QFETCH(QString, registration);
    QFETCH(QVariant, total);
    QFETCH(QVariant, taxed);
    QFETCH(QString, method);
    QFETCH(QJsonValue, answer);
    QFETCH(QString, serverError);
    QFETCH(QString, text);
    QFETCH(QString, focus);
    QFETCH(QStringList, calls);
    QFETCH(QVariant, coefficient);

    if (!serverError.isEmpty())
        m_fx.server.enqueueError(method, -32000, serverError);
    else if (!method.isEmpty())
        m_fx.server.enqueueResult(method, answer);

    insertRow(month, registration, total, taxed);
    const int from = m_fx.server.callCount();
    const int shown = busyIndicatorShownCount();
    QVERIFY(!post());

    TClientDataSet* ds = m_fx.form->cdsCIAP;
    QCOMPARE(ds->State(), DataSetState::Insert);
    QCOMPARE(m_fx.dialogs.texts(), QStringList{text});
    QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Error);
    QCOMPARE(focusedField(), focus);
    if (focus.isEmpty()) {
        QCOMPARE(m_fx.form->focusWidget(), static_cast<QWidget*>(m_fx.form->dbnPadrao));
        QCOMPARE(m_fx.form->dbgPadrao->SelectedField(), m_fx.form->cdsCIAPIDSITCOMPETCIAP);
    }
    QCOMPARE(callsSince(from), calls);
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(busyIndicatorShownCount(), shown); // nothing before the send shows it
    QCOMPARE(ds->ChangeCount(), 0);

    // The balance default of the first step is kept, and so is the coefficient once computed.
    QCOMPARE(m_fx.form->cdsCIAPVRSALDOPARCCIAP->Value(), QVariant(0.0));
    if (coefficient.isValid())
        QCOMPARE(m_fx.form->cdsCIAPVRCOEFICIAP->Value(), coefficient);
    else
        QVERIFY(m_fx.form->cdsCIAPVRCOEFICIAP->IsNull());

    // The user corrects nothing but the server: the same row posts now.
    if (!serverError.isEmpty() || method == QLatin1String("getNrseqCiap")) {
        m_fx.dialogs.clear();
        QVERIFY(post());
        QCOMPARE(ds->State(), DataSetState::Browse);
        QVERIFY(m_fx.dialogs.entries.isEmpty());
    }
}

void tst_Posting::callsForNewRow() {
    insertRow(QStringLiteral("05/2024"), Registration, 1000.0, 250.0);
    const int from = m_fx.server.callCount();
    const int shown = busyIndicatorShownCount();
    QVERIFY(post());
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QCOMPARE(callsSince(from), postCalls(QStringLiteral("05/2024")));

    const ciap::Delta delta = lastDelta();
    QCOMPARE(delta.changes.size(), 1);
    QCOMPARE(delta.changes.first().status, ciap::ChangeStatus::Inserted);
    const QVariantMap sent = changeValues(delta, 0, true);
    QCOMPARE(sent.value(QStringLiteral("CDEMPRESA")).toString(), Company);
    QCOMPARE(sent.value(QStringLiteral("CDIMPOSTO")).toString(), Tax);
    QCOMPARE(sent.value(QStringLiteral("COMPETENCIA")).toString(), QStringLiteral("05/2024"));
    QCOMPARE(sent.value(QStringLiteral("DTCOMPETECIAP")).toDate(), QDate(2024, 5, 1));
    QCOMPARE(sent.value(QStringLiteral("NRSEQCIAP")).toString(), QStringLiteral("15"));
    QCOMPARE(sent.value(QStringLiteral("IDSITCOMPETCIAP")).toString(), QStringLiteral("P"));
    QCOMPARE(sent.value(QStringLiteral("CDINSCESTA")).toString(), Registration);
    QCOMPARE(sent.value(QStringLiteral("VRSALDOPARCCIAP")), QVariant(0.0));
    QCOMPARE(sent.value(QStringLiteral("VRCOEFICIAP")), QVariant(0.25));
    QCOMPARE(sent.value(QStringLiteral("VRCREDAPROPCIAP")), QVariant(0.0));
    QCOMPARE(stCompetencia, QStringLiteral("01/05/2024"));
    QCOMPARE(dtData, QDate(2024, 5, 1));

    // Sent, merged, reloaded from the server; the busy indicator came and went.
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    QCOMPARE(ds->State(), DataSetState::Browse);
    QCOMPARE(ds->ChangeCount(), 0);
    QCOMPARE(ds->RecordCount(), 1);
    QVERIFY(!busyIndicatorActive());
    QVERIFY(busyIndicatorShownCount() > shown);
}

void tst_Posting::callsForEditedRow() {
    m_fx.server.setDefault(QStringLiteral("getCompet_Existe"), existsPacket(1));
    m_fx.server.setDefault(QStringLiteral("getNrseqCiap"), QJsonArray{16});
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->Edit();
    m_fx.form->cdsCIAPVRSAIDACIAP->SetAsFloat(2000.0);
    const int from = m_fx.server.callCount();
    QVERIFY(post());
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    QCOMPARE(callsSince(from), postCalls(QStringLiteral("03/2024")));

    const ciap::Delta delta = lastDelta();
    QCOMPARE(delta.changes.size(), 1);
    QCOMPARE(delta.changes.first().status, ciap::ChangeStatus::Modified);
    const QVariantMap old = changeValues(delta, 0, false);
    const QVariantMap sent = changeValues(delta, 0, true);
    QCOMPARE(old.value(QStringLiteral("NRSEQCIAP")).toString(), QStringLiteral("7"));
    QCOMPARE(old.value(QStringLiteral("VRSAIDACIAP")), QVariant(1000.0));
    // The server's number replaces the row's, a number answer as well as a text one.
    QCOMPARE(sent.value(QStringLiteral("NRSEQCIAP")).toString(), QStringLiteral("16"));
    QCOMPARE(sent.value(QStringLiteral("VRSAIDACIAP")), QVariant(2000.0));
    QCOMPARE(sent.value(QStringLiteral("VRCOEFICIAP")), QVariant(0.125));
    QCOMPARE(sent.value(QStringLiteral("VRCREDAPROPCIAP")), QVariant(50.0));
    QCOMPARE(sent.value(QStringLiteral("LOCATE")).toString(), QStringLiteral("C7"));
    QCOMPARE(ds->ChangeCount(), 0);
}

void tst_Posting::uniqueness_data() {
    QTest::addColumn<QStringList>("months"); // typed one after the other before posting
    QTest::addColumn<QString>("registration");
    QTest::addColumn<double>("stored"); // COMPETENCIAEXITE
    QTest::addColumn<bool>("passes");

    QTest::newRow("month unchanged, stored") << QStringList{"03/2024"} << "111" << 1.0 << true;
    QTest::newRow("month changed to a stored one")
        << QStringList{"04/2024"} << "111" << 1.0 << false;
    QTest::newRow("month changed to a free one") << QStringList{"05/2024"} << "111" << 0.0 << true;
    QTest::newRow("month changed and changed back")
        << QStringList{"04/2024", "03/2024"} << "111" << 1.0 << true;
    QTest::newRow("only the registration changed")
        << QStringList{"03/2024"} << "222" << 1.0 << true;
    QTest::newRow("count below zero") << QStringList{"04/2024"} << "111" << -1.0 << true;
}

void tst_Posting::uniqueness() {
    QFETCH(QStringList, months);
    QFETCH(QString, registration);
    QFETCH(double, stored);
    QFETCH(bool, passes);

    loadStored({storedRow(QStringLiteral("03/2024"), QStringLiteral("7"), 1000, 250, 400),
                storedRow(QStringLiteral("04/2024"), QStringLiteral("8"), 1000, 250, 400)});
    m_fx.server.setDefault(QStringLiteral("getCompet_Existe"), existsPacket(stored));
    m_fx.server.setDefault(QStringLiteral("getInscEsta"), registrationPacket(registration));
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->First();
    ds->Edit();
    for (const QString& month : months)
        m_fx.form->cdsCIAPCOMPETENCIA->SetAsString(month);
    m_fx.form->cdsCIAPCDINSCESTA->SetAsString(registration);

    QCOMPARE(post(), passes);
    if (passes) {
        QVERIFY(m_fx.dialogs.entries.isEmpty());
        QCOMPARE(m_fx.server.callsTo(QStringLiteral("setCiap")).size(), 1);
    } else {
        QCOMPARE(m_fx.dialogs.errors(),
                 QStringList{QStringLiteral(
                     "Competência já cadastrada para Imposto e Empresa informados.")});
        QCOMPARE(focusedField(), QStringLiteral("COMPETENCIA"));
        QCOMPARE(ds->State(), DataSetState::Edit);
        QVERIFY(m_fx.server.callsTo(QStringLiteral("setCiap")).isEmpty());
    }
}

void tst_Posting::rangeNote_data() {
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("month");
    QTest::addColumn<bool>("note");

    const QDate march1(2020, 3, 1);
    const QDate march31(2020, 3, 31);
    QTest::newRow("a year before") << march1 << march31 << "01/2019" << true;
    QTest::newRow("the month before") << march1 << march31 << "02/2020" << true;
    QTest::newRow("the month itself") << march1 << march31 << "03/2020" << false;
    QTest::newRow("the month after") << march1 << march31 << "04/2020" << true;
    QTest::newRow("period of the firsts, last month")
        << QDate(2020, 1, 1) << march1 << "03/2020" << false;
    // The list shows whole months: a period starting mid-month still shows that month.
    QTest::newRow("period starting mid-month")
        << QDate(2020, 3, 15) << QDate(2020, 5, 20) << "03/2020" << false;
    QTest::newRow("period ending mid-month, month after")
        << QDate(2020, 3, 15) << QDate(2020, 5, 20) << "06/2020" << true;
}

// The note only informs: the row is sent all the same.
void tst_Posting::rangeNote() {
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, month);
    QFETCH(bool, note);

    m_fx.form->depInicial->SetDate(start);
    m_fx.form->depFinal->SetDate(end);
    insertRow(month, Registration, 100.0, 50.0);
    QVERIFY(post());
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("setCiap")).size(), 1);
    if (note) {
        QCOMPARE(m_fx.dialogs.entries.size(), 1);
        QCOMPARE(m_fx.dialogs.entries.first().kind, DialogKind::Information);
        QVERIFY(!m_fx.dialogs.entries.first().question);
        QCOMPARE(m_fx.dialogs.entries.first().text,
                 QStringLiteral("Competência cadastrada não está dentro do intervalo informado "
                                "no filtro. Favor informar um intervalo correspondente para "
                                "poder visualizar."));
    } else {
        QVERIFY(m_fx.dialogs.entries.isEmpty());
    }
}

// A refused insertion is not stored: the row is being inserted again with what the user typed,
// nothing stays in the log and nothing is reloaded; saved again, it goes out once, corrected.
void tst_Posting::refusedInsertIsTypedAgain() {
    m_fx.server.enqueueError(QStringLiteral("setCiap"), -32001,
                             QStringLiteral("Registro alterado"));
    insertRow(QStringLiteral("05/2024"), Registration, 1000.0, 250.0);
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    const int shown = busyIndicatorShownCount();
    QVERIFY(!post());
    QCOMPARE(m_fx.dialogs.errors(), QStringList{QStringLiteral("Registro alterado")});
    // Plainly unsaved: the new row is being inserted again, with what the user typed.
    QCOMPARE(ds->State(), DataSetState::Insert);
    QCOMPARE(ds->ChangeCount(), 0);
    QCOMPARE(ds->RecordCount(), 1);
    QCOMPARE(m_fx.form->cdsCIAPVRSAIDACIAP->AsFloat(), 1000.0);
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->AsString(), QStringLiteral("05/2024"));
    QVERIFY(m_fx.server.callsTo(QStringLiteral("getCIAP")).isEmpty());
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(busyIndicatorShownCount(), shown + 1);

    // Corrected and saved again: one insertion goes out, with the corrected values.
    m_fx.dialogs.clear();
    m_fx.form->cdsCIAPVRSAIDATRIBCIAP->SetAsFloat(500.0);
    QVERIFY(post());
    QVERIFY(m_fx.dialogs.entries.isEmpty());
    const ciap::Delta delta = lastDelta();
    QCOMPARE(delta.changes.size(), 1);
    QCOMPARE(delta.changes.first().status, ciap::ChangeStatus::Inserted);
    QCOMPARE(changeValues(delta, 0, true).value(QStringLiteral("VRCOEFICIAP")), QVariant(0.5));
    QCOMPARE(ds->ChangeCount(), 0);
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getCIAP")).size(), 1);
    QVERIFY(!busyIndicatorActive());
}

// An edit the server refused stays on screen, unsaved, and is never sent along with a later
// save of another row; a refresh asks before it throws it away.
void tst_Posting::refusedEditIsNotSentWithTheNext() {
    loadStored({storedRow(QStringLiteral("03/2024"), QStringLiteral("7"), 1000, 250, 400),
                storedRow(QStringLiteral("04/2024"), QStringLiteral("8"), 1000, 250, 400)});
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    m_fx.server.enqueueError(QStringLiteral("setCiap"), -32001, QStringLiteral("Valor negativo"));
    ds->First();
    ds->Edit();
    m_fx.form->cdsCIAPVRSAIDATRIBCIAP->SetAsFloat(-5.0);
    m_fx.form->cdsCIAPVRSAIDACIAP->SetAsFloat(-1.0);
    QVERIFY(!post());
    QCOMPARE(ds->State(), DataSetState::Edit);
    QCOMPARE(m_fx.form->cdsCIAPVRSAIDACIAP->AsFloat(), -1.0);
    QCOMPARE(ds->ChangeCount(), 0);

    // Given up by the user: the stored row again, nothing logged.
    m_fx.dialogs.clear();
    m_fx.dialogs.enqueueAnswer(DialogAnswer::No);
    QVERIFY(!m_fx.form->mayDiscardChanges(ds));
    QCOMPARE(m_fx.dialogs.entries.size(), 1);
    QCOMPARE(ds->State(), DataSetState::Edit);
    ds->Cancel();
    QCOMPARE(ds->ChangeCount(), 0);
    ds->Last();
    ds->Edit();
    m_fx.form->cdsCIAPVRSAIDACIAP->SetAsFloat(2000.0);
    const int before = m_fx.server.callsTo(QStringLiteral("setCiap")).size();
    QVERIFY(post());
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("setCiap")).size(), before + 1);
    QCOMPARE(lastDelta().changes.size(), 1);
}

// Posting a row nobody changed still runs the checks, but there is nothing to send: only the
// reload.
void tst_Posting::unchangedPostSendsNothing() {
    m_fx.server.setDefault(QStringLiteral("getCompet_Existe"), existsPacket(1));
    m_fx.server.setDefault(QStringLiteral("getNrseqCiap"), QJsonArray{QStringLiteral("7")});
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    ds->Edit();
    QVERIFY(post());
    QVERIFY(m_fx.server.callsTo(QStringLiteral("setCiap")).isEmpty());
    QCOMPARE(m_fx.server.calls().last().method, QStringLiteral("getCIAP"));
    QCOMPARE(ds->ChangeCount(), 0);
}

void tst_Posting::cancelReloads_data() {
    QTest::addColumn<bool>("inserting");
    QTest::newRow("insert") << true;
    QTest::newRow("edit") << false;
}

void tst_Posting::cancelReloads() {
    QFETCH(bool, inserting);
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    if (inserting)
        ds->Insert();
    else
        ds->Edit();
    m_fx.form->cdsCIAPVRSAIDACIAP->SetAsFloat(5.0);
    ds->Cancel();
    QCOMPARE(callsSince(0), QStringList{QStringLiteral("getCIAP")});
    QCOMPARE(ds->RecordCount(), 1);
    QCOMPARE(m_fx.form->cdsCIAPVRSAIDACIAP->AsFloat(), 1000.0);
}

void tst_Posting::deleteRemovesAssetsThenSends() {
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    m_fx.server.setDefault(QStringLiteral("getCIAP"),
                           ScriptedServer::packet(m_fields, {})); // the server no longer lists it
    const int shown = busyIndicatorShownCount();
    QVERIFY(runGuarded([ds] { ds->Delete(); }));
    QVERIFY(m_fx.dialogs.entries.isEmpty()); // no question of its own
    QCOMPARE(callsSince(0), (QStringList{
                                callText("delBensComp", {Company, Tax, "03/2024", "7"}),
                                QStringLiteral("setCiap"),
                                QStringLiteral("getCIAP"),
                            }));
    const ciap::Delta delta = lastDelta();
    QCOMPARE(delta.changes.size(), 1);
    QCOMPARE(delta.changes.first().status, ciap::ChangeStatus::Deleted);
    QCOMPARE(changeValues(delta, 0, false).value(QStringLiteral("NRSEQCIAP")).toString(),
             QStringLiteral("7"));
    QCOMPARE(ds->ChangeCount(), 0);
    QVERIFY(ds->IsEmpty());
    QVERIFY(!busyIndicatorActive());
    QVERIFY(busyIndicatorShownCount() > shown);
}

void tst_Posting::deleteFailures_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("changes");

    QTest::newRow("assets not removed: the row stays")
        << "delBensComp" << QStringList{callText("delBensComp", {Company, Tax, "03/2024", "7"})}
        << 1 << 0;
    QTest::newRow("deletion refused: the row back, not left in the log, no reload")
        << "setCiap"
        << QStringList{callText("delBensComp", {Company, Tax, "03/2024", "7"}),
                       QStringLiteral("setCiap")}
        << 1 << 0;
}

void tst_Posting::deleteFailures() {
    QFETCH(QString, method);
    QFETCH(QStringList, calls);
    QFETCH(int, rows);
    QFETCH(int, changes);

    m_fx.server.enqueueError(method, -32000, QStringLiteral("Recusado"));
    TClientDataSet* ds = m_fx.form->cdsCIAP;
    QVERIFY(!runGuarded([ds] { ds->Delete(); }));
    QCOMPARE(m_fx.dialogs.errors(), QStringList{QStringLiteral("Recusado")});
    QCOMPARE(callsSince(0), calls);
    QCOMPARE(ds->RecordCount(), rows);
    QCOMPARE(ds->ChangeCount(), changes);
    QCOMPARE(ds->State(), DataSetState::Browse);
    QVERIFY(!busyIndicatorActive());
}

QTEST_MAIN(tst_Posting)
#include "tst_posting.moc"
