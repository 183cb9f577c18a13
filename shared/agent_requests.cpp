#include "shared/agent_requests.h"

#include <algorithm>
#include <cstring>

#include "shared/byte_order.h"

namespace zel::shared {

namespace {

constexpr size_t kAgentTextLimit = 255;

// Bounded reads: a field that does not lie wholly inside the reply reads as 0.
struct ReplyReader {
  std::span<const uint8_t> bytes;

  uint8_t u8(size_t offset) const { return offset < bytes.size() ? bytes[offset] : 0; }
  uint16_t u16(size_t offset) const {
    return offset + 2 <= bytes.size() ? loadU16(bytes.data() + offset) : 0;
  }
  uint32_t u32(size_t offset) const {
    return offset + 4 <= bytes.size() ? loadU32(bytes.data() + offset) : 0;
  }
  // A NUL-terminated text from `offset`, ending at the reply's end at the
  // latest; `next` receives the offset after its NUL.
  std::string text(size_t offset, size_t limit, size_t* next = nullptr) const {
    std::string out;
    size_t i = offset;
    while (i < bytes.size() && bytes[i] != 0) {
      if (out.size() < limit) out.push_back(static_cast<char>(bytes[i]));
      ++i;
    }
    if (next != nullptr) *next = i + 1;
    return out;
  }
};

}  // namespace

std::vector<uint8_t> encodeAgentQuery() {
  return {0x00, 0x00, 0x04, 0x00};
}

std::optional<AgentQueryReply> decodeAgentQueryReply(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return std::nullopt;
  ReplyReader in{bytes};
  AgentQueryReply reply;
  reply.complete = bytes.size() >= kQueryReplyFixedSize;
  reply.busy = in.u16(2) == kQueryBusy;
  reply.version = in.u16(8);
  reply.nameKind = in.u8(10);
  reply.osType = in.u16(12);
  reply.netWareOffset = in.u16(28);
  for (size_t i = 0; i < reply.netWareIdentity.size(); ++i) {
    reply.netWareIdentity[i] = in.u8(size_t{reply.netWareOffset} + i);
  }
  reply.inUseReported = reply.nameKind >= 1;
  reply.inUse = reply.inUseReported ? in.u16(30) : 0;
  reply.flags = in.u32(32);
  reply.loadedCodeType = in.u8(35);
  reply.largestCodeBlock = in.u16(40);
  reply.architecture = in.u16(46);
  reply.codePage = in.u16(58);
  bool names = reply.nameKind >= 5 || (reply.nameKind == 4 && in.u16(22) != 60);
  size_t namesOffset = in.u16(60);
  if (names && namesOffset < bytes.size()) {
    reply.hasNames = true;
    size_t next = 0;
    reply.machineName = in.text(namesOffset, kAgentTextLimit, &next);
    reply.userName = in.text(next, kAgentTextLimit);
  }
  return reply;
}

std::vector<uint8_t> encodeNegotiationRequest(uint8_t offeredType, uint16_t sequence,
                                              std::string_view computerName) {
  std::vector<uint8_t> request(kNegotiationSize, 0);
  request[0] = 0;
  request[1] = 2;
  request[2] = offeredType;
  request[3] = 0;
  storeU16(&request[4], sequence);
  std::string_view name =
      computerName.substr(0, std::min(computerName.size(), kNegotiationNameLimit));
  storeU32(&request[6], static_cast<uint32_t>(name.size()));
  std::memcpy(&request[10], name.data(), name.size());  // the NUL is already there
  return request;
}

std::optional<NegotiationReply> decodeNegotiationReply(std::span<const uint8_t> bytes) {
  if (bytes.size() < 4) return std::nullopt;
  ReplyReader in{bytes};
  NegotiationReply reply;
  reply.result = in.u16(2);
  reply.rights = in.u32(4);
  reply.userSecurity = in.u8(8);
  reply.securityType = in.u8(9);
  reply.sequence = in.u16(10);
  reply.authorityText = in.text(58, kAgentTextLimit);
  return reply;
}

std::vector<uint8_t> encodeEndSession() {
  return {0x00, 0x03};
}

}  // namespace zel::shared
