#include "platform/modules/module_directory.h"

#include <dlfcn.h>
#include <link.h>

#include <system_error>

namespace zel::modules {

std::filesystem::path modulePath(const void* address) {
  Dl_info info{};
  void* extra = nullptr;
  if (address == nullptr || dladdr1(address, &info, &extra, RTLD_DL_LINKMAP) == 0) return {};
  const auto* map = static_cast<const link_map*>(extra);
  std::error_code ec;
  // The executable's own entry carries no name; the kernel knows its file.
  if (map == nullptr || map->l_name == nullptr || map->l_name[0] == '\0') {
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe;
  }
  std::filesystem::path file(map->l_name);
  std::filesystem::path canonical = std::filesystem::weakly_canonical(file, ec);
  return ec ? file : canonical;
}

std::filesystem::path moduleDirectory(const void* address) {
  std::filesystem::path file = modulePath(address);
  return file.empty() ? file : file.parent_path();
}

}  // namespace zel::modules
