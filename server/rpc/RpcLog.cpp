#include "RpcLog.h"

namespace ciap::server {

Q_LOGGING_CATEGORY(lcRpc, "ciap.server.rpc")
Q_LOGGING_CATEGORY(lcNet, "ciap.server.net")

} // namespace ciap::server
