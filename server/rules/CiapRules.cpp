#include "CiapRules.h"

#include "ServerMessages.h"
#include "ServiceError.h"

#include <algorithm>
#include <cmath>

namespace ciap::server {

qint64 CiapRules::creditCents(const AssetRecord& asset) {
    return std::llround(asset.ownIcms * 100.0) + std::llround(asset.stIcms * 100.0) +
           std::llround(asset.freightIcms * 100.0) + std::llround(asset.difalIcms * 100.0);
}

int CiapRules::instalmentNumber(const QDate& entry, const Month& month) {
    return month.index() - Month::of(entry).index() + 1;
}

bool CiapRules::takesPart(const AssetRecord& asset, const Month& month, ExitMonthInstalment exit) {
    if (!asset.entry.isValid() || asset.instalments < 1)
        return false;
    const int n = instalmentNumber(asset.entry, month);
    if (n < 1 || n > asset.instalments)
        return false;
    if (!asset.exitDate.isValid())
        return true;
    const Month left = Month::of(asset.exitDate);
    if (left < month)
        return false;
    return left > month || n == 1 || exit == ExitMonthInstalment::Counts;
}

qint64 CiapRules::instalmentCents(const AssetRecord& asset, const Month& month,
                                  ExitMonthInstalment exit) {
    if (!takesPart(asset, month, exit))
        return 0;
    const qint64 credit = creditCents(asset);
    if (credit <= 0)
        return 0;
    return credit / asset.instalments; // integer division: cut down to the cent
}

qint64 CiapRules::remainingCents(const AssetRecord& asset, const Month& month) {
    if (!asset.entry.isValid() || asset.instalments < 1)
        return 0;
    if (asset.exitDate.isValid() && Month::of(asset.exitDate) <= month)
        return 0;
    const int done = std::clamp(instalmentNumber(asset.entry, month), 0, asset.instalments);
    const qint64 credit = creditCents(asset);
    return credit > 0 ? (credit / asset.instalments) * (asset.instalments - done) : 0;
}

double CiapRules::instalment(const AssetRecord& asset, const Month& month,
                             ExitMonthInstalment exit) {
    return double(instalmentCents(asset, month, exit)) / 100.0;
}

Staleness CiapRules::staleness(const LoadedAsset& loaded, const QString& registration,
                               const Month& month, ExitMonthInstalment exit) {
    const AssetRecord& a = loaded.current;
    if (a.registration != registration)
        return Staleness::OtherRegistration;
    if (!takesPart(a, month, exit)) {
        if (a.exitDate.isValid() && Month::of(a.exitDate) < month)
            return Staleness::LeftBefore;
        if (a.exitDate.isValid() && Month::of(a.exitDate) == month)
            return Staleness::LeftThisMonth;
        return Staleness::NoInstalment;
    }
    return instalmentCents(a, month, exit) == loaded.loadedCents ? Staleness::Current
                                                                 : Staleness::InstalmentChanged;
}

bool CiapRules::wholeBalance(const QString& taxKind) {
    return taxKind == QLatin1String("50") || taxKind == QLatin1String("60");
}

double CiapRules::coefficient(double total, double taxed, const QString& taxKind) {
    if (total == 0.0 && taxed == 0.0)
        return wholeBalance(taxKind) ? 1.0 : 0.0;
    if (total == 0.0 || taxed == 0.0)
        return 0.0;
    if (wholeBalance(taxKind))
        return 1.0;
    return taxed / total;
}

double CiapRules::appropriable(double amount, double coefficient, const QString& taxKind) {
    return wholeBalance(taxKind) ? amount : amount * coefficient;
}

void CiapRules::checkOutgoing(double total, double taxed) {
    if (total < 0.0 || taxed < 0.0)
        throw ServiceError::rule(ServerMessages::negativeOutgoing());
    if (taxed > total)
        throw ServiceError::rule(ServerMessages::taxedAboveTotal());
}

} // namespace ciap::server
