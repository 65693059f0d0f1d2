// The filter: a registered company and, when given, one of its registrations; then the lists.
#include "AssetRegisterWindow.h"
#include "DataPacket.h"
#include "FiscalServer.h"
#include "HostErrors.h"
#include "HostServices.h"
#include "TADOIBQuery.h"
#include "TClientDataSet.h"
#include "TDBGrid.h"
#include "TDataSource.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

void AssetRegisterWindow::checkCompany(bool required) {
    companyNameEdit->clear();
    if (EmptyString(companyEdit->text())) {
        if (required) {
            companyEdit->setFocus();
            MensErro(QStringLiteral("Informe a Empresa."));
        }
        return;
    }
    companyEdit->setText(Ajusta(companyEdit->text(), 2));
    qryVdEmpresa->Close();
    qryVdEmpresa->ParamByName(QStringLiteral("P_CDEMPRESA")).SetAsString(companyEdit->text());
    qryVdEmpresa->Open();
    if (qryVdEmpresa->IsEmpty()) {
        companyEdit->setFocus();
        MensErro(QStringLiteral("Empresa não cadastrada."));
    }
    companyNameEdit->setText(qryVdEmpresa->FieldByName(QStringLiteral("NMEMPRESA"))->AsString());
}

void AssetRegisterWindow::checkRegistration() {
    // An empty registration stands for all of the company's.
    const QString typed = registrationEdit->text().trimmed();
    if (typed.isEmpty())
        return;
    cdsRegistrations->SetData(
        server->call(QStringLiteral("listRegistrations"), {companyEdit->text()}));
    if (!cdsRegistrations->Locate(QStringLiteral("CDINSCESTA"), typed, true)) {
        registrationEdit->setFocus();
        MensErro(QStringLiteral("Inscrição Estadual não cadastrada para a empresa."));
    }
    // As the server spells it.
    registrationEdit->setText(
        cdsRegistrations->FieldByName(QStringLiteral("CDINSCESTA"))->AsString());
}

void AssetRegisterWindow::loadRegister() {
    if (!mayDiscardChanges(cdsAssets))
        return;
    checkCompany(true);
    checkRegistration();
    m_company = companyEdit->text();
    m_registration = registrationEdit->text().trimmed();
    cdsAssets->CancelUpdates();
    loadLists();
    dbgPadrao->setFocus();
}

void AssetRegisterWindow::reloadKeepingAsset() {
    if (m_company.isEmpty())
        return;
    loadLists();
}

void AssetRegisterWindow::loadLists() {
    const BusyScope busy(this);
    const QString asset =
        cdsAssets->Active() && !cdsAssets->IsEmpty() ? field("CDBEMATIVO")->AsString() : QString();
    const QString purchase = cdsPurchases->Active() && !cdsPurchases->IsEmpty()
                                 ? cdsPurchases->FieldByName(QStringLiteral("CHNFE"))->AsString()
                                 : QString();
    const QVariant assets = server->call(QStringLiteral("listAssets"), {m_company, m_registration});
    const QVariant purchases = server->call(
        QStringLiteral("listPurchases"),
        {m_company, allPurchasesCheck->isChecked() ? QStringLiteral("N") : QStringLiteral("S")});
    const QVariant pending = server->call(QStringLiteral("listPendingExits"), {m_company});
    cdsAssets->SetData(assets);
    cdsPurchases->SetData(purchases);
    cdsPendingExits->SetData(pending);
    // The asset the user was on, after a save or a reload.
    if (!asset.isEmpty())
        cdsAssets->Locate(QStringLiteral("CDBEMATIVO"), asset, false);
    if (!purchase.isEmpty())
        cdsPurchases->Locate(QStringLiteral("CHNFE"), purchase, false);
    updateDetails();
    dtsPadraoStateChange(dtsPadrao);
}

void AssetRegisterWindow::companyLookupBeforeSearch(bool&) {
    qryEmpresa->Close();
    qryEmpresa->Open();
}

void AssetRegisterWindow::companyLookupAfterSearch() {
    companyEdit->setText(qryEmpresa->FieldByName(QStringLiteral("CDEMPRESA"))->AsString());
    companyNameEdit->setText(qryEmpresa->FieldByName(QStringLiteral("NMEMPRESA"))->AsString());
    registrationEdit->setFocus();
}

void AssetRegisterWindow::registrationLookupBeforeSearch(bool&) {
    checkCompany(true);
    cdsRegistrations->SetData(
        server->call(QStringLiteral("listRegistrations"), {companyEdit->text()}));
}

void AssetRegisterWindow::registrationLookupAfterSearch() {
    registrationEdit->setText(
        cdsRegistrations->FieldByName(QStringLiteral("CDINSCESTA"))->AsString());
    loadButton->setFocus();
}

QString AssetRegisterWindow::company() const {
    return m_company;
}

QString AssetRegisterWindow::registration() const {
    return m_registration;
}
