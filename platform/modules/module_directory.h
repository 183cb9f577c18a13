// Where the code of the caller lives, so that a library finds the files that
// are installed beside it (companion libraries, programs, text catalogues).
#pragma once

#include <filesystem>

namespace zel::modules {

// The file of the shared library or executable whose mapped image contains
// `address`; empty when no loaded module contains it. Pass the address of a
// function or a static variable of the calling module itself (one with
// internal linkage or hidden visibility, so that it cannot be interposed by
// another module's copy).
std::filesystem::path modulePath(const void* address);

// The directory of modulePath(address); empty when that is empty.
std::filesystem::path moduleDirectory(const void* address);

}  // namespace zel::modules
