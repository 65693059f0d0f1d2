#pragma once

// The package's unit table, as the host's package loader reads it: every unit with its
// start-up and shut-down step, in the order the units are started.
extern "C" {

typedef void (*PackageUnitProc)();

struct PackageUnitEntry {
    const char* name;
    PackageUnitProc initialization;
    PackageUnitProc finalization;
};

struct PackageInfoTable {
    int unitCount;
    const PackageUnitEntry* units;
};
}
