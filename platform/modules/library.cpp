#include "platform/modules/library.h"

#include <dlfcn.h>
#include <link.h>

#include <utility>

#include "platform/modules/module_directory.h"

namespace zel::modules {
namespace {

bool endsWithDll(std::string_view name) {
  constexpr std::string_view kDll = ".dll";
  if (name.size() <= kDll.size()) return false;
  std::string_view tail = name.substr(name.size() - kDll.size());
  for (size_t i = 0; i < kDll.size(); ++i) {
    char c = tail[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kDll[i]) return false;
  }
  return true;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string lastDlError(const char* fallback) {
  const char* text = dlerror();
  return text != nullptr ? std::string(text) : std::string(fallback);
}

}  // namespace

std::string libraryFileName(std::string_view name) {
  if (!endsWithDll(name)) return std::string(name);
  return "lib" + lowerAscii(name.substr(0, name.size() - 4)) + ".so";
}

Library::~Library() {
  unload();
}

Library::Library(Library&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      error_(std::move(other.error_)) {}

Library& Library::operator=(Library&& other) noexcept {
  if (this != &other) {
    unload();
    handle_ = std::exchange(other.handle_, nullptr);
    path_ = std::move(other.path_);
    error_ = std::move(other.error_);
  }
  return *this;
}

Library Library::load(const std::filesystem::path& directory, std::string_view name) {
  Library library;
  if (name.empty() || name.find_first_of("/\\") != std::string_view::npos || name == "." ||
      name == "..") {
    library.error_ = "not a plain library name: \"" + std::string(name) + "\"";
    return library;
  }
  if (directory.empty()) {
    library.error_ = "no directory to load \"" + std::string(name) + "\" from";
    return library;
  }
  library.path_ = directory / libraryFileName(name);
  // A path with a slash makes the loader open exactly this file and search
  // nowhere else; RTLD_NOW reports missing dependencies here, not at a call.
  library.handle_ = dlopen(library.path_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library.handle_ == nullptr) library.error_ = lastDlError("cannot load the library");
  return library;
}

Library Library::loadBeside(const void* addressInCaller, std::string_view name) {
  return load(moduleDirectory(addressInCaller), name);
}

void* Library::symbol(const char* name, std::string* reason) const {
  auto fail = [&](std::string why) -> void* {
    if (reason != nullptr) *reason = std::move(why);
    return nullptr;
  };
  if (handle_ == nullptr) return fail("the library is not loaded");
  if (name == nullptr || *name == '\0') return fail("no function name");
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr) return fail(lastDlError("the symbol has no address"));
  // dlsym also searches the libraries this one depends on; only the library's
  // own exports count, as a caller asking it for a function expects.
  link_map* own = nullptr;
  if (dlinfo(handle_, RTLD_DI_LINKMAP, &own) != 0 || own == nullptr) {
    return fail(lastDlError("cannot identify the library"));
  }
  Dl_info info{};
  void* extra = nullptr;
  if (dladdr1(address, &info, &extra, RTLD_DL_LINKMAP) == 0 ||
      static_cast<link_map*>(extra) != own) {
    return fail(std::string("\"") + name + "\" is not exported by " + path_.string());
  }
  if (reason != nullptr) reason->clear();
  return address;
}

void Library::unload() {
  if (handle_ != nullptr) {
    dlclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace zel::modules
