#pragma once

#include "AssetRecord.h"
#include "LoadedAsset.h"
#include "Month.h"
#include "Outgoing.h"

#include <QString>

namespace ciap::server {

// The CIAP arithmetic (LC 87/96, art. 20 §5). Amounts of the register are handled in whole
// cents so that an instalment is cut down, never rounded up, to the cent.
class CiapRules final {
public:
    static qint64 creditCents(const AssetRecord& asset); // own + ST + freight + rate differential
    // 1 in the entry month; may be <= 0 (not yet entered) or above the count (finished).
    static int instalmentNumber(const QDate& entry, const Month& month);
    // In the month it leaves an asset takes part as its state reads LC 87/96 art. 20 §5 V,
    // except in its entry month, which always carries the first instalment (the tax file puts
    // it on the entry line).
    static bool takesPart(const AssetRecord& asset, const Month& month, ExitMonthInstalment exit);
    // 0 when it does not take part.
    static qint64 instalmentCents(const AssetRecord& asset, const Month& month,
                                  ExitMonthInstalment exit);
    // The instalments still to come after the month, each at its full value; none once the
    // asset has left by the end of the month, since nothing more is credited then.
    static qint64 remainingCents(const AssetRecord& asset, const Month& month);
    static double instalment(const AssetRecord& asset, const Month& month,
                             ExitMonthInstalment exit);
    // Whether a loaded asset may still be credited in the month of its competência, of the
    // given registration, with the instalment it was loaded with.
    static Staleness staleness(const LoadedAsset& loaded, const QString& registration,
                               const Month& month, ExitMonthInstalment exit);

    // Kinds "50" and "60": credits tied wholly to taxed revenue, no coefficient.
    static bool wholeBalance(const QString& taxKind);
    // Taxed ÷ total; both zero → 1 for the whole-balance kinds, 0 otherwise; one of them
    // zero → 0; both non-zero → 1 for the whole-balance kinds.
    static double coefficient(double total, double taxed, const QString& taxKind);
    // What one instalment (or the month's balance) lets through: the share the coefficient
    // allows, the whole of it for the whole-balance kinds. The rest is lost.
    static double appropriable(double amount, double coefficient, const QString& taxKind);
    // Throws ServiceError when the outgoing values cannot be a month's figures.
    static void checkOutgoing(double total, double taxed);
};

} // namespace ciap::server
