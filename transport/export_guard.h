// Every export runs its body through guarded(): no exception leaves the
// library, and a failure becomes the export's failure result.
#pragma once

#include <utility>

namespace zel::transport {

template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return failure;
  }
}

template <typename Body>
void guardedVoid(Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (...) {
  }
}

}  // namespace zel::transport
