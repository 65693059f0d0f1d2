#pragma once

#include "TfrmPadraoGrid.h"

#include <QVariant>

class FocusTracker;
class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QScrollArea;
class QToolButton;
class TADOIBQuery;
class TBtnPesquisa;
class TClientDataSet;
class TDataSource;
class TDateEditPlus;
class TField;
class TNetConnection;

// "Controle de Crédito Imobilizado" (MZR02400): the monthly CIAP record of a company, tax and
// state registration, and the assets with an instalment in each month.
//
// One handler per component event, named after the component and the event. The class is
// split over several sources by subsystem:
//   TfrmCIAP.cpp             construction, layout, wiring, lifecycle, the server call path
//   TfrmCIAPCatalogue.cpp    the message catalogue
//   TfrmCIAPState.cpp        command state (HabilitaBotao and the tab/menu handlers)
//   TfrmCIAPFilter.cpp       filter header: field checks, commit, lookups
//   TfrmCIAPCompetencias.cpp competência list and grid: reload, situation and month texts
//   TfrmCIAPPosting.cpp      competência editing and persistence, the calculations of a post
//   TfrmCIAPBens.cpp         assets of the competência
//   TfrmCIAPCommands.cpp     load, appropriate, cancel, refresh
// FocusTracker.cpp gives the controls the platform's enter and exit events.
class TfrmCIAP final : public TfrmPadraoGrid {
    Q_OBJECT
public:
    explicit TfrmCIAP(QWidget* parent = nullptr);
    ~TfrmCIAP() override;

    // ---- Lifecycle and server connection (TfrmCIAP.cpp)
    void FormCreate(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;
    void netCIAPBeforeConnect(QObject* sender);
    // The one path of every server call: netCIAP->Call, then CheckResultServ(result, true, 0),
    // which shows a server error and raises EAbort. Gives the packet (QVariant holding a
    // ciap::DataPacket), the array (QVariantList) or the plain value.
    QVariant callServer(const QString& method, const QVariantList& args);

    // ---- Filter header (TfrmCIAPFilter.cpp)
    void edtCdEmpresaKeyPress(QObject* sender, QChar& key); // key set to QChar() discards it
    void edtCdImpostoKeyPress(QObject* sender, QChar& key);
    void edtCdEmpresaChange(QObject* sender);
    void edtCdImpostoChange(QObject* sender);
    void edtCdEmpresaExit(QObject* sender);
    void edtCdImpostoExit(QObject* sender);
    void depInicialExit(QObject* sender);
    void depFinalExit(QObject* sender);
    void dbeInscEstaExit(QObject* sender);
    void VD_EMPRESA(bool required);
    void VD_IMPOSTO(bool required);
    void VD_PERIODO();
    void VD_CDINSCESTA(bool required, const QString& origin); // origin "FILTRO" or "GRID"
    void panEmpresaEnter(QObject* sender); // focus enters the panel from outside it
    void panEmpresaExit(QObject* sender);  // focus leaves the panel for another control
    void btpEmpresaBeforePesq(QObject* sender, bool& allow);
    void btpEmpresaAfterPesq(QObject* sender);
    void btpImpostoBeforePesq(QObject* sender, bool& allow);
    void btpImpostoAfterPesq(QObject* sender);
    void btnPesqInscEstaBeforePesq(QObject* sender, bool& allow);
    void btnPesqInscEstaAfterPesq(QObject* sender);
    // After a pick that changed the header while the list is loaded: the header committed
    // again, or the list closed when a check fails.
    void commitPickedHeader();
    QStringList headerTexts() const; // company, tax, registration as typed

    // ---- Competências: list and grid (TfrmCIAPCompetencias.cpp)
    void AtualizaCIAP();
    void cdsCIAPIDSITCOMPETCIAPGetText(TField& sender, QString& text, bool displayText);
    void cdsCIAPIDSITCOMPETCIAPSetText(TField& sender, const QString& text);
    void cdsCIAPCOMPETENCIASetText(TField& sender, const QString& text);
    void cdsCIAPAfterScroll(TClientDataSet& dataSet);
    void dbgPadraoColEnter(QObject* sender);
    void dbgPadraoColExit(QObject* sender);
    void dbgPadraoEditButtonClick(QObject* sender);

    // ---- Competências: editing and persistence, calculations (TfrmCIAPPosting.cpp)
    void cdsCIAPAfterInsert(TClientDataSet& dataSet);
    void cdsCIAPBeforePost(TClientDataSet& dataSet);
    void cdsCIAPAfterPost(TClientDataSet& dataSet);
    void cdsCIAPAfterCancel(TClientDataSet& dataSet);
    void cdsCIAPBeforeDelete(TClientDataSet& dataSet);
    void cdsCIAPAfterDelete(TClientDataSet& dataSet);
    void VD_CALCVR();
    void CalculaCoeficiente();
    void CalculaSaldoAcumulado();
    void CalculaCreditoApropriar();

    // ---- Assets of the competência (TfrmCIAPBens.cpp)
    void AtualizaBensComp();
    void cdsBensCompVRAPROPARCCIAPGetText(TField& sender, QString& text, bool displayText);
    void dbgBensCompEnter(QObject* sender);
    void dbgBensCompColEnter(QObject* sender);
    void dbgBensCompColExit(QObject* sender);
    void dbgBensCompEditButtonClick(QObject* sender);
    void VD_BEMPARCELADO(bool required);
    void cdsBensCompBeforePost(TClientDataSet& dataSet);
    void cdsBensCompAfterPost(TClientDataSet& dataSet);
    void cdsBensCompAfterCancel(TClientDataSet& dataSet);
    void cdsBensCompBeforeDelete(TClientDataSet& dataSet);
    void cdsBensCompAfterDelete(TClientDataSet& dataSet);

    // ---- Commands (TfrmCIAPCommands.cpp)
    void sbtCarregarClick(QObject* sender);
    void sbtOKClick(QObject* sender);
    void btnCancelarClick(QObject* sender);
    void sbtVerificarClick(QObject* sender) override;

    // ---- Command state (TfrmCIAPState.cpp)
    void HabilitaBotao();
    void dtsPadraoStateChange(QObject* sender) override;
    void pgcPadraoChange(QObject* sender);
    void mnuMenuChange(QObject* sender, QAction* source, bool rebuild);
    void mnuCompetenciaClick(QObject* sender);
    void mnuBensCompClick(QObject* sender);
    // In-cell editing of dbgPadrao for a column's field, by the current competência: the rule
    // dbgPadraoColEnter applies on entering a column and HabilitaBotao on the selected one.
    bool dbgPadraoColumnEditable(const QString& fieldName) const;
    // IDSITCOMPETCIAP and ITEMEXISTE of the current competência; "" and 0 when there is none.
    QString currentSituation() const;
    double currentItems() const;

    // ---- Components, named as their objectName
    // Toolbar additions
    QToolButton* sbtCarregar = nullptr;
    QToolButton* sbtOK = nullptr;
    QToolButton* btnCancelar = nullptr;

    // Filter panel
    QFrame* panEmpresa = nullptr;
    QLabel* lblEmpresa = nullptr;
    QLineEdit* edtCdEmpresa = nullptr;
    TBtnPesquisa* btpEmpresa = nullptr;
    QLineEdit* edtNmEmpresa = nullptr;
    QLabel* lblImposto = nullptr;
    QLineEdit* edtCdImposto = nullptr;
    TBtnPesquisa* btpImposto = nullptr;
    QLineEdit* edtNmImposto = nullptr;
    QLabel* lblPeriodo = nullptr;
    TDateEditPlus* depInicial = nullptr;
    QLabel* lblA = nullptr;
    TDateEditPlus* depFinal = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* dbeInscEsta = nullptr;
    TBtnPesquisa* btnPesqInscEsta = nullptr;

    // Second tab
    QWidget* tshBensComp = nullptr;
    QFrame* panBensComp = nullptr;
    QScrollArea* scbBensComp = nullptr;
    TDBGrid* dbgBensComp = nullptr;

    // Menu additions
    QAction* N1 = nullptr;
    QAction* mnuCompetencia = nullptr;
    QAction* mnuBensComp = nullptr;

    // Data sets, data sources, queries, connection
    TClientDataSet* cdsCIAP = nullptr;
    TDataSource* dtsCIAP = nullptr;
    TClientDataSet* cdsBensComp = nullptr;
    TDataSource* dtsBensComp = nullptr;
    TClientDataSet* cdsVrParcelBemComp = nullptr;
    TClientDataSet* cdsCompet_Existe = nullptr;
    TClientDataSet* cdsVd_BemParcel = nullptr;
    TClientDataSet* cdsRetorno = nullptr;
    TClientDataSet* cdsInscEsta = nullptr;
    TDataSource* dtsInscEsta = nullptr;
    TClientDataSet* cdsBemParcela = nullptr;
    TDataSource* dtsBemParcela = nullptr;
    TADOIBQuery* qryEmpresa = nullptr;
    TDataSource* dtsEmpresa = nullptr;
    TADOIBQuery* qryVd_Empresa = nullptr;
    TADOIBQuery* qryImposto = nullptr;
    TDataSource* dtsImposto = nullptr;
    TADOIBQuery* qryVd_Imposto = nullptr;
    TNetConnection* netCIAP = nullptr;

    // Fields of cdsCIAP
    TField* cdsCIAPCDEMPRESA = nullptr;
    TField* cdsCIAPCDIMPOSTO = nullptr;
    TField* cdsCIAPCOMPETENCIA = nullptr;
    TField* cdsCIAPVRSAIDACIAP = nullptr;
    TField* cdsCIAPVRSAIDATRIBCIAP = nullptr;
    TField* cdsCIAPVRCOEFICIAP = nullptr;
    TField* cdsCIAPVRSALDOPARCCIAP = nullptr;
    TField* cdsCIAPVRCREDAPROPCIAP = nullptr;
    TField* cdsCIAPIDSITCOMPETCIAP = nullptr;
    TField* cdsCIAPLOCATE = nullptr;
    TField* cdsCIAPDTCOMPETECIAP = nullptr;
    TField* cdsCIAPNOME = nullptr;
    TField* cdsCIAPITEMEXISTE = nullptr;
    TField* cdsCIAPCDINSCESTA = nullptr;
    TField* cdsCIAPNRSEQCIAP = nullptr;

    // Fields of cdsBensComp
    TField* cdsBensCompCDEMPRESA = nullptr;
    TField* cdsBensCompCDBEMATIVO = nullptr;
    TField* cdsBensCompNMBEMATIVO = nullptr;
    TField* cdsBensCompCDPATRIBEMATIVO = nullptr;
    TField* cdsBensCompDTCOMPETECIAP = nullptr;
    TField* cdsBensCompVRCOEFICIAP = nullptr;
    TField* cdsBensCompVRPARCELACIAP = nullptr;
    TField* cdsBensCompIDTPAPROPPISCOF = nullptr;
    TField* cdsBensCompVRAPROPARCCIAP = nullptr;

    // Fields of the auxiliary sets
    TField* cdsVrParcelBemCompVRPARCELACIAP = nullptr;
    TField* cdsCompet_ExisteCOMPETENCIAEXITE = nullptr;
    TField* cdsVd_BemParcelCDBEMATIVO = nullptr;
    TField* cdsVd_BemParcelNMBEMATIVO = nullptr;
    TField* cdsVd_BemParcelCDPATRIBEMATIVO = nullptr;
    TField* cdsVd_BemParcelVRPARCELACIAP = nullptr;
    TField* cdsVd_BemParcelSITUACAO = nullptr; // 1 already in the competência, 2 found
    TField* cdsRetornoRetorno = nullptr;
    TField* cdsInscEstaCDINSCESTA = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildFilterPanel();
    void buildAssetsTab();
    void buildMenu();
    void buildDataSets();
    void buildQueries();
    void buildGrids();
    void loadCatalogue(); // TfrmCIAPCatalogue.cpp
    void wireEvents();

    FocusTracker* m_focus = nullptr;
    QStringList m_headerBeforePick; // headerTexts() when a lookup opened
};
