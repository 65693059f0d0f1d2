#pragma once

#include <QString>

namespace ciap::server {

// Items of a month's outgoing invoices that the rules count alike: the same CFOP, the same ICMS
// situation, and whether they state an ICMS amount. Cancelled invoices never get here.
struct OutgoingGroup {
    QString cfop;            // four digits, no dot: "5102"
    QString icmsSituation;   // CST (two digits) or CSOSN (three)
    bool statesIcms = false; // the items carry an ICMS amount
    qint64 cents = 0;        // the sum of the items' operation values ("valor contábil")
    QString invoice;         // one invoice holding such an item, to name in a message
};

// What the CFOP table says of an exit CFOP: nationally, or as the registration's state reads it.
struct CfopTreatment {
    bool inTotal = true;      // counts in the month's total outgoing
    bool alwaysTaxed = false; // counts as taxed whatever the item's ICMS situation (exports)
};

// LC 87/96 art. 20 §5 V as each state reads it: whether an asset's instalment still counts in
// the month the asset leaves.
enum class ExitMonthInstalment { Counts, DoesNotCount };

} // namespace ciap::server
