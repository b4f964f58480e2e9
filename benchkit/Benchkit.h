// The package unit of libbenchkit.so: its table of units and the entry points
// the host's package loader calls. Loading the library does nothing; the host
// calls Initialize once to start every unit in table order and Finalize to
// shut them down in reverse.
#pragma once
#pragma GCC visibility push(default)

extern "C" {

// One unit of the package: its start-up and shut-down routines (either may be
// null when the unit has nothing to do).
struct TPackageUnitEntry {
    const char* Name;
    void (*Init)();
    void (*FInit)();
};

struct TPackageInfoTable {
    int UnitCount;
    const TPackageUnitEntry* UnitInfo;
};

// The units in dependency order.
const TPackageInfoTable* GetPackageInfoTable();

// Runs every unit's start-up once per process, in table order.
void Initialize();

// Runs the shut-down of every started unit, in reverse order.
void Finalize();
}

#pragma GCC visibility pop
