// A prebuilt Windows launcher given an application's identity: its icon, its
// version resource and its manifest's execution level. Every other resource stays
// byte for byte.
#pragma once

#include "pack/icon_file.h"
#include "pack/version_resource.h"

#include <optional>
#include <string>
#include <vector>

namespace launcher::pack {

struct LauncherIdentity {
    std::vector<IconImage> icon; // empty: the launcher's own icons stay
    VersionFields version;
    std::string executionLevel; // empty: as built
};

inline constexpr const char* kExecutionLevels[] = {"asInvoker", "highestAvailable",
                                                   "requireAdministrator"};

// The launcher's bytes with the identity; throws PackError for a signed or
// malformed launcher.
std::string stampLauncher(std::string launcher, const LauncherIdentity& identity);

} // namespace launcher::pack
