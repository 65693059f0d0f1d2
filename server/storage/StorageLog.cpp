#include "StorageLog.h"

namespace ciap::server {

Q_LOGGING_CATEGORY(lcStorage, "ciap.server.storage")

} // namespace ciap::server
