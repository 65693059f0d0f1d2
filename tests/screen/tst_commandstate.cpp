#include "HostServices.h"
#include "ScreenFixture.h"
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
    void insertStartsAtTheMonth();
    void tabChangeRelinks();
    void menuItemsSwitchTabs();
    void codeSettingPageDoesNotRelink();
    void checkMarksFollowPage();

private:
    void loadCompetencias(const QList<QPair<QString, double>>& rows);
    void loadAssets(int count);
    QString flags() const;

    ScreenFixture m_fx;
};

void tst_CommandState::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Shown), qPrintable(m_fx.error));
    // The command state is what is under test: the reloads that follow a cancel stay out.
    m_fx.form->cdsCIAP->AfterCancel = nullptr;
    m_fx.form->cdsBensComp->AfterCancel = nullptr;
    // Switching tabs reloads the list of the new tab.
    QList<QVariantList> pending;
    QVariantList row(m_fx.form->cdsCIAP->FieldCount());
    row[m_fx.form->cdsCIAPCOMPETENCIA->Index()] = QStringLiteral("03/2024");
    row[m_fx.form->cdsCIAPIDSITCOMPETCIAP->Index()] = QStringLiteral("P");
    row[m_fx.form->cdsCIAPITEMEXISTE->Index()] = 1.0;
    row[m_fx.form->cdsCIAPLOCATE->Index()] = QStringLiteral("C1");
    pending.append(row);
    m_fx.server.setDefault(QStringLiteral("getCIAP"),
                           ScriptedServer::packet(m_fx.form->cdsCIAP->FieldDefs(), pending));
    m_fx.server.setDefault(QStringLiteral("getBensComp"),
                           ScriptedServer::packet(m_fx.form->cdsBensComp->FieldDefs(), {}));
}

void tst_CommandState::cleanupTestCase() {
    m_fx.stop();
}

void tst_CommandState::init() {
    m_fx.form->dtsPadrao->SetDataSet(nullptr);
    for (TClientDataSet* ds : {m_fx.form->cdsCIAP, m_fx.form->cdsBensComp}) {
        if (ds->State() == DataSetState::Edit || ds->State() == DataSetState::Insert)
            ds->Cancel();
        ds->Close();
    }
    m_fx.form->pgcPadrao->SetSheetEnabled(m_fx.form->tshPadrao, true);
    m_fx.form->pgcPadrao->SetSheetEnabled(m_fx.form->tshBensComp, true);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
    SetChildEnabled(m_fx.form->panEmpresa, true);
    // The data sets are driven directly here: no control holds the focus, so no filter
    // panel enter or exit takes part.
    if (QWidget* focused = QApplication::focusWidget())
        focused->clearFocus();
    m_fx.dialogs.clear();
}

void tst_CommandState::loadCompetencias(const QList<QPair<QString, double>>& rows) {
    ciap::DataPacket packet;
    packet.fields = m_fx.form->cdsCIAP->FieldDefs();
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
    m_fx.form->cdsCIAP->SetData(packet);
}

void tst_CommandState::loadAssets(int count) {
    ciap::DataPacket packet;
    packet.fields = m_fx.form->cdsBensComp->FieldDefs();
    const int code = packet.indexOf(QStringLiteral("CDBEMATIVO"));
    for (int i = 0; i < count; ++i) {
        QVariantList values(packet.fields.size());
        values[code] = QStringLiteral("%1").arg(i + 1, 10, 10, QLatin1Char('0'));
        packet.rows.append(values);
    }
    m_fx.form->cdsBensComp->SetData(packet);
}

// sbtOK sbtCarregar btnCancelar | Incluir Alterar Excluir Auxiliar Verificar Gravar Desfazer |
// tshPadrao tshBensComp | filter panel
QString tst_CommandState::flags() const {
    const TfrmCIAP* f = m_fx.form;
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
    TClientDataSet* set =
        linked == QLatin1String("bens") ? m_fx.form->cdsBensComp : m_fx.form->cdsCIAP;
    m_fx.form->dtsPadrao->SetDataSet(set);
    if (action == QLatin1String("edit"))
        set->Edit();
    else if (action == QLatin1String("insert"))
        set->Insert();
    // The state change of the linked set ran the routine; running it again changes nothing.
    const QString fromEvent = flags();
    m_fx.form->HabilitaBotao();
    QCOMPARE(flags(), expected);
    QCOMPARE(fromEvent, expected);
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), hint);

    // Every menu twin follows its button, the tab items their tabs.
    for (QToolButton* b : {m_fx.form->sbtIncluir, m_fx.form->sbtAlterar, m_fx.form->sbtExcluir,
                           m_fx.form->sbtAuxiliar, m_fx.form->sbtVerificar, m_fx.form->sbtGravar,
                           m_fx.form->sbtDesfazer})
        QCOMPARE(m_fx.form->menuTwin(b)->isEnabled(), b->isEnabled());
    QCOMPARE(m_fx.form->mnuCompetencia->isEnabled(),
             m_fx.form->pgcPadrao->SheetEnabled(m_fx.form->tshPadrao));
    QCOMPARE(m_fx.form->mnuBensComp->isEnabled(),
             m_fx.form->pgcPadrao->SheetEnabled(m_fx.form->tshBensComp));
    // The filter panel goes on and off as a whole; the name edits stay read-only.
    for (QWidget* w : {static_cast<QWidget*>(m_fx.form->edtCdImposto),
                       static_cast<QWidget*>(m_fx.form->depInicial),
                       static_cast<QWidget*>(m_fx.form->dbeInscEsta)})
        QCOMPARE(w->isEnabled(), m_fx.form->edtCdEmpresa->isEnabled());
    QVERIFY(!m_fx.form->edtNmEmpresa->isEnabled());
    if (linked == QLatin1String("bens"))
        QVERIFY(!m_fx.form->dbgBensComp->HasOption(TDBGrid::dgEditing));
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_CommandState::noLinkedSetKeepsHintAndPanel() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    loadAssets(1);
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsBensComp);
    m_fx.form->cdsBensComp->Edit(); // the panel goes off
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    m_fx.form->cdsBensComp->Cancel();
    m_fx.form->dbgPadrao->SetOption(TDBGrid::dgEditing, false);
    m_fx.form->dbgBensComp->SetOption(TDBGrid::dgEditing, true);
    SetChildEnabled(m_fx.form->panEmpresa, false);

    m_fx.form->dtsPadrao->SetDataSet(nullptr);
    QCOMPARE(flags(), QStringLiteral("0000000000100"));
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));
    QVERIFY(!m_fx.form->edtCdEmpresa->isEnabled()); // unchanged
    QVERIFY(!m_fx.form->dbgPadrao->HasOption(TDBGrid::dgEditing));
    QVERIFY(m_fx.form->dbgBensComp->HasOption(TDBGrid::dgEditing));
    QVERIFY(!m_fx.form->mnuBensComp->isEnabled());
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
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    m_fx.form->dbgPadrao->SetSelectedField(m_fx.form->cdsCIAP->FieldByName(field));
    QCOMPARE(m_fx.form->dbgPadrao->SelectedField()->FieldName(), field);
    if (action == QLatin1String("edit"))
        m_fx.form->cdsCIAP->Edit();
    else if (action == QLatin1String("insert"))
        m_fx.form->cdsCIAP->Insert();
    QCOMPARE(m_fx.form->dbgPadraoColumnEditable(field), editable);
    m_fx.form->HabilitaBotao();
    QCOMPARE(m_fx.form->dbgPadrao->HasOption(TDBGrid::dgEditing), editable);
}

// A new row is typed from its month on, wherever the cell cursor was.
void tst_CommandState::insertStartsAtTheMonth() {
    loadCompetencias({{QStringLiteral("P"), 0}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    m_fx.form->dbgPadrao->SetSelectedField(m_fx.form->cdsCIAPVRSAIDATRIBCIAP);
    m_fx.form->sbtIncluir->click();
    QCOMPARE(m_fx.form->cdsCIAP->State(), DataSetState::Insert);
    QCOMPARE(m_fx.form->dbgPadrao->SelectedField(), m_fx.form->cdsCIAPCOMPETENCIA);
}

void tst_CommandState::tabChangeRelinks() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    QVERIFY(m_fx.form->pgcPadrao->SheetEnabled(m_fx.form->tshBensComp));

    // A click on the tab, as the user does it.
    QTabBar* bar = m_fx.form->pgcPadrao->tabBar();
    const int bens = m_fx.form->pgcPadrao->indexOf(m_fx.form->tshBensComp);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(bens).center());
    QCOMPARE(m_fx.form->pgcPadrao->ActivePage(), m_fx.form->tshBensComp);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsBensComp);
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Carregar Bens Parcelados"));

    const int padrao = m_fx.form->pgcPadrao->indexOf(m_fx.form->tshPadrao);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(padrao).center());
    QCOMPARE(m_fx.form->pgcPadrao->ActivePage(), m_fx.form->tshPadrao);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
    QCOMPARE(m_fx.form->sbtCarregar->toolTip(), QStringLiteral("Calcular Coeficiente"));
    QCOMPARE(m_fx.server.callsTo(QStringLiteral("getBensComp")).size(), 1);
    QVERIFY(m_fx.server.callsTo(QStringLiteral("getCIAP")).size() >= 1);
    QVERIFY(m_fx.dialogs.entries.isEmpty());
}

void tst_CommandState::menuItemsSwitchTabs() {
    loadCompetencias({{QStringLiteral("A"), 1}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    QVERIFY(m_fx.form->mnuBensComp->isEnabled());
    m_fx.form->mnuBensComp->trigger();
    QCOMPARE(m_fx.form->pgcPadrao->ActivePage(), m_fx.form->tshBensComp);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsBensComp);
    m_fx.form->mnuCompetencia->trigger();
    QCOMPARE(m_fx.form->pgcPadrao->ActivePage(), m_fx.form->tshPadrao);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
}

void tst_CommandState::codeSettingPageDoesNotRelink() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshBensComp);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), m_fx.form->cdsCIAP);
}

void tst_CommandState::checkMarksFollowPage() {
    loadCompetencias({{QStringLiteral("P"), 1}});
    m_fx.form->dtsPadrao->SetDataSet(m_fx.form->cdsCIAP);
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshBensComp);
    QVERIFY(m_fx.form->mnuBensComp->isChecked());
    QVERIFY(!m_fx.form->mnuCompetencia->isChecked());
    m_fx.form->pgcPadrao->SetActivePage(m_fx.form->tshPadrao);
    QVERIFY(m_fx.form->mnuCompetencia->isChecked());
    QVERIFY(!m_fx.form->mnuBensComp->isChecked());

    // A change of any menu item sets both marks afresh.
    m_fx.form->mnuCompetencia->setChecked(false);
    m_fx.form->mnuBensComp->setChecked(true);
    m_fx.form->mnuIncluir->setEnabled(!m_fx.form->mnuIncluir->isEnabled());
    QVERIFY(m_fx.form->mnuCompetencia->isChecked());
    QVERIFY(!m_fx.form->mnuBensComp->isChecked());
}

QTEST_MAIN(tst_CommandState)
#include "tst_commandstate.moc"
