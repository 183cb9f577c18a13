// Names of the per-session kernel objects: a prefix and a nine-digit number
// from a counter that starts at the tick count when the first name is needed
// and grows by one for each further name, so names are unique within a run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel::proxy {

class ObjectNamer {
 public:
  // The room a name must fit in, its NUL included; a name that does not fit
  // is not produced and the object is created unnamed.
  static constexpr size_t kNameBufferSize = 64;

  std::optional<std::string> next(std::string_view prefix);

 private:
  bool started_ = false;
  uint32_t counter_ = 0;
};

}  // namespace zel::proxy
