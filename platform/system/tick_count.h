// The machine's millisecond tick counter: 32 bits, wrapping about every 49.7
// days, as stamped on session messages and used for elapsed times.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::system {

// Milliseconds of the monotonic clock, plus the offset in ZEL_TICK_OFFSET,
// modulo 2^32. The variable is read at every call, so that a test can move the
// counter next to its wrap; it holds a decimal or "0x" hexadecimal number, may
// be negative, and is taken modulo 2^32. Compare ticks only by unsigned
// difference: elapsed = now - then.
std::uint32_t tickCount();

// The offset that ZEL_TICK_OFFSET holds; 0 when it is unset or malformed.
std::uint32_t tickOffset();

// Reads a tick offset as ZEL_TICK_OFFSET gives it; nothing when malformed.
std::optional<std::uint32_t> parseTickOffset(std::string_view text);

}  // namespace zel::system
