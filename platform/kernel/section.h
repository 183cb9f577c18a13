// Sections: shared memory areas of a fixed size, zero-filled when created,
// mapped read/write into any process that holds a handle.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/kernel/handle.h"

namespace zel::kernel {

// Creates a section of `size` bytes (size > 0). With a name, a section of
// that name that already exists is opened instead (its own size is kept),
// `*existed` (when given) is set and last_error() is kAlreadyExists. An empty
// name creates an unnamed section.
Handle create_section(uint64_t size, std::string_view name = {}, bool* existed = nullptr);
Handle open_section(std::string_view name);

// The size given when the section was created (0 when invalid).
uint64_t section_size(Handle section);

// Maps the whole section read/write. The view stays valid, and keeps the
// section alive, until unmap_view(), even when the handle is closed first.
void* map_view(Handle section);
bool unmap_view(void* view);

}  // namespace zel::kernel
