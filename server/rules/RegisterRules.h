#pragma once

#include "RegisterRecords.h"

#include <QStringList>

namespace ciap::server {

// What the tax file (EFD Bloco G and the Bloco 0 registers it references) needs of an asset
// that the register does not hold yet.
class RegisterRules final {
public:
    // Each gap in a few words for the user, in the order the file asks for them; empty when
    // the asset is complete. entryCancelled: its entry document was cancelled after it became
    // an asset that a competência already holds.
    static QStringList gaps(const RegisterAsset& asset, bool entryCancelled);
};

} // namespace ciap::server
