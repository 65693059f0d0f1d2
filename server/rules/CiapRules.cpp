#include "CiapRules.h"

#include "ServerMessages.h"
#include "ServiceError.h"

#include <cmath>

namespace ciap::server {

qint64 CiapRules::creditCents(const AssetRecord& asset) {
    return std::llround(asset.ownIcms * 100.0) + std::llround(asset.stIcms * 100.0) +
           std::llround(asset.freightIcms * 100.0) + std::llround(asset.difalIcms * 100.0);
}

int CiapRules::instalmentNumber(const QDate& entry, const Month& month) {
    return month.index() - Month::of(entry).index() + 1;
}

bool CiapRules::takesPart(const AssetRecord& asset, const Month& month) {
    if (!asset.entry.isValid() || asset.instalments < 1)
        return false;
    const int n = instalmentNumber(asset.entry, month);
    if (n < 1 || n > asset.instalments)
        return false;
    // An asset that left takes part in the month it left, not after.
    if (asset.exitDate.isValid() && Month::of(asset.exitDate) < month)
        return false;
    return true;
}

qint64 CiapRules::instalmentCents(const AssetRecord& asset, const Month& month) {
    if (!takesPart(asset, month))
        return 0;
    const qint64 credit = creditCents(asset);
    if (credit <= 0)
        return 0;
    return credit / asset.instalments; // integer division: cut down to the cent
}

double CiapRules::instalment(const AssetRecord& asset, const Month& month) {
    return double(instalmentCents(asset, month)) / 100.0;
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

double CiapRules::roundCents(double value) {
    return double(std::llround(value * 100.0)) / 100.0;
}

void CiapRules::checkOutgoing(double total, double taxed) {
    if (total < 0.0 || taxed < 0.0)
        throw ServiceError::rule(ServerMessages::negativeOutgoing());
    if (taxed > total)
        throw ServiceError::rule(ServerMessages::taxedAboveTotal());
}

} // namespace ciap::server
