// Counting semaphores with a maximum. A wait takes one unit.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// 0 <= initial_count <= maximum_count and maximum_count > 0.
Handle create_semaphore(int32_t initial_count, int32_t maximum_count, std::string_view name = {},
                        bool* existed = nullptr);
Handle open_semaphore(std::string_view name);

// Adds `count` (> 0) units. A release that would pass the maximum fails with
// kTooManyPosts and changes nothing. `previous_count` receives the count
// before the release.
bool release_semaphore(Handle semaphore, int32_t count = 1, int32_t* previous_count = nullptr);

}  // namespace zel::kernel
