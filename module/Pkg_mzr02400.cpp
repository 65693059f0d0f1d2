#include "Cli_mzr02400.h"
#include "PackageInfo.h"

#include <QtGlobal>

// The package Pkg_mzr02400: its one unit and the hooks the host calls when it loads and
// unloads the package. The loader may ask for the start-up more than once; the units start
// once per load and shut down when the last start-up is undone.

namespace {

const PackageUnitEntry Units[] = {
    {"Cli_mzr02400", &Cli_mzr02400_Initialization, &Cli_mzr02400_Finalization},
};

const PackageInfoTable Table = {int(sizeof Units / sizeof Units[0]), Units};

int s_initCount = 0;

} // namespace

extern "C" {

Q_DECL_EXPORT const PackageInfoTable* GetPackageInfoTable() {
    return &Table;
}

Q_DECL_EXPORT void Initialize() {
    if (s_initCount++ > 0)
        return;
    for (const PackageUnitEntry& unit : Units)
        unit.initialization();
}

Q_DECL_EXPORT void Finalize() {
    if (s_initCount == 0 || --s_initCount > 0)
        return;
    for (int i = Table.unitCount - 1; i >= 0; --i)
        Units[i].finalization();
}

} // extern "C"
