// Names of the kernel objects and sections shared by the transport library
// and the proxy, and the rules that build the numbered ones.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zel::shared {

inline constexpr char kGlobalAreaName[] = "ZELLINK_GlobalMemoryMappedFile";
inline constexpr char kRelayUpEventName[] = "ZELRelayUpEvent";
inline constexpr char kRelayReadyEventName[] = "ZELRelayReadyEvent";
inline constexpr char kRelayLaunchMutexName[] = "ZELRelayLaunchMutex";
inline constexpr char kSessionAreaPrefix[] = "zelrelaySessionMem";
inline constexpr char kSessionMutexPrefix[] = "zelrelaySessionMutex";
inline constexpr char kReceiveSemaphorePrefix[] = "zelrelayRecvSemaphore";
inline constexpr char kConnectedEventName[] = "OmrexRCConnEvent";
inline constexpr char kDisconnectedEventName[] = "OmrexRCDisconnEvent";
inline constexpr char kRelayProgramName[] = "zelrelay";

inline constexpr int32_t kReceiveSemaphoreMaximum = 255;

// prefix followed by the number as (at least) nine decimal digits
// ("%s%09u"), or nothing when the name and its NUL do not fit the buffer size
// the name must fit in (the object is then created unnamed).
std::optional<std::string> numberedObjectName(std::string_view prefix, uint32_t number,
                                              size_t bufferSize);

// "ConnectMutex %x" with the proxy's section handle value of the session.
std::string connectMutexName(uint32_t sessionSectionHandle);

}  // namespace zel::shared
