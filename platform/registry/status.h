// Outcome of a registry operation.
#pragma once

#include <string_view>

namespace zel::registry {

enum class Status {
  kOk,
  kNotFound,         // the key or value does not exist
  kInvalidArgument,  // a malformed path, name or data
  kAccessDenied,     // the store may not be written here (permissions, read-only)
  kStoreError,       // the store could not be read or written for another reason
};

// A short lowercase description, for example "access denied".
std::string_view describe(Status status);

}  // namespace zel::registry
