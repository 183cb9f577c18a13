// Error codes reported by the functions that open and connect channels, and
// their default texts.
#pragma once

#include <cstdint>
#include <string_view>

namespace zel::shared {

namespace transport_error {
inline constexpr int32_t kSuccess = 0;
inline constexpr int32_t kChannelHeld = 1;
inline constexpr int32_t kFailed = -1;
inline constexpr int32_t kAgentBusy = -2;
inline constexpr int32_t kNoRights = -8;
inline constexpr int32_t kNoChannelRight = -9;
inline constexpr int32_t kNetWareMissing = -10;
inline constexpr int32_t kNetWareUnreadable = -11;
inline constexpr int32_t kPermissionDenied = -12;
inline constexpr int32_t kPermissionTimedOut = -13;
inline constexpr int32_t kPermissionUnavailable = -14;
inline constexpr int32_t kNotSupported = -15;
inline constexpr int32_t kBadAddress = -16;
inline constexpr int32_t kNoAgent = -17;
inline constexpr int32_t kLocalMachine = -18;
}  // namespace transport_error

// The text for a code; every code without a text of its own, the positive
// negotiation codes included, gets the default text. Success has no text.
std::string_view transportErrorText(int32_t code);

}  // namespace zel::shared
