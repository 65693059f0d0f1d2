#pragma once

#include "Outgoing.h"

#include <QHash>
#include <QList>
#include <optional>

namespace ciap::server {

// The month's outgoing values of LC 87/96 art. 20 §5 III-IV: the total of the outgoing
// operations and the part of it taxed by ICMS, where outgoing to other countries (and what the
// state treats the same way) counts as taxed. Whole cents throughout.
class OutgoingRules final {
public:
    struct Sums {
        qint64 totalCents = 0;
        qint64 taxedCents = 0;
    };

    // Whether an item whose ICMS situation is a CST (two digits) or a CSOSN (three) is taxed by
    // ICMS; "90" and "900" ("outras") are taxed when the item states an ICMS amount. nullopt
    // for a code of neither table.
    static std::optional<bool> taxedByIcms(const QString& situation, bool statesIcms);
    // Throws ServiceError naming the first CFOP the table does not know, or the first unknown
    // ICMS situation of an item that counts: nothing is counted by guess.
    static Sums sum(const QList<OutgoingGroup>& groups, const QHash<QString, CfopTreatment>& cfops);
    static QString cfopText(const QString& cfop); // "5102" → "5.102"
};

} // namespace ciap::server
