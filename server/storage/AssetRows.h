#pragma once

#include "AssetRecord.h"

#include <QString>

namespace ciap::server {

class SqlStatement;

// The asset register's columns as the stores read them, for a select on BEMATIVO under the
// given alias.
class AssetRows final {
public:
    static constexpr int ColumnCount = 13;
    static QString columns(const QString& alias);
    static AssetRecord read(const SqlStatement& s, int first = 0);
};

} // namespace ciap::server
