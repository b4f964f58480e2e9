#include "benchkit/BenchkitInstance.h"

#include <win32/ModuleResources.h>

#include <cstddef>

// Generated from benchkit/resources (tools/rescomp).
extern const win32::ResourceEntry BenchkitResources[];
extern const size_t BenchkitResourcesCount;

HINSTANCE BenchkitInstance() {
    static const HINSTANCE instance =
        win32::RegisterModuleResources(u"BENCHKIT", BenchkitResources, BenchkitResourcesCount);
    return instance;
}
