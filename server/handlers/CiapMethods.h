#pragma once

#include "MethodHandler.h"

#include <memory>
#include <vector>

namespace ciap::server {

// The methods of the remote object the screen calls, one handler each; what the dispatcher
// serves. A new method is one more handler here.
class CiapMethods final {
public:
    static std::vector<std::unique_ptr<MethodHandler>> all();
};

} // namespace ciap::server
