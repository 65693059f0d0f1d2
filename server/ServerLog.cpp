#include "ServerLog.h"

namespace ciap::server {

Q_LOGGING_CATEGORY(lcRpc, "ciap.server.rpc")
Q_LOGGING_CATEGORY(lcNet, "ciap.server.net")
Q_LOGGING_CATEGORY(lcStorage, "ciap.server.storage")

} // namespace ciap::server
