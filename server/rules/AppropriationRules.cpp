#include "AppropriationRules.h"

#include "CiapRules.h"

#include <algorithm>
#include <numeric>

namespace ciap::server {

namespace {

using Wide = __int128; // cents × 1e-8 units pass 64 bits for large figures

// a ÷ b rounded half up; a >= 0, b > 0.
qint64 divideHalfUp(Wide a, Wide b) {
    return qint64((2 * a + b) / (2 * b));
}

} // namespace

qint64 AppropriationRules::index(qint64 totalCents, qint64 taxedCents, const QString& taxKind) {
    const bool whole = CiapRules::wholeBalance(taxKind);
    if (totalCents == 0 && taxedCents == 0)
        return whole ? IndexOne : 0;
    if (totalCents == 0 || taxedCents == 0)
        return 0;
    if (whole)
        return IndexOne;
    return divideHalfUp(Wide(taxedCents) * IndexOne, totalCents);
}

AppropriationRules::Result AppropriationRules::appropriate(qint64 totalCents, qint64 taxedCents,
                                                           const QString& taxKind,
                                                           const QList<qint64>& instalmentCents) {
    Result r;
    r.index = index(totalCents, taxedCents, taxKind);
    const qint64 balance = std::accumulate(instalmentCents.begin(), instalmentCents.end(), 0LL);
    if (CiapRules::wholeBalance(taxKind)) {
        r.creditCents = balance;
        r.shares = instalmentCents;
        return r;
    }
    r.creditCents = divideHalfUp(Wide(balance) * r.index, IndexOne);
    r.shares.reserve(instalmentCents.size());
    QList<qint64> remainders;
    remainders.reserve(instalmentCents.size());
    qint64 given = 0;
    for (qint64 cents : instalmentCents) {
        const Wide exact = Wide(cents) * r.index;
        r.shares.append(qint64(exact / IndexOne));
        remainders.append(qint64(exact % IndexOne));
        given += r.shares.last();
    }
    QList<int> order(instalmentCents.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&remainders](int a, int b) { return remainders[a] > remainders[b]; });
    // The rounded credit exceeds the cut shares by fewer cents than there are shares with a
    // remainder: each of those gets at most one.
    for (qint64 i = 0, left = r.creditCents - given; i < left; ++i)
        ++r.shares[order[int(i)]];
    return r;
}

} // namespace ciap::server
