// The agent's capability record (173 bytes, carried by the open reply) and
// the peer classes derived from it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace zel::ftengine {

inline constexpr std::size_t FT_CAPS_SIZE = 173;

// Platform field values.
inline constexpr std::uint32_t FT_PLATFORM_OTHER = 0;
inline constexpr std::uint32_t FT_PLATFORM_WIN9X = 1;
inline constexpr std::uint32_t FT_PLATFORM_NT = 2;
// System types with platform FT_PLATFORM_OTHER.
inline constexpr std::uint8_t FT_SYSTEM_LINUX = 2;
inline constexpr std::uint8_t FT_SYSTEM_MAC_OS = 3;
inline constexpr std::uint8_t FT_SYSTEM_MAC_OS_X = 18;

struct FtCaps {
  std::uint32_t reserved = 0;      // offset 0, not interpreted
  std::uint32_t capabilities = 0;  // FTCAP_* bits
  std::uint32_t majorVersion = 0;
  std::uint32_t minorVersion = 0;
  std::uint32_t buildNumber = 0;  // 0 for an agent that is not Windows
  std::uint32_t platform = 0;
  std::uint8_t systemType = 0;
  std::string computerName;  // at most 15 characters on the wire
  std::string description;   // at most 131 characters on the wire
};

// Reads the record. Text fields end at their first NUL or at the end of the
// field, so a record without NULs cannot make a reader run past it.
FtCaps decodeCaps(std::span<const std::uint8_t, FT_CAPS_SIZE> record);

// Writes the record; texts longer than their fields are cut to leave room
// for the NUL.
std::array<std::uint8_t, FT_CAPS_SIZE> encodeCaps(const FtCaps& caps);

enum class PeerClass : std::uint8_t {
  Windows,   // build number not 0
  Mac,       // transfers are neither packed nor converted
  UnixTime,  // file times in seconds since 1970; an empty path lists the root
};

PeerClass peerClassOf(const FtCaps& caps);

// Whether the agent offers what the request needs (requests that need no
// bit are always offered).
bool offers(const FtCaps& caps, std::uint8_t requestOp);

}  // namespace zel::ftengine
