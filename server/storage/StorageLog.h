#pragma once

#include <QLoggingCategory>

namespace ciap::server {

Q_DECLARE_LOGGING_CATEGORY(lcStorage) // database

} // namespace ciap::server
