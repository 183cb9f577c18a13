// The three hives of the registry and their names.
#pragma once

#include <optional>
#include <string_view>

namespace zel::registry {

enum class Hive { kLocalMachine, kClassesRoot, kCurrentUser };

// "HKLM", "HKCR", "HKCU".
std::string_view hiveShortName(Hive hive);
// "HKEY_LOCAL_MACHINE", "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER".
std::string_view hiveLongName(Hive hive);
// Either name, in any case.
std::optional<Hive> hiveFromName(std::string_view name);

}  // namespace zel::registry
