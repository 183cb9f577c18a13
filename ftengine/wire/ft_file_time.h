// File times on the wire: 8-byte FILETIME values (100-ns units since 1601,
// UTC), except with a Unix-time peer, which carries a 32-bit count of seconds
// since 1970 in the first 4 bytes of the field. The conversions follow the
// peer's convention of local wall-clock time:
//   - sending: the FILETIME's UTC calendar fields are read as local time
//     with daylight saving off; those seconds replace the first 4 bytes, the
//     last 4 bytes keep the FILETIME's high half;
//   - receiving: the seconds are turned into local calendar fields, which
//     are read as UTC and become the whole FILETIME (milliseconds 0).
// A value that cannot be converted is left as it came.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace zel::ftengine {

inline constexpr std::uint64_t FT_FILETIME_UNIX_EPOCH = 116444736000000000ull;
inline constexpr std::uint64_t FT_FILETIME_PER_SECOND = 10000000ull;

// Whole seconds since 1970 of a FILETIME, or nothing before 1970.
std::optional<std::int64_t> unixSecondsOf(std::uint64_t fileTime);
std::uint64_t fileTimeOf(std::int64_t unixSeconds);

// A FILETIME as it is sent to a Unix-time peer.
std::uint64_t toUnixPeerTime(std::uint64_t fileTime);
// A time field received from a Unix-time peer, as a FILETIME.
std::uint64_t fromUnixPeerTime(std::uint64_t wireTime);

// Converts the three times (offsets 4, 12, 20) of one received file entry
// record in place.
void convertEntryTimesFromUnixPeer(std::span<std::uint8_t> fileEntryRecord);

}  // namespace zel::ftengine
