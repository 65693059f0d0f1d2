#pragma once

#include "ChartRecords.h"
#include "RegisterRecords.h"

#include <QStringList>

namespace ciap::server {

// What the tax file (EFD Bloco G and the Bloco 0 registers it references) needs of an asset
// that the register does not hold yet.
class RegisterRules final {
public:
    // Each gap in a few words for the user, in the order the file asks for them; empty when
    // the asset is complete. entryCancelled: its entry document was cancelled after it became
    // an asset that a competência already holds. defaults: its registration's, which the file
    // uses for an asset without an account or cost centre of its own.
    static QStringList gaps(const RegisterAsset& asset, bool entryCancelled,
                            const EfdSettings& defaults = {});
};

} // namespace ciap::server
