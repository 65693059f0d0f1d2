#include "FiscalMethods.h"

#include "AssetsFromPurchaseHandler.h"
#include "DismissPendingExitHandler.h"
#include "GerarBlocoGHandler.h"
#include "ImportDocumentHandler.h"
#include "ListAssetsHandler.h"
#include "ListPendingExitsHandler.h"
#include "ListPurchasesHandler.h"
#include "ListRegistrationsHandler.h"
#include "SaveAssetsHandler.h"
#include "SettlePendingExitHandler.h"

namespace ciap::server {

std::vector<std::unique_ptr<MethodHandler>> FiscalMethods::all() {
    std::vector<std::unique_ptr<MethodHandler>> methods;
    // The register and document import.
    methods.push_back(std::make_unique<ImportDocumentHandler>());
    methods.push_back(std::make_unique<ListRegistrationsHandler>());
    methods.push_back(std::make_unique<ListAssetsHandler>());
    methods.push_back(std::make_unique<SaveAssetsHandler>());
    methods.push_back(std::make_unique<ListPurchasesHandler>());
    methods.push_back(std::make_unique<AssetsFromPurchaseHandler>());
    methods.push_back(std::make_unique<ListPendingExitsHandler>());
    methods.push_back(std::make_unique<SettlePendingExitHandler>());
    methods.push_back(std::make_unique<DismissPendingExitHandler>());
    // The tax file.
    methods.push_back(std::make_unique<GerarBlocoGHandler>());
    return methods;
}

} // namespace ciap::server
