// Shared libraries loaded at run time by name, and the functions they export.
//
// A library is named as the rest of the system names it: "zelgate.dll" is the
// file "libzelgate.so" in the directory given. A library or a function that is
// not there is an ordinary outcome: nothing is thrown and nothing printed; the
// reason is kept as text for whoever wants to log it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zel::modules {

// The file name that stands for a library name: a name ending in ".dll" (any
// case) becomes "lib" + the name without ".dll", in lower case ("KSX.DLL" ->
// "libksx.so"); any other name is used as given.
std::string libraryFileName(std::string_view name);

class Library {
 public:
  Library() = default;
  ~Library();
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the library `name` (mapped by libraryFileName) from `directory`, and
  // nowhere else. A name with a path separator in it is refused.
  static Library load(const std::filesystem::path& directory, std::string_view name);

  // Loads the library `name` from the directory of the module that contains
  // `addressInCaller` (see moduleDirectory).
  static Library loadBeside(const void* addressInCaller, std::string_view name);

  bool loaded() const { return handle_ != nullptr; }
  explicit operator bool() const { return loaded(); }

  // Why the last load failed; empty for a loaded library.
  const std::string& error() const { return error_; }
  // The file that was (or would have been) loaded.
  const std::filesystem::path& path() const { return path_; }

  // The address of the function or variable `name` exported by this library
  // itself (not one of the libraries it depends on), or null; `reason`, when
  // given, receives why it is null.
  void* symbol(const char* name, std::string* reason = nullptr) const;

  template <typename Function>
  Function* function(const char* name, std::string* reason = nullptr) const {
    return reinterpret_cast<Function*>(symbol(name, reason));
  }

  // Unloads the library now; also done by the destructor.
  void unload();

 private:
  void* handle_ = nullptr;
  std::filesystem::path path_;
  std::string error_;
};

}  // namespace zel::modules
