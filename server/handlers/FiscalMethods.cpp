#include "FiscalMethods.h"

namespace ciap::server {

std::vector<std::unique_ptr<MethodHandler>> FiscalMethods::all() {
    std::vector<std::unique_ptr<MethodHandler>> methods;
    return methods;
}

} // namespace ciap::server
