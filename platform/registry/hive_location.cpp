#include "platform/registry/hive_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry/hive_tree.h"

namespace zel::registry {

namespace {

// A variable that is set to an absolute path.
std::optional<std::filesystem::path> absoluteFromEnvironment(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

std::optional<std::filesystem::path> homeDirectory() {
  if (auto home = absoluteFromEnvironment("HOME")) return home;
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
      !found->pw_dir || found->pw_dir[0] != '/') {
    return std::nullopt;
  }
  return std::filesystem::path(found->pw_dir);
}

}  // namespace

std::optional<HiveLocation> locateHive(Hive hive) {
  const std::string fileName = std::string(hiveShortName(hive)) + ".hive";
  const char* chosen = std::getenv("ZEL_REGISTRY_DIR");
  if (chosen && chosen[0] != '\0') {
    return HiveLocation{std::filesystem::path(chosen) / fileName, 0755, 0644};
  }
  if (hive != Hive::kCurrentUser) {
    return HiveLocation{std::filesystem::path("/var/lib/zel/registry") / fileName, 0755, 0644};
  }
  std::optional<std::filesystem::path> config = absoluteFromEnvironment("XDG_CONFIG_HOME");
  if (!config) {
    std::optional<std::filesystem::path> home = homeDirectory();
    if (!home) return std::nullopt;
    config = *home / ".config";
  }
  return HiveLocation{*config / "zel" / "registry" / fileName, 0700, 0600};
}

}  // namespace zel::registry
