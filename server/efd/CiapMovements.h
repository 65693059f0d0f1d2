#pragma once

// From the asset register's facts to a month's G125 lines and G110 (LC 87/96 art. 20 §5):
// 1/NR_PARC of the credit a month, the first in the month of entry, cut down to the cent.

#include "EfdModel.h"

namespace ciap::efd {

enum class AssetOrigin {
    Purchase,   // IM
    FromStock,  // MC: moved in from current assets
    Component,  // IA: component of an asset under construction, instalments from purchase
    Completion, // CI: the finished asset; its ICMS is the sum of its components'
};

enum class ExitKind {
    None,
    Sale,  // "V": sale or transfer, AT
    Loss,  // "P": loss, theft, deterioration, PE
    Other, // "O": OT
};

// Whether an asset's instalment still counts in the month it leaves (LC 87/96 art. 20 §5 V
// read by each state). The server loads it in that month, which is Counts.
enum class ExitMonthInstalment { Counts, DoesNotCount };

struct AssetFacts {
    // Every member has a default, so designated initialisers may name only what they need.
    QString code{}; // COD_IND_BEM
    QDate entry{};
    IcmsParts icms{};
    int instalments = 48;
    AssetOrigin origin = AssetOrigin::Purchase;
    QDate exit{}; // valid when exitKind is not None
    ExitKind exitKind = ExitKind::None;
    QList<Document> entryDocuments{}; // G130 of the entry line (IM, MC, IA, CI)
    QList<Document> exitDocuments{};  // G130 of the exit line (AT, PE, OT)
};

// The month's stored figures of the competência.
struct MonthFigures {
    QDate start;             // first day of the month
    QDate end;               // last day
    Cents taxedOutgoing = 0; // taxed + exports, as state law counts them
    Cents totalOutgoing = 0;
    Index8 outgoingIndex = 0; // the stored coefficient at 8 decimals
    Cents balance = 0;        // the sum of the month's instalments
    Cents credit = 0;         // the stored credit to appropriate
};

class CiapMovements final {
public:
    // Credit ÷ instalments cut down to the cent: the cents left over are never credited.
    static Cents instalmentValue(const IcmsParts& icms, int instalments);
    // 1 in the entry month; below 1 before it, above the count after the end.
    static int instalmentNumber(const QDate& entry, const QDate& month);

    // The asset's G125 lines for the month holding `month`, in the file's order:
    //   entry month            IM/MC/IA/CI dated the entry, instalment 1
    //   later months           SI dated the first day, with the month's instalment
    //   last instalment        SI + BA dated the last day
    //   exit month             SI (instalment per the state's choice) + AT/PE/OT dated the exit
    //   before entry, after the last instalment or after the exit month: none.
    // An asset that enters and leaves in one month keeps instalment 1 on its entry line: the
    // layout requires it there. Throws EfdError for facts no month can hold.
    static QList<Movement> forAsset(const AssetFacts& asset, const QDate& month,
                                    ExitMonthInstalment choice);
    static QList<Movement> forMonth(const QList<AssetFacts>& assets, const QDate& month,
                                    ExitMonthInstalment choice);

    // G110 from the stored figures: SALDO_IN_ICMS and SOM_ICMS_OC summed from the lines,
    // SOM_PARC the stored balance, the rest as stored. The validator compares them.
    static Ciap ciap(const MonthFigures& figures, const QList<Movement>& movements);
};

} // namespace ciap::efd
