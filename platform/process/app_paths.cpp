#include "platform/process/app_paths.h"

#include "platform/registry/registry.h"

namespace zel::process {

std::optional<AppPath> findAppPath(std::string_view programName) {
  if (programName.empty() || programName.find('\\') != std::string_view::npos) {
    return std::nullopt;
  }
  std::string path = std::string(kAppPathsKey) + "\\" + std::string(programName);
  std::optional<registry::Key> key = registry::Key::open(registry::Hive::kLocalMachine, path);
  if (!key) return std::nullopt;
  AppPath entry;
  entry.program = key->readText("").value_or("");
  entry.directory = key->readText("PATH").value_or("");
  return entry;
}

}  // namespace zel::process
