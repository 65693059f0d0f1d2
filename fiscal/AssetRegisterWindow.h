#pragma once

#include "TfrmPadraoGrid.h"

#include <QPointer>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class FiscalServer;
class TADOIBQuery;
class TBtnPesquisa;
class TField;

// "Fiscal" → "Cadastro de Bens CIAP": the asset register of a company (or of one of its state
// registrations) as a grid, each asset with its four ICMS parts, its instalments, its entry
// and exit documents and what it still lacks for the tax file; the hand-entered fields edited
// in the grid and saved as the screen saves (a delta the server checks against what it holds);
// an exit recorded; the purchases whose items may become assets, and the exits to settle.
//
// Split by subsystem:
//   AssetRegisterWindow.cpp   construction, data sets, layout, wiring, opening and closing
//   AssetRegisterFilter.cpp   the company and registration, checked, and loading the lists
//   AssetRegisterEditing.cpp  which cells may be edited, the checks and the save, the exit
//   AssetRegisterLists.cpp    purchases made assets, exits settled or dismissed, the details
class AssetRegisterWindow final : public TfrmPadraoGrid {
    Q_OBJECT
public:
    explicit AssetRegisterWindow(QWidget* parent = nullptr);
    ~AssetRegisterWindow() override;

    // Opens the window in the host (one at a time), or brings the open one to the front.
    static AssetRegisterWindow* open();
    static AssetRegisterWindow* current();

    void FormCreate(QObject* sender) override;
    void FormClose(QObject* sender, TCloseAction& action) override;
    void dtsPadraoStateChange(QObject* sender) override;
    void sbtVerificarClick(QObject* sender) override;

    // ---- Filter (AssetRegisterFilter.cpp)
    void checkCompany(bool required);
    void checkRegistration();
    // Checks the filter, then reads the register, the purchases and the exits to settle.
    void loadRegister();
    void reloadKeepingAsset();
    void companyLookupBeforeSearch(bool& allow);
    void companyLookupAfterSearch();
    void registrationLookupBeforeSearch(bool& allow);
    void registrationLookupAfterSearch();
    QString company() const; // of the loaded lists
    QString registration() const;

    // ---- Editing (AssetRegisterEditing.cpp)
    bool columnEditable(const QString& fieldName) const;
    void assetsColumnEnter();
    void assetsBeforePost(TClientDataSet& dataSet);
    void assetsAfterPost(TClientDataSet& dataSet);
    void assetsAfterCancel(TClientDataSet& dataSet);
    // The exit of the current asset: the dialog, then the row saved with it.
    void registerExitClick();
    void recordExit(const QDate& date, const QString& kind, const QString& key, int item);
    void clearExitClick();

    // ---- Purchases, exits to settle, details (AssetRegisterLists.cpp)
    void turnIntoAssetsClick();
    QStringList turnIntoAssets(); // the current purchase item
    void settleClick();
    void settle(const QString& assets); // the current exit to settle, with these assets
    void dismissClick();
    void updateDetails();
    QString detailsText() const;

    // Components, named as their objectName.
    QFrame* filterPanel = nullptr;
    QLineEdit* companyEdit = nullptr;
    TBtnPesquisa* companyLookup = nullptr;
    QLineEdit* companyNameEdit = nullptr;
    QLineEdit* registrationEdit = nullptr;
    TBtnPesquisa* registrationLookup = nullptr;
    QPushButton* loadButton = nullptr;
    QPlainTextEdit* assetDetails = nullptr;
    QToolButton* registerExitButton = nullptr;
    QAction* registerExitAction = nullptr;
    QAction* clearExitAction = nullptr;

    QWidget* purchasesPage = nullptr;
    TDBGrid* purchasesGrid = nullptr;
    QCheckBox* allPurchasesCheck = nullptr;
    QPushButton* turnIntoAssetsButton = nullptr;
    QWidget* pendingExitsPage = nullptr;
    TDBGrid* pendingExitsGrid = nullptr;
    QPushButton* settleButton = nullptr;
    QPushButton* dismissButton = nullptr;

    TClientDataSet* cdsAssets = nullptr;
    TDataSource* dtsAssets = nullptr;
    TClientDataSet* cdsPurchases = nullptr;
    TDataSource* dtsPurchases = nullptr;
    TClientDataSet* cdsPendingExits = nullptr;
    TDataSource* dtsPendingExits = nullptr;
    TClientDataSet* cdsRegistrations = nullptr;
    TDataSource* dtsRegistrations = nullptr;
    TADOIBQuery* qryEmpresa = nullptr;
    TDataSource* dtsEmpresa = nullptr;
    TADOIBQuery* qryVdEmpresa = nullptr;
    FiscalServer* server = nullptr;

private:
    void buildDataSets();
    void buildFilterPanel();
    void buildPages();
    void buildCommands();
    void wireEvents();
    TField* field(const char* name) const;
    void loadLists();

    QString m_company; // the filter the lists were loaded for
    QString m_registration;
};
