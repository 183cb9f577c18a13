// Codes shared by the transport library, the proxy and the tools: channel
// types, rights, security and protocol types, agent OS types, message flags
// and the negative channel notifications.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace zel::shared {

// The numbered services of a session; the value is also the channel number.
enum class ChannelType : int32_t {
  RemoteControl = 0,
  Chat = 1,
  Reboot = 2,
  FileTransfer = 3,
  SessionInfo = 4,
  Reserved = 5,  // no tool uses it; the only channel allowed to address this machine
  RemoteExecute = 6,
};

inline constexpr int kChannelCount = 7;

// Added to FileTransfer (0x08000003 only): never ask the agent's user.
inline constexpr int32_t kNoPermissionPrompt = 0x08000000;

inline constexpr bool isValidChannel(int32_t value) {
  return value >= 0 && value < kChannelCount;
}

// A channel argument as tools pass it: the channel plus the no-prompt mark.
struct ChannelRequest {
  int32_t channel = 0;
  bool noPermissionPrompt = false;
};

// 0x08000003 becomes FileTransfer with the mark; every other value passes
// through unchanged (the proxy refuses values outside 0..6).
inline constexpr ChannelRequest decodeChannelArgument(int32_t value) {
  if (value == (kNoPermissionPrompt | static_cast<int32_t>(ChannelType::FileTransfer))) {
    return {static_cast<int32_t>(ChannelType::FileTransfer), true};
  }
  return {value, false};
}

// ViewerRights bits.
namespace rights {
inline constexpr uint32_t kRemoteControl = 0x01;
inline constexpr uint32_t kChat = 0x10;
inline constexpr uint32_t kFileTransfer = 0x20;
inline constexpr uint32_t kReboot = 0x40;
inline constexpr uint32_t kRunPrograms = 0x80;
inline constexpr uint32_t kAny = 0xFF;
}  // namespace rights

// The right bits of which at least one must be granted to use a channel.
inline constexpr uint32_t requiredRights(ChannelType channel) {
  switch (channel) {
    case ChannelType::RemoteControl:
      return rights::kRemoteControl;
    case ChannelType::Chat:
      return rights::kChat;
    case ChannelType::Reboot:
      return rights::kReboot;
    case ChannelType::FileTransfer:
      return rights::kFileTransfer;
    case ChannelType::SessionInfo:
    case ChannelType::Reserved:
    case ChannelType::RemoteExecute:
      return rights::kAny;
  }
  return rights::kAny;
}

// The action named in the agent user's permission prompt; empty for channels
// that never ask.
inline constexpr std::string_view permissionText(ChannelType channel) {
  switch (channel) {
    case ChannelType::RemoteControl:
      return "remote control your machine";
    case ChannelType::Chat:
      return "chat with you";
    case ChannelType::Reboot:
      return "reboot your machine";
    case ChannelType::FileTransfer:
      return "transfer files";
    case ChannelType::RemoteExecute:
      return "execute a program";
    case ChannelType::SessionInfo:
    case ChannelType::Reserved:
      return {};
  }
  return {};
}

// UserSecurity bit: ask the agent's user before channels other than 4 and 5.
inline constexpr uint32_t kUserSecurityAskPermission = 0x01;

// SecurityType values agreed in negotiation.
namespace security_type {
inline constexpr uint8_t kNone = 0;
inline constexpr uint8_t kNtAuthentication = 2;
inline constexpr uint8_t kNtAuthenticationPlain = 3;
inline constexpr uint8_t kCertificate = 4;
inline constexpr uint8_t kNetWare = 5;
inline constexpr uint8_t kSessionKey = 6;
}  // namespace security_type

// ProtocolType values.
namespace protocol_type {
inline constexpr uint32_t kIpx = 1;
inline constexpr uint32_t kTcp = 3;
inline constexpr uint32_t kUdp = 4;
}  // namespace protocol_type

// Agent OS type codes the transport treats specially.
namespace os_type {
inline constexpr uint32_t kAcceptsCode = 1;   // the only type that takes downloaded code
inline constexpr uint32_t kLimited = 16;      // channels 0, 4 and 5 only
inline constexpr uint32_t kNullHandle = 8;    // answered for a null or closing handle
inline constexpr uint32_t kReducedOld = 128;  // with version below 3: reduced rights
}  // namespace os_type

// MessageFlags of session messages.
namespace message_flags {
inline constexpr uint32_t kError = 0x10;
inline constexpr uint32_t kWarning = 0x30;
inline constexpr uint32_t kInformation = 0x40;
inline constexpr uint32_t kPopUp = 0x10000;
}  // namespace message_flags

// Negative lengths that a receive returns instead of a message.
namespace notification {
inline constexpr int32_t kConnectionLost = -1;
inline constexpr int32_t kViewReset = -2;
inline constexpr int32_t kSessionEnded = -3;
inline constexpr int32_t kOnlyFileTransferLeft = -4;
inline constexpr int32_t kNamesChanged = -5;
}  // namespace notification

// A -2 notification is returned at most once per this many milliseconds.
inline constexpr uint32_t kViewResetNoticeIntervalMs = 8000;

}  // namespace zel::shared
