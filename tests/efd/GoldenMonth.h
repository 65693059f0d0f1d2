#pragma once

// The worked example of docs/ciap-rules.md, competência 01/2024, as the export would see it:
// the register's facts of assets 1, 2, 3, 4 and 6, the month's stored figures, and made-up
// but valid documents, participants, item, account and cost centres.

#include "CiapMovements.h"
#include "EfdModel.h"

namespace golden {

QList<ciap::efd::AssetFacts> facts();
ciap::efd::MonthFigures figures();
// The whole model, Bloco G built from facts() and figures() with the exit month counting.
// Asset 6 (not yet entered) is in the register list but moves nothing this month.
ciap::efd::EfdFile file();

} // namespace golden
