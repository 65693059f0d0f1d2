#include "FiscalMethods.h"

#include "GerarBlocoGHandler.h"
#include "LivroCiapHandler.h"

namespace ciap::server {

std::vector<std::unique_ptr<MethodHandler>> FiscalMethods::all() {
    std::vector<std::unique_ptr<MethodHandler>> methods;
    methods.push_back(std::make_unique<GerarBlocoGHandler>());
    methods.push_back(std::make_unique<LivroCiapHandler>());
    return methods;
}

} // namespace ciap::server
