#pragma once

#include <QLoggingCategory>

namespace ciap::server {

Q_DECLARE_LOGGING_CATEGORY(lcRpc) // one line per call: method, duration, outcome
Q_DECLARE_LOGGING_CATEGORY(lcNet) // connections

} // namespace ciap::server
