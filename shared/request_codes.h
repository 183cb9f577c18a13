// Request codes and statuses of the global and session areas.
#pragma once

#include <cstdint>

namespace zel::shared {

namespace global_request {
inline constexpr int32_t kOpen = 0;
inline constexpr int32_t kClose = 1;
inline constexpr int32_t kEnumerate = 9;
inline constexpr int32_t kInformation = 14;
}  // namespace global_request

namespace global_status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kBadChannel = 2;    // channel type outside 0..6
inline constexpr int32_t kChannelHeld = 3;   // held by another live process
inline constexpr int32_t kAreaFailed = 4;    // the session area could not be created
inline constexpr int32_t kUnsupported = 6;   // unknown request, or no session exists
inline constexpr int32_t kNotFound = 7;      // open: no agent; enumerate/information: no session
inline constexpr int32_t kLocalMachine = 8;  // an address of this machine, channel not 5
}  // namespace global_status

namespace session_request {
inline constexpr int32_t kSend = 2;
inline constexpr int32_t kReceive = 3;
inline constexpr int32_t kLog = 4;
inline constexpr int32_t kReadLog = 5;
inline constexpr int32_t kStatistics = 6;
inline constexpr int32_t kResetSecurity = 7;
inline constexpr int32_t kNtAuthentication = 8;
inline constexpr int32_t kSetDescriptiveName = 10;
inline constexpr int32_t kGetDescriptiveName = 11;
inline constexpr int32_t kGetUserName = 12;
inline constexpr int32_t kOpenViewConnection = 13;
}  // namespace session_request

namespace session_status {
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kFailed = -1;      // send incomplete, view connection failed
inline constexpr int32_t kNotOpen = 2;      // receive: channel not open; read log: no log
inline constexpr int32_t kNoLog = 4;        // log: the session has no log
inline constexpr int32_t kEmpty = 5;        // receive: queue empty; read log: log empty
inline constexpr int32_t kUnsupported = 6;  // unknown request, reset security
}  // namespace session_status

// A log request's tick count that asks the proxy to stamp the entry itself.
inline constexpr uint32_t kProxyStampsTick = 0xFFFFFFFF;

}  // namespace zel::shared
