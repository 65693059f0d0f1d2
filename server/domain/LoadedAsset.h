#pragma once

#include "AssetRecord.h"

namespace ciap::server {

// An asset as a competência holds it, beside what the register says of it now.
struct LoadedAsset {
    AssetRecord current;
    qint64 loadedCents = 0; // the instalment stored when it was loaded
};

// Why a loaded asset may no longer be credited as it was loaded.
enum class Staleness {
    Current,
    OtherRegistration, // the register moved it to another establishment
    LeftBefore,        // it left before the month
    LeftThisMonth,     // it left in the month, and its state grants no instalment then
    NoInstalment,      // its instalments no longer reach the month
    InstalmentChanged, // its ICMS or its number of instalments changed
};

} // namespace ciap::server
