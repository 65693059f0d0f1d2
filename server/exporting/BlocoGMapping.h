#pragma once

// What the register holds, as the tax file's model says it (server/efd/README.md, "What the
// export must supply"). Pure: no SQL, no decisions about which month or which assets.

#include "ChartRecords.h"
#include "CiapMovements.h"
#include "CompetenciaRow.h"
#include "EfdModel.h"
#include "Month.h"
#include "Outgoing.h"
#include "RegisterRecords.h"

namespace ciap::server {

class BlocoGMapping final {
public:
    // 0000 of the registration's month. The state registration is written without the
    // punctuation people type it with; IM and SUFRAMA are not kept.
    static efd::Establishment establishment(const QString& companyName,
                                            const Registration& registration,
                                            const EfdSettings& settings, const Month& month);

    // The asset's facts for the month: its documents only where the month's lines carry them
    // (the entry document in its entry month, with its item; the exit document in the month it
    // leaves), so a large register does not copy what the file will not hold.
    static efd::AssetFacts facts(const RegisterAsset& asset, const Month& month);
    // 0300/0305; the registration's defaults stand in for an account or cost centre the asset
    // does not have.
    static efd::FixedAsset fixedAsset(const RegisterAsset& asset, const EfdSettings& defaults);
    // 0200 of the item an entry document applies to the asset; its unit is asset.details.unit.
    static efd::Item item(const RegisterAsset& asset, const QString& ncm);
    static efd::Unit unit(const QString& code);

    static efd::Participant participant(const Participant& p);
    static efd::Account account(const AccountRecord& a);
    static efd::CostCentre costCentre(const CostCentreRecord& c);

    // G110's figures as stored. Kinds "50" and "60" credit the whole balance: the file says so
    // with IND_PER_SAI 1 and VL_TRIB_EXP = VL_TOTAL (docs/ciap-rules.md, "What the tax file
    // reports").
    static efd::MonthFigures figures(const CompetenciaRow& row, bool wholeBalance);
    static efd::ExitMonthInstalment exitChoice(ExitMonthInstalment choice);

    static efd::Cents cents(double value);
};

} // namespace ciap::server
