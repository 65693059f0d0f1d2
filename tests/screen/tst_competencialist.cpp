#include "DataSetModel.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "ScreenFixture.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QJsonArray>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

// The list of competências: its reload from the server (arguments, busy indicator, the row
// found again), the situation shown and typed as text, the month entry, the row change, which
// cells may be edited, and the state registration checked and looked up from the grid.
//
// The screen is not shown: no focus moves, so the filter panel's enter and exit stay out of it.
class tst_CompetenciaList : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void reloadArguments_data();
    void reloadArguments();
    void busyIndicatorOnEveryPath_data();
    void busyIndicatorOnEveryPath();
    void reloadErrorKeepsRows_data();
    void reloadErrorKeepsRows();
    void rowFoundAgain_data();
    void rowFoundAgain();
    void situationText_data();
    void situationText();
    void situationEntry_data();
    void situationEntry();
    void monthEntry_data();
    void monthEntry();
    void monthEntryThroughGrid();
    void rowChange();
    void columnEditability_data();
    void columnEditability();
    void leavingRegistrationColumn_data();
    void leavingRegistrationColumn();
    void registrationEllipsis_data();
    void registrationEllipsis();

private:
    struct Row {
        QString month;
        QString situation;
        double items = 0;
        QString locate;
        QString registration;
    };
    QList<QVariantList> rowsOf(const QList<Row>& rows) const;
    void load(const QList<Row>& rows);
    QJsonValue answer(const QList<Row>& rows) const;
    static QJsonValue registrations(const QStringList& codes);
    int column(const char* fieldName) const;
    void resetServer();

    ScreenFixture m_fx;
};

Q_DECLARE_METATYPE(DataSetState)

void tst_CompetenciaList::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Hidden), qPrintable(m_fx.error));
}

void tst_CompetenciaList::cleanupTestCase() {
    m_fx.stop();
}

void tst_CompetenciaList::resetServer() {
    m_fx.server.clear();
    m_fx.server.setDefault(QStringLiteral("getCIAP"), answer({}));
    m_fx.server.setDefault(QStringLiteral("getBensComp"),
                           ScriptedServer::packet(m_fx.form->cdsBensComp->FieldDefs(), {}));
}

void tst_CompetenciaList::init() {
    resetServer();
    const DataSetState state = m_fx.form->cdsCIAP->State();
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        runGuarded([this] { m_fx.form->cdsCIAP->Cancel(); });
    m_fx.form->dtsPadrao->SetDataSet(nullptr);
    m_fx.form->cdsCIAP->Close();
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
    m_fx.fillHeader();
    m_fx.form->depInicial->SetDate(QDate(2024, 1, 1));
    m_fx.form->depFinal->SetDate(QDate(2024, 12, 1));
    m_fx.form->dbeInscEsta->clear();
    resetServer();
    m_fx.dialogs.clear();
}

QList<QVariantList> tst_CompetenciaList::rowsOf(const QList<Row>& rows) const {
    const QList<ciap::FieldDef> defs = m_fx.form->cdsCIAP->FieldDefs();
    ciap::DataPacket p;
    p.fields = defs;
    QList<QVariantList> out;
    for (const Row& r : rows) {
        QVariantList values(defs.size());
        values[p.indexOf(QStringLiteral("COMPETENCIA"))] = r.month;
        values[p.indexOf(QStringLiteral("IDSITCOMPETCIAP"))] = r.situation;
        values[p.indexOf(QStringLiteral("ITEMEXISTE"))] = r.items;
        values[p.indexOf(QStringLiteral("LOCATE"))] = r.locate;
        values[p.indexOf(QStringLiteral("CDINSCESTA"))] = r.registration;
        out.append(values);
    }
    return out;
}

void tst_CompetenciaList::load(const QList<Row>& rows) {
    ciap::DataPacket p;
    p.fields = m_fx.form->cdsCIAP->FieldDefs();
    p.rows = rowsOf(rows);
    m_fx.form->cdsCIAP->SetData(p);
}

QJsonValue tst_CompetenciaList::answer(const QList<Row>& rows) const {
    return ScriptedServer::packet(m_fx.form->cdsCIAP->FieldDefs(), rowsOf(rows));
}

QJsonValue tst_CompetenciaList::registrations(const QStringList& codes) {
    QList<QVariantList> rows;
    for (const QString& c : codes)
        rows.append({c});
    return ScriptedServer::packet({{QStringLiteral("CDINSCESTA"), ciap::FieldType::String, 16}},
                                  rows);
}

int tst_CompetenciaList::column(const char* fieldName) const {
    for (int c = 0; c < m_fx.form->dbgPadrao->ColumnCount(); ++c)
        if (m_fx.form->dbgPadrao->ColumnFieldName(c) == QLatin1String(fieldName))
            return c;
    return -1;
}

// ---- Reload

void tst_CompetenciaList::reloadArguments_data() {
    QTest::addColumn<QString>("registration");
    QTest::addColumn<QString>("sent");

    QTest::newRow("empty: all") << ""
                                << "T";
    QTest::newRow("blanks: all") << "   "
                                 << "T";
    QTest::newRow("one registration") << "110042490114"
                                      << "110042490114";
}

void tst_CompetenciaList::reloadArguments() {
    QFETCH(QString, registration);
    QFETCH(QString, sent);

    m_fx.form->dbeInscEsta->setText(registration);
    m_fx.server.enqueueResult(QStringLiteral("getCIAP"), answer({{"02/2024", "P", 0, "C1", ""}}));
    m_fx.form->AtualizaCIAP();

    QCOMPARE(m_fx.server.callCount(), 1);
    QCOMPARE(m_fx.server.calls().constFirst().method, QStringLiteral("getCIAP"));
    QCOMPARE(m_fx.server.calls().constFirst().params,
             (QJsonArray{fixture::Company, fixture::Tax, "2024-01-01", "2024-12-01", "Apropriado",
                         "Pendente", sent}));
    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 1);
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->AsString(), QStringLiteral("02/2024"));
    QCOMPARE(m_fx.form->cdsCIAP->ChangeCount(), 0);
}

void tst_CompetenciaList::busyIndicatorOnEveryPath_data() {
    QTest::addColumn<int>("outcome"); // 0 rows, 1 server error, 2 not a packet

    QTest::newRow("loaded") << 0;
    QTest::newRow("server error") << 1;
    QTest::newRow("answer is no packet") << 2;
}

void tst_CompetenciaList::busyIndicatorOnEveryPath() {
    QFETCH(int, outcome);

    if (outcome == 0)
        m_fx.server.enqueueResult(QStringLiteral("getCIAP"),
                                  answer({{"01/2024", "P", 0, "C1", ""}}));
    else if (outcome == 1)
        m_fx.server.enqueueError(QStringLiteral("getCIAP"), -32000, QStringLiteral("Falhou."));
    else
        m_fx.server.enqueueResult(QStringLiteral("getCIAP"), QJsonArray{"OK"});
    bool busyDuringCall = false;
    m_fx.server.onCall = [&](const ScriptedServer::Call&) {
        busyDuringCall = busyIndicatorActive();
    };
    const int shownBefore = busyIndicatorShownCount();

    const bool ok = runGuarded([this] { m_fx.form->AtualizaCIAP(); });
    m_fx.server.onCall = nullptr;

    QCOMPARE(ok, outcome == 0);
    QVERIFY(busyDuringCall);
    QVERIFY(!busyIndicatorActive());
    QCOMPARE(busyIndicatorShownCount(), shownBefore + 1);
    // The failure reached the caller once: a server error as the server's text.
    QCOMPARE(m_fx.dialogs.errors().size(), outcome == 0 ? 0 : 1);
    if (outcome == 1)
        QCOMPARE(m_fx.dialogs.errors().constFirst(), QStringLiteral("Falhou."));
}

void tst_CompetenciaList::reloadErrorKeepsRows_data() {
    QTest::addColumn<bool>("serverError");

    QTest::newRow("server error") << true;
    QTest::newRow("not a packet") << false;
}

void tst_CompetenciaList::reloadErrorKeepsRows() {
    QFETCH(bool, serverError);

    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    load({{"01/2024", "P", 0, "C1", ""}, {"02/2024", "P", 0, "C2", ""}});
    m_fx.form->cdsCIAP->Next();
    // Off by hand: only the command state's run at the end of the reload turns it on again.
    m_fx.form->sbtIncluir->setEnabled(false);
    if (serverError) {
        m_fx.server.enqueueError(QStringLiteral("getCIAP"), -32000, QStringLiteral("Falhou."));
        QVERIFY_THROWS_EXCEPTION(EAbort, m_fx.form->AtualizaCIAP());
    } else {
        m_fx.server.enqueueResult(QStringLiteral("getCIAP"), QJsonValue("OK"));
        QVERIFY_THROWS_EXCEPTION(EHostError, m_fx.form->AtualizaCIAP());
    }

    QCOMPARE(m_fx.form->cdsCIAP->RecordCount(), 2);
    QCOMPARE(m_fx.form->cdsCIAPLOCATE->AsString(), QStringLiteral("C2"));
    QVERIFY(m_fx.form->sbtIncluir->isEnabled());
    QVERIFY(!busyIndicatorActive());
}

void tst_CompetenciaList::rowFoundAgain_data() {
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("current"); // 1-based
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("expected");

    const QStringList three{"C0000000001", "C0000000002", "C0000000003"};
    QTest::newRow("same rows") << three << 3 << three << 3;
    QTest::newRow("key in lower case")
        << three << 2 << QStringList{"c0000000001", "c0000000002", "c0000000003"} << 2;
    QTest::newRow("row moved down")
        << three << 2 << QStringList{"C0000000009", "C0000000001", "C0000000002"} << 3;
    QTest::newRow("row gone: where the load left it")
        << three << 2 << QStringList{"C0000000001", "C0000000003"} << 1;
    QTest::newRow("empty before: first row") << QStringList() << 0 << three << 1;
    QTest::newRow("empty after") << three << 2 << QStringList() << 0;
}

void tst_CompetenciaList::rowFoundAgain() {
    QFETCH(QStringList, before);
    QFETCH(int, current);
    QFETCH(QStringList, after);
    QFETCH(int, expected);

    QList<Row> rows;
    for (const QString& key : before)
        rows.append({"01/2024", "P", 0, key, ""});
    load(rows);
    if (current > 0)
        m_fx.form->cdsCIAP->SetRecNo(current);
    rows.clear();
    for (const QString& key : after)
        rows.append({"01/2024", "P", 0, key, ""});
    m_fx.server.enqueueResult(QStringLiteral("getCIAP"), answer(rows));

    m_fx.form->AtualizaCIAP();

    QCOMPARE(m_fx.form->cdsCIAP->RecNo(), expected);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

// ---- Situation

void tst_CompetenciaList::situationText_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("P") << "P"
                       << "Pendente";
    QTest::newRow("A") << "A"
                       << "Apropriado";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("lower case p") << "p"
                                  << "";
    QTest::newRow("other letter") << "X"
                                  << "";
}

void tst_CompetenciaList::situationText() {
    QFETCH(QString, code);
    QFETCH(QString, text);

    load({{"01/2024", code, 0, "C1", ""}});
    QCOMPARE(m_fx.form->cdsCIAPIDSITCOMPETCIAP->DisplayText(), text);
    QCOMPARE(m_fx.form->cdsCIAPIDSITCOMPETCIAP->Text(), text);
    const int c = column("IDSITCOMPETCIAP");
    QAbstractItemModel* model = m_fx.form->dbgPadrao->model();
    QCOMPARE(model->data(model->index(0, c), Qt::DisplayRole).toString(), text);
}

void tst_CompetenciaList::situationEntry_data() {
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");

    QTest::newRow("Apropriado") << "P"
                                << "Apropriado"
                                << "A";
    QTest::newRow("Pendente") << "A"
                              << "Pendente"
                              << "P";
    QTest::newRow("lower case: nothing") << "P"
                                         << "apropriado"
                                         << "P";
    QTest::newRow("upper case: nothing") << "P"
                                         << "APROPRIADO"
                                         << "P";
    QTest::newRow("the letter itself: nothing") << "P"
                                                << "A"
                                                << "P";
    QTest::newRow("empty: nothing") << "A"
                                    << ""
                                    << "A";
    QTest::newRow("trailing blank: nothing") << "P"
                                             << "Apropriado "
                                             << "P";
}

void tst_CompetenciaList::situationEntry() {
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);

    load({{"01/2024", before, 0, "C1", ""}});
    m_fx.form->cdsCIAP->Edit();
    m_fx.form->cdsCIAPIDSITCOMPETCIAP->SetText(typed);
    QCOMPARE(m_fx.form->cdsCIAPIDSITCOMPETCIAP->AsString(), after);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

// ---- Month entry

void tst_CompetenciaList::monthEntry_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("error");

    QTest::newRow("03/2020") << "03/2020"
                             << "03/2020"
                             << "";
    QTest::newRow("12/1999") << "12/1999"
                             << "12/1999"
                             << "";
    QTest::newRow("one-digit month") << "3/2020"
                                     << "03/2020"
                                     << "";
    QTest::newRow("mask blank before the month") << " 3/2020"
                                                 << "03/2020"
                                                 << "";
    QTest::newRow("month 13") << "13/2020"
                              << "11/2023"
                              << "'13/2020' Não é uma data válida.";
    QTest::newRow("month 00") << "00/2020"
                              << "11/2023"
                              << "'00/2020' Não é uma data válida.";
    QTest::newRow("two-digit year") << "12/20"
                                    << "11/2023"
                                    << "'12/20' Não é uma data válida.";
    QTest::newRow("no month") << "/2020"
                              << "11/2023"
                              << "'/2020' Não é uma data válida.";
    QTest::newRow("cleared: only the slash") << "/"
                                             << ""
                                             << "";
    QTest::newRow("cleared: mask blanks") << "  /    "
                                          << ""
                                          << "";
}

void tst_CompetenciaList::monthEntry() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, error);

    load({{"11/2023", "P", 0, "C1", ""}});
    m_fx.form->cdsCIAP->Edit();
    const bool ok = runGuarded([&] { m_fx.form->cdsCIAPCOMPETENCIA->SetText(typed); });

    QCOMPARE(ok, error.isEmpty());
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->AsString(), stored);
    // Only the text: the date and the keys are filled on saving.
    QVERIFY(m_fx.form->cdsCIAPDTCOMPETECIAP->IsNull());
}

void tst_CompetenciaList::monthEntryThroughGrid() {
    load({{"11/2023", "P", 0, "C1", ""}});
    m_fx.form->dbgPadrao->SetOption(TDBGrid::dgEditing, true);
    QAbstractItemModel* model = m_fx.form->dbgPadrao->model();
    const QModelIndex cell = model->index(0, column("COMPETENCIA"));

    QVERIFY(!model->setData(cell, QStringLiteral("13/2020"), Qt::EditRole));
    QCOMPARE(m_fx.dialogs.errors(), QStringList{"'13/2020' Não é uma data válida."});
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->AsString(), QStringLiteral("11/2023"));

    QVERIFY(model->setData(cell, QStringLiteral("3/2020"), Qt::EditRole));
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->AsString(), QStringLiteral("03/2020"));
}

// ---- Row change

void tst_CompetenciaList::rowChange() {
    load({{"01/2024", "P", 0, "C1", ""}, {"02/2024", "A", 0, "C2", ""}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);

    // First tab: the command state follows the row, the assets are not asked for.
    m_fx.form->cdsCIAP->Next();
    QVERIFY(m_fx.form->btnCancelar->isEnabled());
    m_fx.form->cdsCIAP->Prior();
    QVERIFY(!m_fx.form->btnCancelar->isEnabled());
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getBensComp")).size(), 0);

    // Second tab: each row change loads the assets of the new competência.
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshBensComp);
    m_fx.form->cdsCIAP->Next();
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getBensComp")).size(), 1);
    QCOMPARE(
        m_fx.server.callsTo(QStringLiteral("getBensComp")).constFirst().params.at(0).toString(),
        QStringLiteral("02/2024"));
    QVERIFY(m_fx.form->btnCancelar->isEnabled());
    QVERIFY(m_fx.dialogs.errors().isEmpty());
}

// ---- Grid

void tst_CompetenciaList::columnEditability_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<DataSetState>("state");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<double>("items");
    QTest::addColumn<bool>("editable");

    const auto B = DataSetState::Browse;
    const auto E = DataSetState::Edit;
    const auto I = DataSetState::Insert;
    QTest::newRow("coefficient") << "VRCOEFICIAP" << B << "P" << 0.0 << false;
    QTest::newRow("balance, inserting") << "VRSALDOPARCCIAP" << I << "" << 0.0 << false;
    QTest::newRow("credit") << "VRCREDAPROPCIAP" << E << "P" << 0.0 << false;
    QTest::newRow("situation") << "IDSITCOMPETCIAP" << B << "" << 0.0 << false;
    QTest::newRow("total, pending") << "VRSAIDACIAP" << B << "P" << 2.0 << true;
    QTest::newRow("total, no situation") << "VRSAIDACIAP" << B << "" << 0.0 << true;
    QTest::newRow("total, appropriated") << "VRSAIDACIAP" << B << "A" << 0.0 << false;
    QTest::newRow("total, lower-case p") << "VRSAIDACIAP" << B << "p" << 0.0 << false;
    QTest::newRow("taxed, pending, editing") << "VRSAIDATRIBCIAP" << E << "P" << 1.0 << true;
    QTest::newRow("taxed, appropriated, editing") << "VRSAIDATRIBCIAP" << E << "A" << 0.0 << false;
    QTest::newRow("month, new row") << "COMPETENCIA" << I << "" << 0.0 << true;
    QTest::newRow("month, stored row without items") << "COMPETENCIA" << B << "P" << 0.0 << true;
    QTest::newRow("month, stored row with items") << "COMPETENCIA" << B << "P" << 3.0 << false;
    QTest::newRow("month, negative items") << "COMPETENCIA" << B << "P" << -1.0 << false;
    QTest::newRow("month, editing") << "COMPETENCIA" << E << "P" << 0.0 << false;
    QTest::newRow("registration, without items") << "CDINSCESTA" << B << "A" << 0.0 << true;
    QTest::newRow("registration, editing") << "CDINSCESTA" << E << "P" << 0.0 << false;
}

void tst_CompetenciaList::columnEditability() {
    QFETCH(QString, field);
    QFETCH(DataSetState, state);
    QFETCH(QString, situation);
    QFETCH(double, items);
    QFETCH(bool, editable);

    load({{"01/2024", situation, items, "C1", "110042490114"}});
    TDBGrid* grid = m_fx.form->dbgPadrao;
    const int target = column(field.toLatin1().constData());
    // Start from a column whose exit does nothing, and with the opposite setting.
    grid->SetSelectedIndex(target == column("IDSITCOMPETCIAP") ? column("VRCOEFICIAP")
                                                               : column("IDSITCOMPETCIAP"));
    if (state == DataSetState::Edit)
        m_fx.form->cdsCIAP->Edit();
    else if (state == DataSetState::Insert)
        m_fx.form->cdsCIAP->Insert();
    grid->SetOption(TDBGrid::dgEditing, !editable);

    grid->SetSelectedIndex(target);

    QCOMPARE(grid->SelectedIndex(), target);
    QCOMPARE(m_fx.form->cdsCIAP->State(), state);
    QCOMPARE(grid->HasOption(TDBGrid::dgEditing), editable);
    QCOMPARE(m_fx.server.callCount(), 0);
}

void tst_CompetenciaList::leavingRegistrationColumn_data() {
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QStringList>("answer");
    QTest::addColumn<bool>("called");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("stored");

    QTest::newRow("unregistered") << true << "x1" << QStringList() << true
                                  << "Inscrição Estadual não cadastrada"
                                  << "x1";
    QTest::newRow("respelled") << true << "ie-a" << QStringList{"IE-A"} << true << ""
                               << "IE-A";
    QTest::newRow("empty: checked on saving") << true << "" << QStringList() << false << ""
                                              << "";
    QTest::newRow("browsing: nothing") << false << "x1" << QStringList() << false << ""
                                       << "x1";
}

void tst_CompetenciaList::leavingRegistrationColumn() {
    QFETCH(bool, editing);
    QFETCH(QString, value);
    QFETCH(QStringList, answer);
    QFETCH(bool, called);
    QFETCH(QString, error);
    QFETCH(QString, stored);

    load({{"01/2024", "P", 0, "C1", value}});
    TDBGrid* grid = m_fx.form->dbgPadrao;
    const int registration = column("CDINSCESTA");
    grid->SetSelectedIndex(registration);
    if (editing)
        m_fx.form->cdsCIAP->Edit();
    m_fx.server.enqueueResult(QStringLiteral("getInscEsta"), registrations(answer));

    grid->SetSelectedIndex(column("VRSAIDACIAP"));

    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), called ? 1 : 0);
    if (called)
        QCOMPARE(calls.constFirst().params, (QJsonArray{fixture::Company, "", value}));
    QCOMPARE(m_fx.dialogs.errors(), error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(m_fx.form->cdsCIAPCDINSCESTA->AsString(), stored);
    // A refused registration keeps the user in its column.
    QCOMPARE(grid->SelectedIndex(), error.isEmpty() ? column("VRSAIDACIAP") : registration);
}

void tst_CompetenciaList::registrationEllipsis_data() {
    QTest::addColumn<DataSetState>("state");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("pick");
    QTest::addColumn<bool>("serverError");
    QTest::addColumn<QString>("stored");

    const auto B = DataSetState::Browse;
    const auto E = DataSetState::Edit;
    const auto I = DataSetState::Insert;
    QTest::newRow("browsing: nothing") << B << "CDINSCESTA" << 0 << false << "antes";
    QTest::newRow("other column: nothing") << E << "COMPETENCIA" << 0 << false << "antes";
    QTest::newRow("editing, picked") << E << "CDINSCESTA" << 1 << false << "110042490122";
    QTest::newRow("inserting, picked") << I << "CDINSCESTA" << 0 << false << "110042490114";
    QTest::newRow("editing, dismissed") << E << "CDINSCESTA" << -1 << false << "antes";
    QTest::newRow("server error") << E << "CDINSCESTA" << 0 << true << "antes";
}

void tst_CompetenciaList::registrationEllipsis() {
    QFETCH(DataSetState, state);
    QFETCH(QString, field);
    QFETCH(int, pick);
    QFETCH(bool, serverError);
    QFETCH(QString, stored);

    load({{"01/2024", "P", 0, "C1", "antes"}});
    TDBGrid* grid = m_fx.form->dbgPadrao;
    grid->SetSelectedIndex(column(field.toLatin1().constData()));
    if (state == DataSetState::Edit)
        m_fx.form->cdsCIAP->Edit();
    if (state == DataSetState::Insert) {
        m_fx.form->cdsCIAP->Insert();
        m_fx.form->cdsCIAPCDINSCESTA->SetAsString(QStringLiteral("antes"));
    }
    if (serverError)
        m_fx.server.enqueueError(QStringLiteral("getInscEsta"), -32000,
                                 QStringLiteral("Sem rede."));
    else
        m_fx.server.enqueueResult(QStringLiteral("getInscEsta"),
                                  registrations({"110042490114", "110042490122"}));
    m_fx.dialogs.enqueuePick(pick);

    grid->EditButtonClick();

    const bool acts = state != DataSetState::Browse && field == QLatin1String("CDINSCESTA");
    const QList<ScriptedServer::Call> calls = m_fx.server.callsTo(QStringLiteral("getInscEsta"));
    QCOMPARE(calls.size(), acts ? 1 : 0);
    if (acts)
        QCOMPARE(calls.constFirst().params, (QJsonArray{fixture::Company, "T", ""}));
    QCOMPARE(m_fx.dialogs.pickTitles,
             acts && !serverError
                 ? QStringList{"inscrição Estadual|Não há Incrição Estadual cadastrada"}
                 : QStringList());
    QCOMPARE(m_fx.dialogs.errors(), serverError ? QStringList{"Sem rede."} : QStringList());
    QCOMPARE(m_fx.form->cdsCIAPCDINSCESTA->AsString(), stored);
    QCOMPARE(m_fx.form->cdsCIAP->State(), state);
}

QTEST_MAIN(tst_CompetenciaList)
#include "tst_competencialist.moc"
