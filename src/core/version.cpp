// Version of the core library and its ident lines; branch, commit, date and
// platform come from the build (build_info.h is generated at configure time).
#include "build_info.h"
#include "gridlume/context.h"

namespace {

constexpr int version_major = 2025;
constexpr int version_minor = 1;
constexpr int version_patch = 0;

constexpr const char version_string[] = "Gridlume-Core 2025 1.0.0";
constexpr const char ident_string[] =
    "$GridlumeCore: 2025 1.0.0 (November, 2024) core library of the Gridlume mesh generators $\n"
    "$GridlumeCore: Copyright Gridlume developers, all rights reserved $\n"
    "$Ident: Core: branch " GRIDLUME_BUILD_BRANCH " $\n"
    "$Ident: Core: commit " GRIDLUME_BUILD_COMMIT " $\n"
    "$GridlumeCore: Compiled " GRIDLUME_BUILD_DATE " " GRIDLUME_BUILD_TIME " GMT on "
    GRIDLUME_BUILD_PLATFORM " $\n";

}  // namespace

extern "C" {

int gridlume_core_get_version_major(void) { return version_major; }
int gridlume_core_get_version_minor(void) { return version_minor; }
int gridlume_core_get_version_patch(void) { return version_patch; }
const char *gridlume_core_get_version_string(void) { return version_string; }
const char *gridlume_core_get_version_ident_string(void) { return ident_string; }

}  // extern "C"
