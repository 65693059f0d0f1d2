#pragma once

#include "MethodHandler.h"

#include <memory>
#include <vector>

namespace ciap::server {

// The methods of the object "ciap.fiscal": what lies around the screen (the register, document
// import, the tax file and the book). Their handlers return kObject from objectName().
class FiscalMethods final {
public:
    static constexpr const char* kObject = "ciap.fiscal";
    static std::vector<std::unique_ptr<MethodHandler>> all();
};

} // namespace ciap::server
