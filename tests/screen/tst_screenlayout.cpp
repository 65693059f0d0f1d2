#include "HostServices.h"
#include "ScreenFixture.h"
#include "TADOIBQuery.h"
#include "TBtnPesquisa.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDBGridDelegate.h"
#include "TDBNavigator.h"
#include "TDBText.h"
#include "TDataSource.h"
#include "TDateEditPlus.h"
#include "TMessages.h"
#include "TNetConnection.h"
#include "TPageControl.h"
#include "TfrmCIAP.h"

#include <QAction>
#include <QApplication>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QTest>
#include <QToolButton>

using ciap::FieldType;

// The screen as built: components, captions, geometry given in pixels, colours by role, tab
// order, data sets and their fields, queries.
class tst_ScreenLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void everyComponentByName_data();
    void everyComponentByName();
    void form();
    void toolbar_data();
    void toolbar();
    void filterPanel_data();
    void filterPanel();
    void coloursByRole();
    void tabOrder();
    void pagesAndMenu();
    void grids();
    void fields_data();
    void fields();
    void auxiliaryDataSets();
    void queries();
    void connection();

private:
    ScreenFixture m_fx;
};

void tst_ScreenLayout::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Shown), qPrintable(m_fx.error));
    QVERIFY(QTest::qWaitForWindowExposed(m_fx.form));
}

void tst_ScreenLayout::cleanupTestCase() {
    m_fx.stop();
}

void tst_ScreenLayout::everyComponentByName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    const QList<QPair<const char*, const char*>> components = {
        {"panMenu", "QFrame"},
        {"sbtAjuda", "QToolButton"},
        {"sbtImprimir", "QToolButton"},
        {"sbtFechar", "QToolButton"},
        {"sbtIncluir", "QToolButton"},
        {"sbtAlterar", "QToolButton"},
        {"sbtExcluir", "QToolButton"},
        {"sbtAuxiliar", "QToolButton"},
        {"sbtVerificar", "QToolButton"},
        {"sbtGravar", "QToolButton"},
        {"sbtDesfazer", "QToolButton"},
        {"sbtCarregar", "QToolButton"},
        {"sbtOK", "QToolButton"},
        {"btnCancelar", "QToolButton"},
        {"lblCodTela", "QLabel"},
        {"mnuMenu", "TMainMenu"},
        {"mnuOperacao", "QMenu"},
        {"mnuIncluir", "QAction"},
        {"mnuAlterar", "QAction"},
        {"mnuExcluir", "QAction"},
        {"mnuAuxiliar", "QAction"},
        {"mnuVerificar", "QAction"},
        {"mnuGravar", "QAction"},
        {"mnuDesfazer", "QAction"},
        {"N1", "QAction"},
        {"mnuCompetencia", "QAction"},
        {"mnuBensComp", "QAction"},
        {"panEmpresa", "QFrame"},
        {"lblEmpresa", "QLabel"},
        {"edtCdEmpresa", "QLineEdit"},
        {"btpEmpresa", "TBtnPesquisa"},
        {"edtNmEmpresa", "QLineEdit"},
        {"lblImposto", "QLabel"},
        {"edtCdImposto", "QLineEdit"},
        {"btpImposto", "TBtnPesquisa"},
        {"edtNmImposto", "QLineEdit"},
        {"lblPeriodo", "QLabel"},
        {"depInicial", "TDateEditPlus"},
        {"lblA", "QLabel"},
        {"depFinal", "TDateEditPlus"},
        {"Label1", "QLabel"},
        {"dbeInscEsta", "QLineEdit"},
        {"btnPesqInscEsta", "TBtnPesquisa"},
        {"pgcPadrao", "TPageControl"},
        {"tshPadrao", "QWidget"},
        {"dbgPadrao", "TDBGrid"},
        {"tshBensComp", "QWidget"},
        {"panBensComp", "QFrame"},
        {"scbBensComp", "QScrollArea"},
        {"dbgBensComp", "TDBGrid"},
        {"panNavigator", "QFrame"},
        {"dbnPadrao", "TDBNavigator"},
        {"dbtNome", "TDBText"},
        {"dtsPadrao", "TDataSource"},
        {"msgPadrao", "TMessages"},
        {"cdsCIAP", "TClientDataSet"},
        {"dtsCIAP", "TDataSource"},
        {"cdsBensComp", "TClientDataSet"},
        {"dtsBensComp", "TDataSource"},
        {"cdsVrParcelBemComp", "TClientDataSet"},
        {"cdsCompet_Existe", "TClientDataSet"},
        {"cdsVd_BemParcel", "TClientDataSet"},
        {"cdsRetorno", "TClientDataSet"},
        {"cdsInscEsta", "TClientDataSet"},
        {"dtsInscEsta", "TDataSource"},
        {"cdsBemParcela", "TClientDataSet"},
        {"dtsBemParcela", "TDataSource"},
        {"qryEmpresa", "TADOIBQuery"},
        {"dtsEmpresa", "TDataSource"},
        {"qryVd_Empresa", "TADOIBQuery"},
        {"qryImposto", "TADOIBQuery"},
        {"dtsImposto", "TDataSource"},
        {"qryVd_Imposto", "TADOIBQuery"},
        {"netCIAP", "TNetConnection"},
    };
    for (const auto& c : components)
        QTest::newRow(c.first) << QString::fromLatin1(c.first) << QString::fromLatin1(c.second);
}

void tst_ScreenLayout::everyComponentByName() {
    QFETCH(QString, name);
    QFETCH(QString, className);
    const QList<QObject*> found = m_fx.form->findChildren<QObject*>(name);
    QCOMPARE(found.size(), 1);
    QVERIFY2(found.first()->inherits(className.toLatin1()),
             found.first()->metaObject()->className());
}

void tst_ScreenLayout::form() {
    QCOMPARE(m_fx.form->size(), QSize(751, 460));
    QCOMPARE(m_fx.form->windowTitle(), QStringLiteral("Controle de Crédito Imobilizado"));
    QCOMPARE(m_fx.form->lblCodTela->text(), QStringLiteral("MZR02400"));
    QVERIFY(m_fx.form->lblCodTela->isVisible());
    QCOMPARE(m_fx.form->panEmpresa->height(), 107);
    // Bands from top to bottom: toolbar, filter, pages, navigator.
    QVERIFY(m_fx.form->panMenu->geometry().bottom() < m_fx.form->panEmpresa->geometry().top());
    QVERIFY(m_fx.form->panEmpresa->geometry().bottom() < m_fx.form->pgcPadrao->geometry().top());
    QVERIFY(m_fx.form->pgcPadrao->geometry().bottom() < m_fx.form->panNavigator->geometry().top());
    QVERIFY(m_fx.form->panNavigator->geometry().bottom() <= m_fx.form->height());
    QCOMPARE(m_fx.form->panEmpresa->width(), m_fx.form->width());
}

void tst_ScreenLayout::toolbar_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("size"); // 0: not fixed here
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("hint");
    QTest::newRow("sbtCarregar") << "sbtCarregar" << 191 << 21 << false << "Calcular Coeficiente";
    QTest::newRow("sbtOK") << "sbtOK" << 212 << 21 << false << "Apropriar";
    QTest::newRow("btnCancelar") << "btnCancelar" << 234 << 21 << false << "Cancelar Apropriação";
    QTest::newRow("sbtImprimir") << "sbtImprimir" << 273 << 0 << false << "Imprimir";
    QTest::newRow("sbtAjuda") << "sbtAjuda" << 309 << 0 << true << "Ajuda";
    QTest::newRow("sbtFechar") << "sbtFechar" << 345 << 0 << true << "Fechar";
}

void tst_ScreenLayout::toolbar() {
    QFETCH(QString, name);
    QFETCH(int, left);
    QFETCH(int, size);
    QFETCH(bool, enabled);
    QFETCH(QString, hint);
    auto* button = m_fx.form->panMenu->findChild<QToolButton*>(name);
    QVERIFY(button);
    QCOMPARE(button->x(), left);
    if (size > 0)
        QCOMPARE(button->size(), QSize(size, size));
    QVERIFY(button->autoRaise()); // flat
    QCOMPARE(button->isEnabled(), enabled);
    QCOMPARE(button->toolTip(), hint);
    QVERIFY(!button->icon().isNull());
    // No two toolbar buttons overlap.
    for (QToolButton* other : m_fx.form->panMenu->findChildren<QToolButton*>())
        if (other != button)
            QVERIFY2(!other->geometry().intersects(button->geometry()),
                     qPrintable(other->objectName()));
}

void tst_ScreenLayout::filterPanel_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption"); // labels only
    QTest::addColumn<int>("left");        // -1: not given
    QTest::addColumn<int>("width");       // -1: not given
    QTest::newRow("lblEmpresa") << "lblEmpresa"
                                << "Empresa" << -1 << -1;
    QTest::newRow("lblImposto") << "lblImposto"
                                << "Imposto" << -1 << -1;
    QTest::newRow("lblPeriodo") << "lblPeriodo"
                                << "Período" << -1 << -1;
    QTest::newRow("lblA") << "lblA"
                          << "à" << -1 << -1;
    QTest::newRow("Label1") << "Label1"
                            << "Inscrição Estadual" << -1 << -1;
    QTest::newRow("edtCdEmpresa") << "edtCdEmpresa"
                                  << "" << 124 << 29;
    QTest::newRow("edtNmEmpresa") << "edtNmEmpresa"
                                  << "" << -1 << 482;
    QTest::newRow("edtCdImposto") << "edtCdImposto"
                                  << "" << 124 << 29;
    QTest::newRow("edtNmImposto") << "edtNmImposto"
                                  << "" << -1 << 482;
    QTest::newRow("depInicial") << "depInicial"
                                << "" << 124 << 102;
    QTest::newRow("depFinal") << "depFinal"
                              << "" << 251 << -1;
    QTest::newRow("dbeInscEsta") << "dbeInscEsta"
                                 << "" << 124 << 121;
    QTest::newRow("btnPesqInscEsta") << "btnPesqInscEsta"
                                     << "" << 250 << -1;
}

void tst_ScreenLayout::filterPanel() {
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, left);
    QFETCH(int, width);
    auto* w = m_fx.form->panEmpresa->findChild<QWidget*>(name);
    QVERIFY(w);
    if (auto* label = qobject_cast<QLabel*>(w)) {
        QCOMPARE(label->text(), caption);
        if (name != QLatin1String("lblA"))
            QVERIFY(label->font().bold());
        // The caption fits its label.
        QVERIFY(label->fontMetrics().horizontalAdvance(caption) <= label->width());
        if (name != QLatin1String("lblA"))
            QVERIFY(label->geometry().right() < 124);
    }
    if (left >= 0)
        QCOMPARE(w->x(), left);
    if (width >= 0)
        QCOMPARE(w->width(), width);
    QVERIFY(w->geometry().bottom() < m_fx.form->panEmpresa->height());
    // Nothing in the panel overlaps anything else.
    for (QWidget* other : m_fx.form->panEmpresa->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (other != w)
            QVERIFY2(!other->geometry().intersects(w->geometry()), qPrintable(other->objectName()));
}

void tst_ScreenLayout::coloursByRole() {
    const QColor info = QApplication::palette().color(QPalette::ToolTipBase);
    const QColor face = QApplication::palette().color(QPalette::Button);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_fx.form->edtCdEmpresa, m_fx.form->edtCdImposto, m_fx.form->depInicial,
             m_fx.form->depFinal, m_fx.form->dbeInscEsta, m_fx.form->dbgBensComp}) {
        QCOMPARE(w->palette().color(QPalette::Active, QPalette::Base), info);
        // Switched off, a control looks it.
        QCOMPARE(w->palette().color(QPalette::Disabled, QPalette::Base), face);
    }
    for (QLineEdit* name : {m_fx.form->edtNmEmpresa, m_fx.form->edtNmImposto}) {
        QVERIFY(!name->isEnabled());
        QCOMPARE(name->focusPolicy(), Qt::NoFocus);
        QCOMPARE(name->palette().color(QPalette::Disabled, QPalette::Base), face);
    }
    QCOMPARE(m_fx.form->edtCdEmpresa->maxLength(), 2);
    QCOMPARE(m_fx.form->edtCdImposto->maxLength(), 2);
    QCOMPARE(m_fx.form->btpEmpresa->toolTip(), QStringLiteral("Pesquisar"));
    QCOMPARE(m_fx.form->btpImposto->Title(), QStringLiteral("Imposto"));
    QCOMPARE(m_fx.form->btpImposto->EmptyError(), QStringLiteral("Não hà imposto cadastrado."));
    QCOMPARE(m_fx.form->btpEmpresa->EmptyError(), QStringLiteral("Não há Empresa cadastrada"));
    QCOMPARE(m_fx.form->btnPesqInscEsta->EmptyError(),
             QStringLiteral("Não há Inscrição Estadual Cadastrada"));
    QCOMPARE(m_fx.form->btnPesqInscEsta->Title(), QStringLiteral("Inscrição Estadual"));
    QCOMPARE(m_fx.form->btnPesqInscEsta->DataSource(), m_fx.form->dtsInscEsta);
    QCOMPARE(m_fx.form->btpEmpresa->DataSource(), m_fx.form->dtsEmpresa);
    QCOMPARE(m_fx.form->btpEmpresa->Associate(), m_fx.form->edtCdEmpresa);
    QCOMPARE(m_fx.form->btnPesqInscEsta->Associate(), m_fx.form->dbeInscEsta);
}

void tst_ScreenLayout::tabOrder() {
    const QList<QWidget*> expected = {m_fx.form->edtCdEmpresa, m_fx.form->edtCdImposto,
                                      m_fx.form->depInicial, m_fx.form->depFinal,
                                      m_fx.form->dbeInscEsta};
    QWidget* w = m_fx.form->edtCdEmpresa;
    for (int i = 1; i < expected.size(); ++i) {
        do
            w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        QCOMPARE(w, expected.at(i));
    }
}

void tst_ScreenLayout::pagesAndMenu() {
    TPageControl* pgc = m_fx.form->pgcPadrao;
    QCOMPARE(pgc->count(), 2);
    QCOMPARE(pgc->tabText(pgc->indexOf(m_fx.form->tshPadrao)), QStringLiteral("Competências"));
    QCOMPARE(pgc->tabText(pgc->indexOf(m_fx.form->tshBensComp)),
             QStringLiteral("Bens da Competência"));
    QCOMPARE(pgc->ActivePage(), m_fx.form->tshPadrao);
    QVERIFY(m_fx.form->tshPadrao->isAncestorOf(m_fx.form->dbgPadrao));
    QCOMPARE(m_fx.form->scbBensComp->widget(), m_fx.form->dbgBensComp);
    QVERIFY(m_fx.form->panBensComp->isAncestorOf(m_fx.form->scbBensComp));
    QVERIFY(m_fx.form->tshBensComp->isAncestorOf(m_fx.form->panBensComp));

    const QList<QAction*> items = m_fx.form->mnuOperacao->actions();
    QStringList names;
    for (QAction* a : items)
        names << a->objectName();
    QCOMPARE(names,
             QStringList({"mnuIncluir", "mnuAlterar", "mnuExcluir", "mnuAuxiliar", "mnuVerificar",
                          "mnuGravar", "mnuDesfazer", "N1", "mnuCompetencia", "mnuBensComp"}));
    QVERIFY(m_fx.form->N1->isSeparator());
    QCOMPARE(m_fx.form->mnuCompetencia->text(), QStringLiteral("Competências"));
    QCOMPARE(m_fx.form->mnuBensComp->text(), QStringLiteral("Bens da Competência"));
    QCOMPARE(m_fx.form->dbtNome->DataField(), QStringLiteral("NOME"));
    QCOMPARE(m_fx.form->dbtNome->DataSource(), m_fx.form->dtsCIAP);
    QCOMPARE(m_fx.form->dbnPadrao->DataSource(), m_fx.form->dtsCIAP);
}

void tst_ScreenLayout::grids() {
    struct Col {
        const char* field;
        int width; // -1: from the field
        bool ellipsis;
        const char* title;
    };
    const QList<Col> padrao = {
        {"COMPETENCIA", 74, false, "Competência"},
        {"CDINSCESTA", -1, true, "Inscrição Estadual"},
        {"VRSAIDACIAP", 85, false, "Vr. Total Saídas"},
        {"VRSAIDATRIBCIAP", 111, false, "Vr. Saídas Tributadas"},
        {"VRCOEFICIAP", -1, false, "Coeficiente"},
        {"VRSALDOPARCCIAP", 104, false, "Vr. Saldo Acumulado"},
        {"VRCREDAPROPCIAP", 112, false, "Total Crédito Apropriar"},
        {"IDSITCOMPETCIAP", 60, false, "Situação"},
    };
    const QList<Col> bens = {
        {"CDBEMATIVO", 74, true, "Nr. Bem"},
        {"NMBEMATIVO", 262, false, "Nome"},
        {"CDPATRIBEMATIVO", 104, false, "Cód. Patrimônio"},
        {"VRPARCELACIAP", 82, false, "Valor Parcela"},
        {"VRAPROPARCCIAP", 90, false, "Valor a Apropriar"},
    };
    for (const auto& [grid, columns, source] :
         {std::tuple{m_fx.form->dbgPadrao, padrao, m_fx.form->dtsCIAP},
          std::tuple{m_fx.form->dbgBensComp, bens, m_fx.form->dtsBensComp}}) {
        QCOMPARE(grid->DataSource(), source);
        QCOMPARE(grid->ColumnCount(), columns.size());
        for (int i = 0; i < columns.size(); ++i) {
            const Col& c = columns.at(i);
            QCOMPARE(grid->ColumnFieldName(i), QString::fromLatin1(c.field));
            QCOMPARE(grid->ColumnHasEllipsis(i), c.ellipsis);
            QCOMPARE(grid->model()->headerData(i, Qt::Horizontal).toString(),
                     QString::fromUtf8(c.title));
            // A width given in pixels is kept unless the title needs more.
            if (c.width > 0)
                QVERIFY(grid->ColumnWidth(i) >= c.width);
            const QString title = QString::fromUtf8(c.title);
            QVERIFY2(grid->horizontalHeader()->fontMetrics().horizontalAdvance(title) <
                         grid->ColumnWidth(i),
                     c.field);
            // The "..." button covers the cell's right end, not the last of an asset code's
            // ten digits.
            if (QByteArray(c.field) == "CDBEMATIVO")
                QVERIFY(grid->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) +
                            TDBGridDelegate::EllipsisWidth <
                        grid->ColumnWidth(i));
        }
    }
    // The competências fit the screen's width without scrolling sideways.
    int total = 0;
    for (int i = 0; i < m_fx.form->dbgPadrao->ColumnCount(); ++i)
        total += m_fx.form->dbgPadrao->ColumnWidth(i);
    QVERIFY2(total <= m_fx.form->dbgPadrao->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(total).arg(
                 m_fx.form->dbgPadrao->viewport()->width())));

    const TDBGrid::Options expected =
        TDBGrid::Options(TDBGrid::dgEditing) | TDBGrid::dgTitles | TDBGrid::dgColumnResize |
        TDBGrid::dgColLines | TDBGrid::dgRowLines | TDBGrid::dgTabs |
        TDBGrid::dgAlwaysShowSelection | TDBGrid::dgConfirmDelete | TDBGrid::dgCancelOnExit;
    QCOMPARE(m_fx.form->dbgBensComp->GetOptions(), expected);
}

void tst_ScreenLayout::fields_data() {
    QTest::addColumn<QString>("dataSet");
    QTest::addColumn<QStringList>("layout"); // name:type:size:caption:visible:format

    QTest::newRow("cdsCIAP") << "cdsCIAP"
                             << QStringList{
                                    "CDEMPRESA:string:2::0:",
                                    "CDIMPOSTO:string:2::0:",
                                    "COMPETENCIA:string:7:Competência:1:",
                                    "VRSAIDACIAP:float:0:Vr. Total Saídas:1:#,##0.00",
                                    "VRSAIDATRIBCIAP:float:0:Vr. Saídas Tributadas:1:#,##0.00",
                                    "VRCOEFICIAP:float:0:Coeficiente:1:#,##0.00",
                                    "VRSALDOPARCCIAP:float:0:Vr. Saldo Acumulado:1:#,##0.00",
                                    "VRCREDAPROPCIAP:float:0:Total Crédito Apropriar:1:#,##0.00",
                                    "IDSITCOMPETCIAP:string:1:Situação:1:",
                                    "LOCATE:string:11::0:",
                                    "DTCOMPETECIAP:datetime:0::0:",
                                    "NOME:string:108::0:",
                                    "ITEMEXISTE:float:0::0:",
                                    "CDINSCESTA:string:16:Inscrição Estadual:1:",
                                    "NRSEQCIAP:string:10::0:",
                                };
    QTest::newRow("cdsBensComp") << "cdsBensComp"
                                 << QStringList{
                                        "CDEMPRESA:string:2::0:",
                                        "CDBEMATIVO:string:10:Nr. Bem:1:",
                                        "NMBEMATIVO:string:50:Nome:1:",
                                        "CDPATRIBEMATIVO:string:30:Cód. Patrimônio:1:",
                                        "DTCOMPETECIAP:datetime:0:Competência:0:",
                                        "VRCOEFICIAP:float:0::0:#,##0.00",
                                        "VRPARCELACIAP:float:0:Valor Parcela:1:#,##0.00",
                                        "IDTPAPROPPISCOF:string:2::0:",
                                        "VRAPROPARCCIAP:float:0:Valor a Apropriar:1:#,##0.00",
                                    };
    QTest::newRow("cdsVrParcelBemComp")
        << "cdsVrParcelBemComp" << QStringList{"VRPARCELACIAP:float:0::1:"};
    QTest::newRow("cdsCompet_Existe")
        << "cdsCompet_Existe" << QStringList{"COMPETENCIAEXITE:float:0::1:"};
    QTest::newRow("cdsVd_BemParcel")
        << "cdsVd_BemParcel"
        << QStringList{"CDBEMATIVO:string:10::1:", "NMBEMATIVO:string:50::1:",
                       "CDPATRIBEMATIVO:string:30::1:", "VRPARCELACIAP:float:0::1:",
                       // how the server tells an asset already in the month from one to add
                       "SITUACAO:float:0::1:"};
    QTest::newRow("cdsRetorno") << "cdsRetorno" << QStringList{"Retorno:string:20::1:"};
    QTest::newRow("cdsInscEsta") << "cdsInscEsta"
                                 << QStringList{"CDINSCESTA:string:16:Inscrição Estadual:1:"};
    QTest::newRow("cdsBemParcela")
        << "cdsBemParcela"
        << QStringList{"CDBEMATIVO:string:10:Código:1:", "NMBEMATIVO:string:50:Nome:1:",
                       "CDPATRIBEMATIVO:string:30::0:", "VRPARCELACIAP:float:0::0:"};
}

void tst_ScreenLayout::fields() {
    QFETCH(QString, dataSet);
    QFETCH(QStringList, layout);
    auto* ds = m_fx.form->findChild<TClientDataSet*>(dataSet);
    QVERIFY(ds);
    QVERIFY(!ds->Active()); // every set starts closed
    QCOMPARE(ds->FieldCount(), layout.size());
    for (int i = 0; i < layout.size(); ++i) {
        const QStringList parts = layout.at(i).split(QLatin1Char(':'));
        const TField* f = ds->Fields().at(std::size_t(i)).get();
        QCOMPARE(f->FieldName(), parts.at(0));
        QCOMPARE(ciap::fieldTypeName(f->DataType()), parts.at(1));
        QCOMPARE(f->Size(), parts.at(2).toInt());
        QCOMPARE(f->DisplayLabel, parts.at(3));
        QCOMPARE(f->Visible, parts.at(4) == QLatin1String("1"));
        QCOMPARE(f->DisplayFormat, parts.at(5));
    }
}

void tst_ScreenLayout::auxiliaryDataSets() {
    QCOMPARE(m_fx.form->cdsCIAPCOMPETENCIA->EditMask, QStringLiteral("99/9999 ;1; "));
    QCOMPARE(m_fx.form->cdsBemParcela->FieldByName(QStringLiteral("CDBEMATIVO"))->DisplayWidth, 13);
    QCOMPARE(m_fx.form->cdsCIAPNOME, m_fx.form->cdsCIAP->FieldByName(QStringLiteral("NOME")));
    QCOMPARE(m_fx.form->cdsBensCompVRAPROPARCCIAP,
             m_fx.form->cdsBensComp->FieldByName(QStringLiteral("VRAPROPARCCIAP")));
    QCOMPARE(m_fx.form->dtsCIAP->DataSet(), m_fx.form->cdsCIAP);
    QCOMPARE(m_fx.form->dtsBensComp->DataSet(), m_fx.form->cdsBensComp);
    QCOMPARE(m_fx.form->dtsInscEsta->DataSet(), m_fx.form->cdsInscEsta);
    QCOMPARE(m_fx.form->dtsBemParcela->DataSet(), m_fx.form->cdsBemParcela);
    QCOMPARE(m_fx.form->dtsEmpresa->DataSet(), m_fx.form->qryEmpresa);
    QCOMPARE(m_fx.form->dtsImposto->DataSet(), m_fx.form->qryImposto);
    QCOMPARE(m_fx.form->dtsPadrao->DataSet(), nullptr);
    // Handlers are wired to their events.
    QVERIFY(m_fx.form->cdsCIAP->AfterInsert && m_fx.form->cdsCIAP->BeforePost &&
            m_fx.form->cdsCIAP->AfterPost && m_fx.form->cdsCIAP->AfterCancel &&
            m_fx.form->cdsCIAP->BeforeDelete && m_fx.form->cdsCIAP->AfterDelete &&
            m_fx.form->cdsCIAP->AfterScroll);
    QVERIFY(m_fx.form->cdsBensComp->BeforePost && m_fx.form->cdsBensComp->AfterPost &&
            m_fx.form->cdsBensComp->AfterCancel && m_fx.form->cdsBensComp->BeforeDelete &&
            m_fx.form->cdsBensComp->AfterDelete);
    QVERIFY(!m_fx.form->cdsBensComp->AfterScroll && !m_fx.form->cdsBensComp->AfterInsert);
    QVERIFY(m_fx.form->cdsCIAPCOMPETENCIA->OnSetText && !m_fx.form->cdsCIAPCOMPETENCIA->OnGetText);
    QVERIFY(m_fx.form->cdsCIAPIDSITCOMPETCIAP->OnGetText &&
            m_fx.form->cdsCIAPIDSITCOMPETCIAP->OnSetText);
    QVERIFY(m_fx.form->cdsBensCompVRAPROPARCCIAP->OnGetText);
    QVERIFY(m_fx.form->dbgPadrao->OnColEnter && m_fx.form->dbgPadrao->OnColExit &&
            m_fx.form->dbgPadrao->OnEditButtonClick && !m_fx.form->dbgPadrao->OnEnter);
    QVERIFY(m_fx.form->dbgBensComp->OnEnter && m_fx.form->dbgBensComp->OnColEnter &&
            m_fx.form->dbgBensComp->OnColExit && m_fx.form->dbgBensComp->OnEditButtonClick);
    QVERIFY(m_fx.form->btpEmpresa->OnBeforePesq && m_fx.form->btpEmpresa->OnAfterPesq);
    QVERIFY(m_fx.form->btnPesqInscEsta->OnBeforePesq && m_fx.form->btnPesqInscEsta->OnAfterPesq);
}

void tst_ScreenLayout::queries() {
    struct Q {
        TADOIBQuery* query;
        QStringList sql;
        QStringList fields; // name:size:caption:displayWidth
    };
    const QList<Q> queries = {
        {m_fx.form->qryEmpresa,
         {"SELECT CDEMPRESA, NMEMPRESA", "  FROM EMPRESA", " ORDER BY CDEMPRESA"},
         {"CDEMPRESA:2:Código:4", "NMEMPRESA:40:Nome:0"}},
        {m_fx.form->qryVd_Empresa,
         {"SELECT CDEMPRESA, NMEMPRESA", "  FROM EMPRESA", " WHERE :P_CDEMPRESA = CDEMPRESA ",
          " ORDER BY CDEMPRESA"},
         {"CDEMPRESA:4::0", "NMEMPRESA:40::0"}},
        {m_fx.form->qryImposto,
         {"SELECT CDIMPOSTO, NMIMPOSTO", "  FROM IMPOSTO", " ORDER BY CDIMPOSTO"},
         {"CDIMPOSTO:2:Código:4", "NMIMPOSTO:30:Nome:0"}},
        {m_fx.form->qryVd_Imposto,
         {"SELECT CDIMPOSTO, NMIMPOSTO", "  FROM IMPOSTO", " WHERE :P_CDIMPOSTO = CDIMPOSTO"},
         {"CDIMPOSTO:2::0", "NMIMPOSTO:30:Nome:0"}},
    };
    for (const Q& q : queries) {
        QCOMPARE(q.query->SQL, q.sql);
        QCOMPARE(q.query->FieldCount(), q.fields.size());
        for (int i = 0; i < q.fields.size(); ++i) {
            const QStringList parts = q.fields.at(i).split(QLatin1Char(':'));
            const TField* f = q.query->Fields().at(std::size_t(i)).get();
            QCOMPARE(f->FieldName(), parts.at(0));
            QCOMPARE(f->DataType(), FieldType::String);
            QCOMPARE(f->Size(), parts.at(1).toInt());
            QCOMPARE(f->DisplayLabel, parts.at(2));
            QCOMPARE(f->DisplayWidth, parts.at(3).toInt());
        }
    }
    QCOMPARE(m_fx.form->qryVd_Empresa->paramNames(), QStringList{"P_CDEMPRESA"});
    QCOMPARE(m_fx.form->qryVd_Imposto->paramNames(), QStringList{"P_CDIMPOSTO"});
    QVERIFY(m_fx.form->qryEmpresa->paramNames().isEmpty());
}

void tst_ScreenLayout::connection() {
    QCOMPARE(m_fx.form->netCIAP->ServerName(), QStringLiteral("MZR02400.rdmCIAP"));
    QVERIFY(!m_fx.form->netCIAP->ThrowException());
    QVERIFY(m_fx.form->netCIAP->BeforeConnect);
}

QTEST_MAIN(tst_ScreenLayout)
#include "tst_screenlayout.moc"
