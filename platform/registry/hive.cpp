#include "platform/registry/hive.h"

#include <array>

#include "platform/registry/hive_tree.h"

namespace zel::registry {

namespace {

struct HiveNames {
  Hive hive;
  std::string_view shortName;
  std::string_view longName;
};

constexpr std::array<HiveNames, 3> kHives{{
    {Hive::kLocalMachine, "HKLM", "HKEY_LOCAL_MACHINE"},
    {Hive::kClassesRoot, "HKCR", "HKEY_CLASSES_ROOT"},
    {Hive::kCurrentUser, "HKCU", "HKEY_CURRENT_USER"},
}};

const HiveNames& namesOf(Hive hive) {
  for (const HiveNames& names : kHives) {
    if (names.hive == hive) return names;
  }
  return kHives.front();
}

}  // namespace

std::string_view hiveShortName(Hive hive) {
  return namesOf(hive).shortName;
}
std::string_view hiveLongName(Hive hive) {
  return namesOf(hive).longName;
}

std::optional<Hive> hiveFromName(std::string_view name) {
  for (const HiveNames& names : kHives) {
    if (sameName(name, names.shortName) || sameName(name, names.longName)) return names.hive;
  }
  return std::nullopt;
}

}  // namespace zel::registry
