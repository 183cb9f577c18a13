// zellink's own texts by number, taken from the catalogue in the user's
// language beside the library when one is installed ("<LLL>link.cat").
#pragma once

#include <cstdint>
#include <string_view>

namespace zel::transport {

namespace text_number {
inline constexpr uint32_t kCaption = 6;
inline constexpr uint32_t kPermissionTimedOut = 7;
inline constexpr uint32_t kPermissionDenied = 10;
inline constexpr uint32_t kPermissionUnavailable = 11;
inline constexpr uint32_t kProxyStartFailed = 23;
inline constexpr uint32_t kNoAgent = 29;
inline constexpr uint32_t kNoRights = 31;
inline constexpr uint32_t kRequestFailed = 32;
inline constexpr uint32_t kAgentBusy = 34;
inline constexpr uint32_t kNoCertificate = 37;
inline constexpr uint32_t kCertificateInvalid = 42;
inline constexpr uint32_t kBadAddress = 44;
inline constexpr uint32_t kLocalMachine = 45;
inline constexpr uint32_t kChannelHeld = 46;
inline constexpr uint32_t kNotSupported = 47;
}  // namespace text_number

// The text numbered `number`; empty when neither the catalogue nor the
// built-in table has it. Valid for the life of the process.
std::string_view linkText(uint32_t number);

// The number of the text that explains an open or connect error code.
uint32_t errorTextNumber(int32_t code);

}  // namespace zel::transport
