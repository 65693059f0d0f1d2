#include "HostServices.h"
#include "RecordingDialogService.h"
#include "ScriptedServer.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMessages.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

// The command state: what the user may use for each linked data set, its state, its rows and
// the situation and items of the current competência.
class tst_CommandState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void table_data();
    void table();
    void noLinkedSetKeepsHintAndPanel();
    void columnEditing_data();
    void columnEditing();
    void tabChangeRelinks();
    void menuItemsSwitchTabs();
    void codeSettingPageDoesNotRelink();
    void checkMarksFollowPage();

private:
    void loadCompetencias(const QList<QPair<QString, double>>& rows);
    void loadAssets(int count);
    QString flags() const;

    RecordingDialogService m_dialogs;
    ScriptedServer m_server;
    TfrmCIAP* m_form = nullptr;
};

void tst_CommandState::initTestCase() {
    DialogService::setInstance(&m_dialogs);
    QVERIFY(m_server.listen());
    setWebServer(m_server.host(), m_server.port());
    m_form = TfrmPadraoGrid::Create<TfrmCIAP>();
    m_form->show();
    // The command state is what is under test: the reloads that follow a cancel stay out.
    m_form->cdsCIAP->AfterCancel = nullptr;
    m_form->cdsBensComp->AfterCancel = nullptr;
    // Switching tabs reloads the list of the new tab.
    QList<QVariantList> pending;
    QVariantList row(m_form->cdsCIAP->FieldCount());
    row[m_form->cdsCIAPCOMPETENCIA->Index()] = QStringLiteral("03/2024");
    row[m_form->cdsCIAPIDSITCOMPETCIAP->Index()] = QStringLiteral("P");
    row[m_form->cdsCIAPITEMEXISTE->Index()] = 1.0;
    row[m_form->cdsCIAPLOCATE->Index()] = QStringLiteral("C1");
    pending.append(row);
    m_server.setDefault(QStringLiteral("getCIAP"),
                        ScriptedServer::packet(m_form->cdsCIAP->FieldDefs(), pending));
    m_server.setDefault(QStringLiteral("getBensComp"),
                        ScriptedServer::packet(m_form->cdsBensComp->FieldDefs(), {}));
}

void tst_CommandState::cleanupTestCase() {
    delete m_form;
    DialogService::setInstance(nullptr);
}

void tst_CommandState::init() {
    m_form->dtsPadrao->SetDataSet(nullptr);
    for (TClientDataSet* ds : {m_form->cdsCIAP, m_form->cdsBensComp}) {
        if (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)
            ds->Cancel();
        ds->Close();
    }
    m_form->pgcPadrao->SetSheetEnabled(m_form->tshPadrao, true);
    m_form->pgcPadrao->SetSheetEnabled(m_form->tshBensComp, true);
    m_form->pgcPadrao->SetActivePage(m_form->tshPadrao);
    SetChildEnabled(m_form->panEmpresa, true);
    // The data sets are driven directly here: no control holds the focus, so no filter
    // panel enter or exit takes part.
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    m_dialogs.clear();
}

void tst_CommandState::loadCompetencias(const QList<QPair<QString, double>>& rows) {
    ciap::DataPacket packet;
    packet.fields = m_form->cdsCIAP->FieldDefs();
    const int sit = packet.indexOf(QStringLiteral("IDSITCOMPETCIAP"));
    const int items = packet.indexOf(QStringLiteral("ITEMEXISTE"));
    const int month = packet.indexOf(QStringLiteral("COMPETENCIA"));
    int n = 0;
    for (const auto& row : rows) {
        QVariantList values(packet.fields.size());
        values[sit] = row.first;
        values[items] = row.second;
        values[month] = QStringLiteral("%1/2024").arg(++n, 2, 10, QLatin1Char('0'));
        packet.rows.append(values);
    }
    m_form->cdsCIAP->SetData(packet);
}

void tst_CommandState::loadAssets(int count) {
    ciap::DataPacket packet;
    packet.fields = m_form->cdsBensComp->FieldDefs();
    const int code = packet.indexOf(QStringLiteral("CDBEMATIVO"));
    for (int i = 0; i < count; ++i) {
        QVariantList values(packet.fields.size());
        values[code] = QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'));
        packet.rows.append(values);
    }
    m_form->cdsBensComp->SetData(packet);
}

// sbtOK sbtCarregar btnCancelar | Incluir Alterar Excluir Auxiliar Verificar Gravar Desfazer |
// tshPadrao tshBensComp | filter panel
QString tst_CommandState::flags() const {
    const TfrmCIAP* f = m_form;
    QString out;
    for (const QToolButton* b :
         {f->sbtOK, f->sbtCarregar, f->btnCancelar, f->sbtIncluir, f->sbtAlterar, f->sbtExcluir,
          f->sbtAuxiliar, f->sbtVerificar, f->sbtGravar, f->sbtDesfazer})
        out += b->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    out += f->pgcPadrao->SheetEnabled(f->tshPadrao) ? QLatin1Char('1') : QLatin1Char('0');
    out += f->pgcPadrao->SheetEnabled(f->tshBensComp) ? QLatin1Char('1') : QLatin1Char('0');
    out += f->edtCdEmpresa->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

void tst_CommandState::table_data() {
    QTest::addColumn<QString>("linked");      // ciap, bens, closed
    QTest::addColumn<QString>("situations");  // one letter per competência, '-' = empty
    QTest::addColumn<QList<double>>("items"); // per competência
    QTest::addColumn<int>("assets");          // -1: closed
    QTest::addColumn<QString>("action");      // "", edit, insert
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("hint");

    using L = QList<double>;
    const QString calc = QStringLiteral("Calcular Coeficiente");
    const QString carr = QStringLiteral("Carregar Bens Parcelados");
    //                                                                      OK Ca Cn In Al Ex Au Ve
    //                                                                      Gr De tP tB pan
    QTest::newRow("competencias, empty list") << "ciap"
                                              << "" << L{} << -1 << ""
                                              << "0001000000101" << calc;
    QTest::newRow("pending with items") << "ciap"
                                        << "P" << L{2} << -1 << ""
                                        << "1001011100111" << calc;
    QTest::newRow("pending without items") << "ciap"
                                           << "P" << L{0} << -1 << ""
                                           << "0001111100111" << calc;
    QTest::newRow("negative items") << "ciap"
                                    << "P" << L{-1} << -1 << ""
                                    << "0001011100111" << calc;
    QTest::newRow("appropriated") << "ciap"
                                  << "A" << L{3} << -1 << ""
                                  << "0011001100111" << calc;
    QTest::newRow("appropriated without items") << "ciap"
                                                << "A" << L{0} << -1 << ""
                                                << "0011101100111" << calc;
    QTest::newRow("situation in lower case") << "ciap"
                                             << "p" << L{1} << -1 << ""
                                             << "0001001100111" << calc;
    QTest::newRow("empty situation") << "ciap"
                                     << "-" << L{0} << -1 << ""
                                     << "0001101100111" << calc;
    QTest::newRow("editing a pending one") << "ciap"
                                           << "PA" << L{0, 1} << -1 << "edit"
                                           << "0000000011100" << calc;
    QTest::newRow("editing an appropriated one") << "ciap"
                                                 << "AP" << L{1, 0} << -1 << "edit"
                                                 << "0010000011100" << calc;
    QTest::newRow("inserting") << "ciap"
                               << "A" << L{1} << -1 << "insert"
                               << "0000000011100" << calc;
    QTest::newRow("inserting into an empty list") << "ciap"
                                                  << "" << L{} << -1 << "insert"
                                                  << "0000000011100" << calc;
    QTest::newRow("list linked but not loaded") << "closed"
                                                << "" << L{} << -1 << ""
                                                << "0000000000100" << calc;
    QTest::newRow("assets, pending, none") << "bens"
                                           << "P" << L{1} << 0 << ""
                                           << "0100000000111" << carr;
    QTest::newRow("assets, pending, some") << "bens"
                                           << "P" << L{1} << 2 << ""
                                           << "0100011100111" << carr;
    QTest::newRow("assets, appropriated") << "bens"
                                          << "A" << L{1} << 2 << ""
                                          << "0000001100111" << carr;
    QTest::newRow("assets, appropriated, none") << "bens"
                                                << "A" << L{1} << 0 << ""
                                                << "0000000000111" << carr;
    QTest::newRow("asset being edited") << "bens"
                                        << "P" << L{1} << 2 << "edit"
                                        << "0000000011010" << carr;
    QTest::newRow("asset being inserted") << "bens"
                                          << "P" << L{1} << 0 << "insert"
                                          << "0000000011010" << carr;
}

void tst_CommandState::table() {
    QFETCH(QString, linked);
    QFETCH(QString, situations);
    QFETCH(QList<double>, items);
    QFETCH(int, assets);
    QFETCH(QString, action);
    QFETCH(QString, expected);
    QFETCH(QString, hint);

    QList<QPair<QString, double>> rows;
    for (int i = 0; i < situations.size(); ++i) {
        const QString s = situations.at(i) == QLatin1Char('-') ? QString() : situations.mid(i, 1);
        rows.append({s, items.value(i)});
    }
    if (linked != QLatin1String("closed"))
        loadCompetencias(rows);
    if (assets >= 0)
        loadAssets(assets);
    TClientDataSet* set = linked == QLatin1String("bens") ? m_form->cdsBensComp : m_form->cdsCIAP;
    m_form->dtsPadrao->SetDataSet(set);
    if (action == QLatin1String("edit"))
        set->Edit();
    else if (action == QLatin1String("insert"))
        set->Insert();
    // The state change of the linked set ran the routine; running it again changes nothing.
    const QString fromEvent = flags();
    m_form->HabilitaBotao();
    QCOMPARE(flags(), expected);
    QCOMPARE(fromEvent, expected);
    QCOMPARE(m_form->sbtCarregar->toolTip(), hint);

    // Every menu twin follows its button, the tab items their tabs.
    for (QToolButton* b :
         {m_form->sbtIncluir, m_form->sbtAlterar, m_form->sbtExcluir, m_form->sbtAuxiliar,
          m_form->sbtVerificar, m_form->sbtGravar, m_form->sbtDesfazer})
        QCOMPARE(m_form->menuTwin(b)->isEnabled(), b->isEnabled());
    QCOMPARE(m_form->mnuCompetencia->isEnabled(),
             m_form->pgcPadrao->SheetEnabled(m_form->tshPadrao));
    QCOMPARE(m_form->mnuBensComp->isEnabled(),
             m_form->pgcPadrao->SheetEnabled(m_form->tshBensComp));
    // The filter panel goes on and off as a whole; the name edits stay read-only.
    for (QWidget* w :
         {static_cast<QWidget*>(m_form->edtCdImposto), static_cast<QWidget*>(m_form->depInicial),
          static_cast<QWidget*>(m_form->dbeInscEsta)})
        QCOMPARE(w->isEnabled(), m_form->edtCdEmpresa->isEnabled());
    QVERIFY(!m_form->edtNmEmpresa->isEnabled());
    if (linked == QLatin1String("bens"))
        QVERIFY(!m_form->dbgBensComp->HasOption(TDBGrid::dgEditing));
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_CommandState::noLinkedSetKeepsHintAndPanel() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    loadAssets(1);
    m_form->dtsPadrao->SetDataSet(m_form->cdsBensComp);
    m_form->cdsBensComp->Edit(); // the panel goes off
    QCOMPARE(m_form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    m_form->cdsBensComp->Cancel();
    m_form->dbgPadrao->SetOption(TDBGrid::dgEditing, false);
    m_form->dbgBensComp->SetOption(TDBGrid::dgEditing, true);
    SetChildEnabled(m_form->panEmpresa, false);

    m_form->dtsPadrao->SetDataSet(nullptr);
    QCOMPARE(flags(), QStringLiteral("0000000000100"));
    QCOMPARE(m_form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    QVERIFY(!m_form->edtCdEmpresa->isEnabled()); // unchanged
    QVERIFY(!m_form->dbgPadrao->HasOption(TDBGrid::dgEditing));
    QVERIFY(m_form->dbgBensComp->HasOption(TDBGrid::dgEditing));
    QVERIFY(!m_form->mnuBensComp->isEnabled());
}

void tst_CommandState::columnEditing_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<double>("items");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("editable");

    for (const char* f : {"VRCOEFICIAP", "VRSALDOPARCCIAP", "VRCREDAPROPCIAP", "IDSITCOMPETCIAP"}) {
        QTest::addRow("%s pending", f) << f << "P" << 0.0 << "" << false;
        QTest::addRow("%s inserting", f) << f << "P" << 0.0 << "insert" << false;
    }
    for (const char* f : {"VRSAIDACIAP", "VRSAIDATRIBCIAP"}) {
        QTest::addRow("%s pending", f) << f << "P" << 2.0 << "" << true;
        QTest::addRow("%s appropriated", f) << f << "A" << 0.0 << "" << false;
        QTest::addRow("%s no situation", f) << f << "" << 0.0 << "" << true;
        QTest::addRow("%s pending, editing", f) << f << "P" << 0.0 << "edit" << true;
        // A new row has no situation until its after-insert handler gives it one.
        QTest::addRow("%s new row", f) << f << "A" << 0.0 << "insert" << true;
    }
    for (const char* f : {"COMPETENCIA", "CDINSCESTA"}) {
        QTest::addRow("%s new row", f) << f << "A" << 3.0 << "insert" << true;
        QTest::addRow("%s stored, no items", f) << f << "P" << 0.0 << "" << true;
        QTest::addRow("%s stored, items", f) << f << "P" << 1.0 << "" << false;
        QTest::addRow("%s stored, negative items", f) << f << "P" << -1.0 << "" << false;
        QTest::addRow("%s editing", f) << f << "P" << 0.0 << "edit" << false;
    }
}

void tst_CommandState::columnEditing() {
    QFETCH(QString, field);
    QFETCH(QString, situation);
    QFETCH(double, items);
    QFETCH(QString, action);
    QFETCH(bool, editable);

    loadCompetencias({{situation, items}});
    m_form->dtsPadrao->SetDataSet(m_form->cdsCIAP);
    m_form->dbgPadrao->SetSelectedField(m_form->cdsCIAP->FieldByName(field));
    QCOMPARE(m_form->dbgPadrao->SelectedField()->FieldName(), field);
    if (action == QLatin1String("edit"))
        m_form->cdsCIAP->Edit();
    else if (action == QLatin1String("insert"))
        m_form->cdsCIAP->Insert();
    QCOMPARE(m_form->dbgPadraoColumnEditable(field), editable);
    m_form->HabilitaBotao();
    QCOMPARE(m_form->dbgPadrao->HasOption(TDBGrid::dgEditing), editable);
}

void tst_CommandState::tabChangeRelinks() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_form->dtsPadrao->SetDataSet(m_form->cdsCIAP);
    QVERIFY(m_form->pgcPadrao->SheetEnabled(m_form->tshBensComp));

    // A click on the tab, as the user does it.
    QTabBar* bar = m_form->pgcPadrao->tabBar();
    const int bens = m_form->pgcPadrao->indexOf(m_form->tshBensComp);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(bens).center());
    QCOMPARE(m_form->pgcPadrao->ActivePage(), m_form->tshBensComp);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsBensComp);
    QCOMPARE(m_form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));

    const int padrao = m_form->pgcPadrao->indexOf(m_form->tshPadrao);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(padrao).center());
    QCOMPARE(m_form->pgcPadrao->ActivePage(), m_form->tshPadrao);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
    QCOMPARE(m_form->sbtCarregar->toolTip(), QStringLiteral("Calcular Coeficiente"));
    QCOMPARE(m_server.callsTo(QStringLiteral("getBensComp")).size(), 1);
    QVERIFY(m_server.callsTo(QStringLiteral("getCIAP")).size() >= 1);
    QVERIFY(m_dialogs.entries.isEmpty());
}

void tst_CommandState::menuItemsSwitchTabs() {
    loadCompetencias({{QStringLiteral("A"), 1}});
    m_form->dtsPadrao->SetDataSet(m_form->cdsCIAP);
    QVERIFY(m_form->mnuBensComp->isEnabled());
    m_form->mnuBensComp->trigger();
    QCOMPARE(m_form->pgcPadrao->ActivePage(), m_form->tshBensComp);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsBensComp);
    m_form->mnuCompetencia->trigger();
    QCOMPARE(m_form->pgcPadrao->ActivePage(), m_form->tshPadrao);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
}

void tst_CommandState::codeSettingPageDoesNotRelink() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_form->dtsPadrao->SetDataSet(m_form->cdsCIAP);
    m_form->pgcPadrao->SetActivePage(m_form->tshBensComp);
    QCOMPARE(m_form->dtsPadrao->DataSet(), m_form->cdsCIAP);
}

void tst_CommandState::checkMarksFollowPage() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_form->dtsPadrao->SetDataSet(m_form->cdsCIAP);
    m_form->pgcPadrao->SetActivePage(m_form->tshBensComp);
    QVERIFY(m_form->mnuBensComp->isChecked());
    QVERIFY(!m_form->mnuCompetencia->isChecked());
    m_form->pgcPadrao->SetActivePage(m_form->tshPadrao);
    QVERIFY(m_form->mnuCompetencia->isChecked());
    QVERIFY(!m_form->mnuBensComp->isChecked());

    // A change of any menu item sets both marks afresh.
    m_form->mnuCompetencia->setChecked(false);
    m_form->mnuBensComp->setChecked(true);
    m_form->mnuIncluir->setEnabled(!m_form->mnuIncluir->isEnabled());
    QVERIFY(m_form->mnuCompetencia->isChecked());
    QVERIFY(!m_form->mnuBensComp->isChecked());
}

QTEST_MAIN(tst_CommandState)
#include "tst_commandstate.moc"
