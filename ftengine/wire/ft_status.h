// Result codes of the file-transfer engine. 0 is success (and, in a data block
// or a stream reply, "last message"); negative values are the engine's own
// codes; positive values are Win32 error codes from the local file system or
// sent by the agent.
#pragma once

#include <cstdint>

namespace zel::ftengine {

inline constexpr std::int32_t FT_OK = 0;
inline constexpr std::int32_t FTERR_MORE = -2;
inline constexpr std::int32_t FTERR_CANCELLED = -3;
inline constexpr std::int32_t FTERR_TIMEOUT = -5;
inline constexpr std::int32_t FTERR_NO_MEMORY = -6;
inline constexpr std::int32_t FTERR_BAD_SESSION = -7;
inline constexpr std::int32_t FTERR_RECEIVE = -9;
inline constexpr std::int32_t FTERR_PROTOCOL = -10;
inline constexpr std::int32_t FTERR_REFUSED = -14;
inline constexpr std::int32_t FTERR_WRITE_TIMEOUT = -15;
inline constexpr std::int32_t FTERR_EXCEPTION = -18;
inline constexpr std::int32_t FTERR_SEND = -21;
inline constexpr std::int32_t FTERR_NOT_SUPPORTED = -23;
inline constexpr std::int32_t FTERR_UNEXPECTED = -24;
inline constexpr std::int32_t FTERR_NO_AGENT_MODULE = -25;
inline constexpr std::int32_t FTERR_CRC = -27;
inline constexpr std::int32_t FTERR_SEQUENCE = -28;

// The Win32 code for an invalid handle, returned for a null transfer.
inline constexpr std::int32_t FT_WIN32_INVALID_HANDLE = 6;
// The Win32 result of a wait that timed out.
inline constexpr std::int32_t FT_WAIT_TIMEOUT = 258;

// The symbolic name of one of the engine's own codes ("FTERR_CRC"), "FT_OK"
// for 0, or nullptr for any other value (a Win32 code).
const char* statusName(std::int32_t status);

}  // namespace zel::ftengine
