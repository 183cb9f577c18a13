// Mutexes with recursive ownership by one thread. A wait acquires the mutex
// (or adds one level when the caller already owns it). When the owning
// thread ends, or its process dies, without releasing, the mutex is
// abandoned: the next wait acquires it and reports WaitStatus::kAbandoned
// once; later acquisitions are ordinary.
#pragma once

#include <string_view>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// `initially_owned` makes the calling thread the owner of a new mutex; it has
// no effect when a named mutex already exists.
Handle create_mutex(bool initially_owned, std::string_view name = {}, bool* existed = nullptr);
Handle open_mutex(std::string_view name);

// Drops one level of ownership; the mutex is free when none is left. Fails
// with kNotOwner when the calling thread does not own it.
bool release_mutex(Handle mutex);

}  // namespace zel::kernel
