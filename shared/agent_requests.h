// The console's side of the request-link exchanges that establish and end a
// session: the agent query, the security negotiation and the end-session
// request. Encoders build request payloads; decoders read reply payloads and
// never look past them (fields beyond a short reply read as 0).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zel::shared {

// ---- agent query ----------------------------------------------------------

inline constexpr size_t kQueryReplyFixedSize = 62;
inline constexpr uint16_t kQueryBusy = 0xFFFE;

namespace agent_flag {
inline constexpr uint32_t kSecondOverlay = 0x200;
inline constexpr uint32_t kBusy = 0x800;
inline constexpr uint32_t kNetWareDirectory = 0x1000;
}  // namespace agent_flag

std::vector<uint8_t> encodeAgentQuery();

struct AgentQueryReply {
  bool busy = false;      // u16 at 2 is 0xFFFE
  bool complete = false;  // the reply holds every fixed field
  uint16_t version = 0;
  uint8_t nameKind = 0;
  uint16_t osType = 0;
  uint16_t netWareOffset = 0;
  std::array<uint8_t, 100> netWareIdentity{};  // the part inside the reply, zeros beyond
  uint16_t inUse = 0;
  bool inUseReported = false;  // name kind 1 or more
  uint32_t flags = 0;
  uint8_t loadedCodeType = 0;
  uint16_t largestCodeBlock = 0;
  uint16_t architecture = 0;
  uint16_t codePage = 0;
  bool hasNames = false;
  std::string machineName;  // at most 255 characters each
  std::string userName;
};

// Nothing for an empty reply (no agent answered).
std::optional<AgentQueryReply> decodeAgentQueryReply(std::span<const uint8_t> reply);

// ---- negotiation ----------------------------------------------------------

inline constexpr size_t kNegotiationSize = 100;
inline constexpr size_t kNegotiationNameLimit = 31;

namespace negotiation_result {
inline constexpr uint16_t kAccepted = 0;
inline constexpr uint16_t kAcceptedWhileBusy = 1;
inline constexpr uint16_t kUseSecurityType = 2;
inline constexpr uint16_t kCertificateInvalid = 0xFFF5;
inline constexpr uint16_t kNoCertificate = 0xFFF6;
inline constexpr uint16_t kCredentialsRequired = 0xFFF7;
inline constexpr uint16_t kBusy = 0xFFFE;
inline constexpr uint16_t kNoAnswer = 0xFFFF;
}  // namespace negotiation_result

// The 100-byte negotiation request; the name is cut at 31 characters.
std::vector<uint8_t> encodeNegotiationRequest(uint8_t offeredType, uint16_t sequence,
                                              std::string_view computerName);

struct NegotiationReply {
  uint16_t result = 0;
  uint32_t rights = 0;
  uint8_t userSecurity = 0;
  uint8_t securityType = 0;
  uint16_t sequence = 0;
  std::string authorityText;  // from offset 58, cut at the reply's end
};

// Nothing for a reply too short to carry a result code.
std::optional<NegotiationReply> decodeNegotiationReply(std::span<const uint8_t> reply);

// ---- end of session -------------------------------------------------------

std::vector<uint8_t> encodeEndSession();

}  // namespace zel::shared
