#pragma once

#include "AssetRecord.h"
#include "Month.h"

#include <QString>

namespace ciap::server {

// The CIAP arithmetic (LC 87/96, art. 20 §5). Amounts of the register are handled in whole
// cents so that an instalment is cut down, never rounded up, to the cent.
class CiapRules final {
public:
    static qint64 creditCents(const AssetRecord& asset); // own + ST + freight + rate differential
    // 1 in the entry month; may be <= 0 (not yet entered) or above the count (finished).
    static int instalmentNumber(const QDate& entry, const Month& month);
    static bool takesPart(const AssetRecord& asset, const Month& month);
    static qint64 instalmentCents(const AssetRecord& asset, const Month& month); // 0 when not
    static double instalment(const AssetRecord& asset, const Month& month);

    // Kinds "50" and "60": credits tied wholly to taxed revenue, no coefficient.
    static bool wholeBalance(const QString& taxKind);
    // Taxed ÷ total; both zero → 1 for the whole-balance kinds, 0 otherwise; one of them
    // zero → 0; both non-zero → 1 for the whole-balance kinds.
    static double coefficient(double total, double taxed, const QString& taxKind);
    // What one instalment (or the month's balance) lets through: the share the coefficient
    // allows, the whole of it for the whole-balance kinds. The rest is lost.
    static double appropriable(double amount, double coefficient, const QString& taxKind);
    static double roundCents(double value); // sums of stored amounts, back to whole cents
    // Throws ServiceError when the outgoing values cannot be a month's figures.
    static void checkOutgoing(double total, double taxed);
};

} // namespace ciap::server
