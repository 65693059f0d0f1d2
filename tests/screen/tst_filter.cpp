#include "Cli_mzr02400.h"
#include "DialogService.h"
#include "DtmDBGeral.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "ScriptedServer.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>

// The filter header: what may be typed into the codes, the check of each field as the user
// leaves it, the commit of the whole filter when the focus leaves the panel (list loaded, the
// tax's kind read, the value columns switched), re-entering the panel, and the three lookups.
class tst_Filter : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void typingIntoCodes_data();
    void typingIntoCodes();
    void keyPressHandlers_data();
    void keyPressHandlers();
    void leavingCodeField_data();
    void leavingCodeField();
    void registerFailureFocusesCode();
    void period_data();
    void period();
    void registrationInFilter_data();
    void registrationInFilter();
    void registrationInGrid_data();
    void registrationInGrid();
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
    void fillFilter(const QString& company, const QString& tax, const QDate& start,
                    const QDate& end, const QString& registration = {});
    void enterPanel() { m_form->edtCdEmpresa->setFocus(); }
    // Focus to the list, outside the panel: the panel's exit commits the filter.
    void leavePanel() { m_form->dbgPadrao->setFocus(); }
    bool commit();
    static QJsonValue registrations(const QStringList& codes);
    static QJsonValue competencias(int count);
    QList<bool> valueColumnsVisible() const;
    static void sql(const QString& statement);
    void resetServer();

    QTemporaryDir m_dir;
    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
    TfrmCIAP* m_form = nullptr;
};

namespace {
const QDate Jan = QDate(2024, 1, 1);
const QDate Mar = QDate(2024, 3, 1);
} // namespace

void tst_Filter::sql(const QString& statement) {
    QSqlQuery q(dtmDBGeral().database());
    QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
}

void tst_Filter::initTestCase() {
    QVERIFY(m_dir.isValid());
    dtmDBGeral().open(m_dir.filePath(QStringLiteral("host.sqlite")));
    sql(QStringLiteral("CREATE TABLE EMPRESA (CDEMPRESA VARCHAR(2) PRIMARY KEY,"
                       " NMEMPRESA VARCHAR(40))"));
    sql(QStringLiteral("CREATE TABLE IMPOSTO (CDIMPOSTO VARCHAR(2) PRIMARY KEY,"
                       " NMIMPOSTO VARCHAR(30))"));
    sql(QStringLiteral("INSERT INTO EMPRESA VALUES ('01', 'INDÚSTRIA UM LTDA'),"
                       " ('02', 'COMÉRCIO DOIS S.A.')"));
    sql(QStringLiteral("INSERT INTO IMPOSTO VALUES ('01', 'ICMS'), ('02', 'ICMS INTEGRAL')"));

    DialogService::setInstance(&m_dialogs);
    QVERIFY(m_server.listen());
    setWebServer(m_server.host(), m_server.port());
    m_form = TfrmPadraoGrid::Create<TfrmCIAP>();
    m_form->show();
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form));
}

void tst_Filter::cleanupTestCase() {
    delete m_form;
    DialogService::setInstance(nullptr);
    dtmDBGeral().close();
}

void tst_Filter::resetServer() {
    m_server.clear();
    m_server.setDefault(QStringLiteral("getCIAP"), competencias(2));
    m_server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{QStringLiteral("01")});
    m_server.setDefault(QStringLiteral("getInscEsta"), registrations({}));
}

void tst_Filter::init() {
    resetServer();
    fillFilter({}, {}, Jan, Mar);
    // Whatever an earlier test left, the filter can be entered again.
    m_form->dtsPadrao->SetDataSet(nullptr);
    SetChildEnabled(m_form->panEmpresa, true);
    enterPanel();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_form->edtCdEmpresa));
    m_dialogs.clear();
    resetServer();
}

void tst_Filter::cleanup() {
    // A row left in edit would keep the filter panel disabled for the next test.
    if (m_form->cdsCIAP->State() == DataSetState::Edit)
        runGuarded([this] { m_form->cdsCIAP->Cancel(); });
}

void tst_Filter::fillFilter(const QString& company, const QString& tax, const QDate& start,
                            const QDate& end, const QString& registration) {
    m_form->edtCdEmpresa->setText(company);
    m_form->edtCdImposto->setText(tax);
    m_form->depInicial->SetDate(start);
    m_form->depFinal->SetDate(end);
    m_form->dbeInscEsta->setText(registration);
}

bool tst_Filter::commit() {
    fillFilter(QStringLiteral("01"), QStringLiteral("01"), Jan, Mar);
    leavePanel();
    return m_form->dtsPadrao->DataSet() == m_form->cdsCIAP && m_form->cdsCIAP->Active();
}

QJsonValue tst_Filter::registrations(const QStringList& codes) {
    QList<QVariantList> rows;
    for (const QString& c : codes)
        rows.append({c});
    return ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                                  rows);
}

QJsonValue tst_Filter::competencias(int count) {
    const QList<ciap::FieldDef> fields{
        {QStringLiteral("COMPETENCIA"), ciap::FieldType::String, 7},
        {QStringLiteral("IDSITCOMPETCIAP"), ciap::FieldType::String, 1},
        {QStringLiteral("LOCATE"), ciap::FieldType::String, 11},
        {QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16},
        {QStringLiteral("ITEMEXISTE"), ciap::FieldType::Float, 0}};
    QList<QVariantList> rows;
    for (int i = 1; i <= count; ++i)
        rows.append({QStringLiteral("%1/2024").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("P"),
                     QStringLiteral("C%1").arg(i, 10, 10, QLatin1Char('0')),
                     QStringLiteral("110042490114"), 0.0});
    return ScriptedServer::packet(fields, rows);
}

QList<bool> tst_Filter::valueColumnsVisible() const {
    QList<bool> out;
    for (int c = 0; c < m_form->dbgPadrao->ColumnCount(); ++c)
        out.append(m_form->dbgPadrao->ColumnVisible(c));
    return out;
}

// ---- Keystrokes

void tst_Filter::typingIntoCodes_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");

    for (const char* edit : {"edtCdEmpresa", "edtCdImposto"}) {
        const QByteArray e(edit);
        QTest::newRow((e + ": digits").constData()) << edit << "12"
                                                    << "12";
        QTest::newRow((e + ": letter, minus and blank dropped").constData()) << edit << "a-1 b"
                                                                             << "1";
        QTest::newRow((e + ": no third character").constData()) << edit << "123"
                                                                << "12";
        QTest::newRow((e + ": backspace passes").constData()) << edit << "1\b3"
                                                              << "3";
        QTest::newRow((e + ": other scripts' digits dropped").constData()) << edit << "\u0661\u0967"
                                                                           << "";
    }
}

void tst_Filter::typingIntoCodes() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, expected);

    auto* target = m_form->findChild<QLineEdit*>(edit);
    QVERIFY(target);
    target->setFocus();
    target->clear();
    for (const QChar c : typed) {
        if (c == QLatin1Char('\b'))
            QTest::keyClick(target, Qt::Key_Backspace);
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(target->text(), expected);
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_Filter::keyPressHandlers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("passes");

    QTest::newRow("backspace") << 8 << true;
    QTest::newRow("tab") << 9 << true;
    QTest::newRow("carriage return") << 13 << true;
    QTest::newRow("0") << int('0') << true;
    QTest::newRow("9") << int('9') << true;
    QTest::newRow("letter") << int('a') << false;
    QTest::newRow("minus") << int('-') << false;
    QTest::newRow("blank") << int(' ') << false;
    QTest::newRow("escape") << 27 << false;
    QTest::newRow("line feed") << 10 << false;
    QTest::newRow("superscript two") << 0xb2 << false;
}

void tst_Filter::keyPressHandlers() {
    QFETCH(int, key);
    QFETCH(bool, passes);

    const QChar typed{char16_t(key)};
    QChar company = typed;
    m_form->edtCdEmpresaKeyPress(m_form->edtCdEmpresa, company);
    QChar tax = typed;
    m_form->edtCdImpostoKeyPress(m_form->edtCdImposto, tax);
    QCOMPARE(company, passes ? typed : QChar());
    QCOMPARE(tax, passes ? typed : QChar());
}

// ---- Single fields

void tst_Filter::leavingCodeField_data() {
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("error");

    QTest::newRow("company empty: nothing") << "edtCdEmpresa"
                                            << ""
                                            << ""
                                            << ""
                                            << "";
    QTest::newRow("company one digit adjusted") << "edtCdEmpresa"
                                                << "1"
                                                << "01"
                                                << "INDÚSTRIA UM LTDA"
                                                << "";
    QTest::newRow("company two digits") << "edtCdEmpresa"
                                        << "02"
                                        << "02"
                                        << "COMÉRCIO DOIS S.A."
                                        << "";
    QTest::newRow("company unregistered") << "edtCdEmpresa"
                                          << "7"
                                          << "07"
                                          << ""
                                          << "Empresa não cadastrada.";
    QTest::newRow("tax empty: nothing") << "edtCdImposto"
                                        << ""
                                        << ""
                                        << ""
                                        << "";
    QTest::newRow("tax one digit adjusted") << "edtCdImposto"
                                            << "2"
                                            << "02"
                                            << "ICMS INTEGRAL"
                                            << "";
    QTest::newRow("tax unregistered") << "edtCdImposto"
                                      << "99"
                                      << "99"
                                      << ""
                                      << "Imposto não cadastrado.";
}

void tst_Filter::leavingCodeField() {
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, code);
    QFETCH(QString, name);
    QFETCH(QString, error);

    const bool company = edit == QLatin1String("edtCdEmpresa");
    QLineEdit* codeEdit = company ? m_form->edtCdEmpresa : m_form->edtCdImposto;
    QLineEdit* nameEdit = company ? m_form->edtNmEmpresa : m_form->edtNmImposto;
    codeEdit->setFocus();
    codeEdit->setText(typed);
    // Another control of the panel: only the field's own exit runs.
    m_form->depFinal->setFocus();

    QCOMPARE(codeEdit->text(), code);
    QCOMPARE(nameEdit->text(), name);
    QCOMPARE(m_dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget(),
             error.isEmpty() ? static_cast<QWidget*>(m_form->depFinal) : codeEdit);
    QCOMPARE(m_server.callCount(), 0);
}

void tst_Filter::registerFailureFocusesCode() {
    // A name shown from an earlier check, then the register cannot be read: the database's
    // text reaches the user, the focus goes back to the code and no stale name stays.
    m_form->edtCdEmpresa->setText(QStringLiteral("1"));
    m_form->depFinal->setFocus();
    QCOMPARE(m_form->edtNmEmpresa->text(), QStringLiteral("INDÚSTRIA UM LTDA"));

    sql(QStringLiteral("ALTER TABLE EMPRESA RENAME TO EMPRESA_OFF"));
    const bool ok = runGuarded([this] { m_form->VD_EMPRESA(false); });
    sql(QStringLiteral("ALTER TABLE EMPRESA_OFF RENAME TO EMPRESA"));

    QVERIFY(!ok);
    QCOMPARE(m_dialogs.errors().size(), 1);
    QVERIFY2(m_dialogs.errors().constFirst().contains(QLatin1String("EMPRESA")),
             qPrintable(m_dialogs.errors().constFirst()));
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_form->edtCdEmpresa));
    QCOMPARE(m_form->edtNmEmpresa->text(), QString());
}

void tst_Filter::period_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("focus");

    QTest::newRow("equal dates pass") << "01/03/2024"
                                      << "01/03/2024"
                                      << ""
                                      << "";
    QTest::newRow("start before end") << "01/01/2024"
                                      << "01/03/2024"
                                      << ""
                                      << "";
    QTest::newRow("end one day before start")
        << "01/03/2024"
        << "29/02/2024"
        << "Data inicial deve ser menor ou igual a data final."
        << "depInicial";
    QTest::newRow("start empty") << ""
                                 << "01/03/2024"
                                 << "Data inicial deve ser informada."
                                 << "depInicial";
    QTest::newRow("end empty") << "01/03/2024"
                               << ""
                               << "Data final deve ser informada."
                               << "depFinal";
    QTest::newRow("both empty: start first") << ""
                                             << ""
                                             << "Data inicial deve ser informada."
                                             << "depInicial";
    QTest::newRow("end not a date") << "01/03/2024"
                                    << "31/02/2024"
                                    << "'31/02/2024' não é uma data válida."
                                    << "depFinal";
}

void tst_Filter::period() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QFETCH(QString, error);
    QFETCH(QString, focus);

    m_form->depInicial->setText(start);
    m_form->depFinal->setText(end);
    m_form->dbeInscEsta->setFocus();
    const bool ok = runGuarded([this] { m_form->VD_PERIODO(); });

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(m_dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget()->objectName(),
             focus.isEmpty() ? QStringLiteral("dbeInscEsta") : focus);
}

void tst_Filter::registrationInFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<bool>("called");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty: all registrations, no call") << "" << QStringList() << false << "";
    QTest::newRow("blanks count as empty") << "   " << QStringList() << false << "";
    QTest::newRow("registered") << "110042490114" << QStringList{"110042490114"} << true << "";
    QTest::newRow("not registered for the company")
        << "999" << QStringList() << true << "Inscrição Estadual não cadastrada";
}

void tst_Filter::registrationInFilter() {
    QFETCH(QString, typed);
    QFETCH(QStringList, answer);
    QFETCH(bool, called);
    QFETCH(QString, error);

    m_form->edtCdEmpresa->setText(QStringLiteral("01"));
    m_form->dbeInscEsta->setFocus();
    m_form->dbeInscEsta->setText(typed);
    m_server.enqueueResult(QStringLiteral("getInscEsta"), registrations(answer));
    m_form->depFinal->setFocus();

    const QList<ScriptedServer::Call> calls = m_server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), called ? 1 : 0);
    if (called)
        QCOMPARE(calls.constFirst().params, (QJsonArray{"01", "", typed}));
    QCOMPARE(m_dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(QApplication::focusWidget(),
             error.isEmpty() ? static_cast<QWidget*>(m_form->depFinal) : m_form->dbeInscEsta);
    QCOMPARE(m_form->dbeInscEsta->text(), typed);
}

void tst_Filter::registrationInGrid_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<bool>("required");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("stored");

    QTest::newRow("empty, not required: nothing") << true << false << "" << QStringList() << ""
                                                  << "";
    QTest::newRow("empty, required")
        << true << true << "" << QStringList() << "Inscrição Estadual deve ser informada."
        << "";
    QTest::newRow("not registered")
        << true << false << "x1" << QStringList() << "Inscrição Estadual não cadastrada"
        << "x1";
    QTest::newRow("respelled while editing") << true << true << "ie-a" << QStringList{"IE-A"} << ""
                                             << "IE-A";
    QTest::newRow("left alone while browsing")
        << false << false << "ie-a" << QStringList{"IE-A"} << ""
        << "ie-a";
}

void tst_Filter::registrationInGrid() {
    QFETCH(bool, editing);
    QFETCH(bool, required);
    QFETCH(QString, value);
    QFETCH(QStringList, answer);
    QFETCH(QString, error);
    QFETCH(QString, stored);

    QList<QVariantList> rows{{QStringLiteral("01/2024"), QStringLiteral("P"), value}};
    m_server.setDefault(
        QStringLiteral("getCIAP"),
        ScriptedServer::packet({{QStringLiteral("COMPETENCIA"), ciap::FieldType::String, 7},
                                {QStringLiteral("IDSITCOMPETCIAP"), ciap::FieldType::String, 1},
                                {QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                               rows));
    QVERIFY(commit());
    m_dialogs.clear();
    m_server.clear();
    m_server.setDefault(QStringLiteral("getCIAP"), competencias(1));
    m_server.enqueueResult(QStringLiteral("getInscEsta"), registrations(answer));
    m_form->dbgPadrao->SetSelectedIndex(0);
    if (editing)
        m_form->cdsCIAP->Edit();

    const bool ok = runGuarded([&] { m_form->VD_CDINSCESTA(required, QStringLiteral("GRID")); });

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(m_dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(m_form->cdsCIAPCDINSCESTA->AsString(), stored);
    const QList<ScriptedServer::Call> calls = m_server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), value.isEmpty() ? 0 : 1);
    if (!value.isEmpty())
        QCOMPARE(calls.constFirst().params, (QJsonArray{"01", "", value}));
    if (!error.isEmpty()) {
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_form->dbgPadrao));
        QCOMPARE(m_form->dbgPadrao->SelectedField(), m_form->cdsCIAPCDINSCESTA);
    }
}

// ---- Commit of the filter

void tst_Filter::failingCommitStopsEverything_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("focus");

    QTest::newRow("company empty") << ""
                                   << "01" << Jan << Mar << "Empresa deve ser informada."
                                   << "edtCdEmpresa";
    QTest::newRow("company unregistered") << "5"
                                          << "01" << Jan << Mar << "Empresa não cadastrada."
                                          << "edtCdEmpresa";
    QTest::newRow("tax empty") << "01"
                               << "" << Jan << Mar << "Imposto deve ser informado."
                               << "edtCdImposto";
    QTest::newRow("tax unregistered") << "01"
                                      << "9" << Jan << Mar << "Imposto não cadastrado."
                                      << "edtCdImposto";
    QTest::newRow("start empty") << "01"
                                 << "01" << QDate() << Mar << "Data inicial deve ser informada."
                                 << "depInicial";
    QTest::newRow("end empty") << "01"
                               << "01" << Jan << QDate() << "Data final deve ser informada."
                               << "depFinal";
    QTest::newRow("start after end")
        << "01"
        << "01" << Mar << Jan << "Data inicial deve ser menor ou igual a data final."
        << "depInicial";
}

void tst_Filter::failingCommitStopsEverything() {
    QFETCH(QString, company);
    QFETCH(QString, tax);
    QFETCH(QDate, start);
    QFETCH(QDate, end);
    QFETCH(QString, error);
    QFETCH(QString, focus);

    const QVariant kindBefore = oleImposto;
    fillFilter(company, tax, start, end);
    leavePanel();

    QCOMPARE(m_dialogs.errors(), QStringList{error});
    QCOMPARE(m_server.callCount(), 0);
    QVERIFY(!m_form->dtsPadrao->DataSet());
    QVERIFY(!m_form->cdsCIAP->Active());
    QCOMPARE(QApplication::focusWidget()->objectName(), focus);
    if (focus == QLatin1String("edtCdEmpresa"))
        QCOMPARE(m_form->edtNmEmpresa->text(), QString());
    if (focus == QLatin1String("edtCdImposto"))
        QCOMPARE(m_form->edtNmImposto->text(), QString());
    QCOMPARE(oleImposto, kindBefore);
}

void tst_Filter::commitLoadsListAndSwitchesColumns_data() {
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QJsonValue>("kind");
    QTest::addColumn<bool>("valueColumns");

    QTest::newRow("all registrations, kind 01") << "" << QJsonValue("01") << true;
    QTest::newRow("one registration, kind 50") << "110042490114" << QJsonValue("50") << false;
    QTest::newRow("kind 60") << "" << QJsonValue("60") << false;
    QTest::newRow("kind 5") << "" << QJsonValue("5") << true;
    QTest::newRow("kind as a number") << "" << QJsonValue(50) << false;
}

void tst_Filter::commitLoadsListAndSwitchesColumns() {
    QFETCH(QString, registration);
    QFETCH(QJsonValue, kind);
    QFETCH(bool, valueColumns);

    m_server.enqueueResult(QStringLiteral("getVerificaImposto"), QJsonArray{kind});
    fillFilter(QStringLiteral("1"), QStringLiteral("2"), Jan, Mar, registration);
    leavePanel();

    QVERIFY(m_dialogs.entries.isEmpty());
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_form->dbgPadrao));
    QStringList methods;
    for (const ScriptedServer::Call& c : m_server.calls())
        methods.append(c.method);
    QCOMPARE(methods, (QStringList{"getCIAP", "getVerificaImposto"}));
    const QString expectedRegistration =
        registration.isEmpty() ? QStringLiteral("T") : registration;
    QCOMPARE(m_server.calls().at(0).params,
             (QJsonArray{"01", "02", "2024-01-01", "2024-03-01", "Apropriado", "Pendente",
                         expectedRegistration}));
    QCOMPARE(m_server.calls().at(1).params, QJsonArray{"02"});

    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
    QCOMPARE(m_form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(oleImposto.toList().value(0).toString(), kind.toVariant().toString());
    const bool v = valueColumns;
    QCOMPARE(valueColumnsVisible(), (QList<bool>{true, true, v, v, v, true, true, true}));
}

void tst_Filter::columnsFollowEachCommit() {
    const QList<bool> shown{true, true, true, true, true, true, true, true};
    const QList<bool> hidden{true, true, false, false, false, true, true, true};
    const QList<QPair<const char*, QList<bool>>> steps{
        {"50", hidden}, {"01", shown}, {"60", hidden}, {"60", hidden}, {"02", shown}};
    for (const auto& [kind, columns] : steps) {
        m_server.enqueueResult(QStringLiteral("getVerificaImposto"),
                               QJsonArray{QString::fromLatin1(kind)});
        enterPanel();
        QVERIFY(commit());
        QCOMPARE(valueColumnsVisible(), columns);
    }
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_Filter::invalidTaxKindAnswer_data() {
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
    QTest::newRow("packet") << false << QJsonValue(registrations({"50"})) << invalid;
    QTest::newRow("server error") << true << QJsonValue() << "Imposto não cadastrado.";
}

void tst_Filter::invalidTaxKindAnswer() {
    QFETCH(bool, serverError);
    QFETCH(QJsonValue, answer);
    QFETCH(QString, error);

    // The state of an earlier commit, which a bad answer must not touch.
    m_server.enqueueResult(QStringLiteral("getVerificaImposto"), QJsonArray{"50"});
    QVERIFY(commit());
    enterPanel();
    m_dialogs.clear();
    if (serverError)
        m_server.enqueueError(QStringLiteral("getVerificaImposto"), -32000, error);
    else
        m_server.enqueueResult(QStringLiteral("getVerificaImposto"), answer);
    leavePanel();

    QCOMPARE(m_dialogs.errors(), QStringList{error});
    // The list was loaded before the kind was asked for.
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
    QCOMPARE(m_form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(oleImposto, QVariant(QVariantList{QStringLiteral("50")}));
    QCOMPARE(valueColumnsVisible(),
             (QList<bool>{true, true, false, false, false, true, true, true}));
}

void tst_Filter::failedFirstLoadLeavesFilterUsable() {
    m_server.enqueueError(QStringLiteral("getCIAP"), -32000, QStringLiteral("Banco fora do ar."));
    fillFilter(QStringLiteral("01"), QStringLiteral("01"), Jan, Mar);
    leavePanel();

    QCOMPARE(m_dialogs.errors(), QStringList{"Banco fora do ar."});
    QCOMPARE(m_server.callsTo(QStringLiteral("getVerificaImposto")).size(), 0);
    QVERIFY(!busyIndicatorActive());
    QVERIFY(!m_form->dtsPadrao->DataSet());
    QVERIFY(m_form->edtCdEmpresa->isEnabled());
    QVERIFY(m_form->depFinal->isEnabled());

    // Back into the filter and out again: the list comes.
    enterPanel();
    QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(m_form->edtCdEmpresa));
    leavePanel();
    QCOMPARE(m_form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(m_dialogs.errors().size(), 1);
}

void tst_Filter::enteringPanelClosesList() {
    QVERIFY(commit());
    // From the tab bar: outside the panel, and still visible when the second tab shows.
    m_form->pgcPadrao->tabBar()->setFocus();
    m_form->pgcPadrao->SetActivePage(m_form->tshBensComp);
    m_form->pgcPadrao->SetSheetEnabled(m_form->tshPadrao, false);
    m_server.clear();

    m_form->edtCdImposto->setFocus();
    QVERIFY(!m_form->dtsPadrao->DataSet());
    QVERIFY(!m_form->cdsCIAP->Active());
    QCOMPARE(m_form->pgcPadrao->ActivePage(), m_form->tshPadrao);
    QVERIFY(m_form->pgcPadrao->SheetEnabled(m_form->tshPadrao));
    QCOMPARE(m_server.callCount(), 0);
    QVERIFY(!m_form->sbtIncluir->isEnabled());

    // Moving inside the panel changes nothing; leaving it with the filter unchanged reloads.
    m_form->depInicial->setFocus();
    QCOMPARE(m_server.callCount(), 0);
    m_server.setDefault(QStringLiteral("getCIAP"), competencias(3));
    m_server.setDefault(QStringLiteral("getVerificaImposto"), QJsonArray{"01"});
    leavePanel();
    QCOMPARE(m_form->cdsCIAP->RecordCount(), 3);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
    QVERIFY(m_dialogs.entries.isEmpty());
}

// ---- Lookups

void tst_Filter::companyAndTaxLookups_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("company picked") << "btpEmpresa" << 1 << "02"
                                    << "COMÉRCIO DOIS S.A.";
    QTest::newRow("company dismissed") << "btpEmpresa" << -1 << "9"
                                       << "";
    QTest::newRow("tax picked") << "btpImposto" << 0 << "01"
                                << "ICMS";
    QTest::newRow("tax dismissed") << "btpImposto" << -1 << "9"
                                   << "";
}

void tst_Filter::companyAndTaxLookups() {
    QFETCH(QString, button);
    QFETCH(int, pick);
    QFETCH(QString, code);
    QFETCH(QString, name);

    const bool company = button == QLatin1String("btpEmpresa");
    QLineEdit* codeEdit = company ? m_form->edtCdEmpresa : m_form->edtCdImposto;
    QLineEdit* nameEdit = company ? m_form->edtNmEmpresa : m_form->edtNmImposto;
    codeEdit->setFocus();
    codeEdit->setText(QStringLiteral("9"));
    m_dialogs.enqueuePick(pick);
    m_form->findChild<TBtnPesquisa*>(button)->click();

    QCOMPARE(m_dialogs.pickTitles, QStringList{company ? "Empresa" : "Imposto"});
    QCOMPARE(codeEdit->text(), code);
    QCOMPARE(nameEdit->text(), name);
    QVERIFY(m_dialogs.errors().isEmpty());
    QCOMPARE(m_server.callCount(), 0);
}

void tst_Filter::lookupReadsRegisterAfresh() {
    m_form->btpEmpresa->click(); // dismissed
    sql(QStringLiteral("INSERT INTO EMPRESA VALUES ('03', 'NOVA EMPRESA ME')"));
    m_dialogs.enqueuePick(2);
    m_form->btpEmpresa->click();
    sql(QStringLiteral("DELETE FROM EMPRESA WHERE CDEMPRESA = '03'"));

    QCOMPARE(m_form->edtCdEmpresa->text(), QStringLiteral("03"));
    QCOMPARE(m_form->edtNmEmpresa->text(), QStringLiteral("NOVA EMPRESA ME"));
}

void tst_Filter::registrationLookup_data() {
    QTest::addColumn<QString>("company");
    QTest::addColumn<int>("pick");
    QTest::addColumn<QString>("expected");

    QTest::newRow("second picked") << "01" << 1 << "110042490122";
    QTest::newRow("dismissed") << "01" << -1 << "antes";
    QTest::newRow("company used unchanged, even empty") << "" << 0 << "110042490114";
}

void tst_Filter::registrationLookup() {
    QFETCH(QString, company);
    QFETCH(int, pick);
    QFETCH(QString, expected);

    m_form->edtCdEmpresa->setText(company);
    m_form->dbeInscEsta->setText(QStringLiteral("antes"));
    m_server.enqueueResult(QStringLiteral("getInscEsta"),
                           registrations({"110042490114", "110042490122"}));
    m_dialogs.enqueuePick(pick);
    m_form->btnPesqInscEsta->click();

    QCOMPARE(m_server.callCount(), 1);
    QCOMPARE(m_server.calls().constFirst().method, QStringLiteral("getInscEsta"));
    QCOMPARE(m_server.calls().constFirst().params, (QJsonArray{company, "T", ""}));
    QCOMPARE(m_dialogs.pickTitles, QStringList{"Inscrição Estadual"});
    QCOMPARE(m_form->dbeInscEsta->text(), expected);
}

void tst_Filter::registrationLookupErrorKeepsRows() {
    m_form->edtCdEmpresa->setText(QStringLiteral("01"));
    m_server.enqueueResult(QStringLiteral("getInscEsta"), registrations({"A1", "A2"}));
    m_form->btnPesqInscEsta->click();
    m_server.enqueueError(QStringLiteral("getInscEsta"), -32000, QStringLiteral("Sem conexão."));
    m_form->btnPesqInscEsta->click();

    QCOMPARE(m_dialogs.errors(), QStringList{"Sem conexão."});
    QCOMPARE(m_dialogs.pickTitles.size(), 1);
    QCOMPARE(m_form->cdsInscEsta->RecordCount(), 2);
}

QTEST_MAIN(tst_Filter)
#include "tst_filter.moc"
