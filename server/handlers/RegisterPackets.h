#pragma once

#include "DataPacket.h"

#include <QByteArray>
#include <QList>
#include <QVariantList>

namespace ciap::server {

// The packets of the register and import methods of "ciap.fiscal". Amounts are whole cents
// (fields ending in CENT), so that no amount ever travels as binary floating point; quantities
// are units with up to five decimals.
class RegisterPackets final {
public:
    static const QList<FieldDef>& importResult();  // importDocument
    static const QList<FieldDef>& registrations(); // listRegistrations
    static const QList<FieldDef>& assets();        // listAssets, and the fields of saveAssets
    static const QList<FieldDef>& purchases();     // listPurchases: one row per item
    static const QList<FieldDef>& pendingExits();  // listPendingExits

    // Writes rows of values in the fields' order: QString, a number, QDate, or an invalid
    // QVariant for null.
    static QByteArray write(const QList<FieldDef>& fields, const QList<QVariantList>& rows);
};

} // namespace ciap::server
