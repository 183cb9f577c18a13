// Where each hive's file lives.
//
// ZEL_REGISTRY_DIR, when set, names one directory for all hives. Otherwise
// HKLM and HKCR live in /var/lib/zel/registry, and HKCU in
// ${XDG_CONFIG_HOME:-$HOME/.config}/zel/registry. The location is looked up
// on every call, so a process (a test) may point it elsewhere at any time.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>

#include "platform/registry/hive.h"

namespace zel::registry {

struct HiveLocation {
  std::filesystem::path file;  // for example /var/lib/zel/registry/HKLM.hive
  mode_t directoryMode;        // for directories created on the first write
  mode_t fileMode;             // for a hive file created on the first write
};

// nullopt when there is no place for the hive (HKCU without a home directory).
std::optional<HiveLocation> locateHive(Hive hive);

}  // namespace zel::registry
