#pragma once

#include "AssetRecord.h"
#include "RegisterRecords.h"

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

    // An asset with everything the register keeps of it: the company, the record, the details
    // and its entry and exit documents. registerColumns() is a select list over registerFrom()
    // (BEMATIVO a with its documents e and s); a caller may add columns after it and joins
    // after registerFrom(), and reads them from RegisterColumnCount on.
    static constexpr int RegisterColumnCount = 1 + ColumnCount + 10 + 2 * 12;
    static QString registerColumns();
    // datedDocuments: the entry document only of an asset that entered between the first two
    // values bound, the exit document only of one that left between the next two.
    static QString registerFrom(bool datedDocuments = false);
    static RegisterAsset readRegister(const SqlStatement& s);
};

} // namespace ciap::server
