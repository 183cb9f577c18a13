// What the reference agent reports about itself and how it answers, set per
// test or from the command line.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace zel::refagent {

// The identity and security answers of the agent.
struct AgentProfile {
  uint16_t version = 0x0800;
  uint16_t osType = 2;
  uint32_t flags = 0;  // low 24 bits go on the wire; the high byte is the code type
  uint8_t nameKind = 5;
  std::string machineName = "REFAGENT";
  std::string userName;
  bool busy = false;  // the query is answered with the busy value
  uint16_t inUse = 0;
  uint16_t codePage = 1252;
  uint16_t architecture = 0;
  uint8_t loadedCodeType = 0;
  uint16_t largestCodeBlock = 4096;
  std::array<uint8_t, 100> netWareIdentity{};

  uint8_t securityType = 0;  // the only type accepted; others are asked to use it
  uint32_t rights = 0xF1;
  uint8_t userSecurity = 0;
  uint16_t sequence = 0x5A17;  // sent with a "use this type" answer
  // When set, every negotiation is answered with this result code.
  std::optional<uint16_t> negotiationResult;
};

// The requests the agent tells apart.
enum class RequestKind { Query, Negotiation, EndSession, Other };
inline constexpr int kRequestKindCount = 4;

enum class ReplyMode {
  Answer,      // answer at once
  Silent,      // read the request and never answer it
  Late,        // answer after `delay`
  Malformed,   // answer with the frame fault `fault`
  Disconnect,  // drop the connection instead of answering
};

enum class FrameFault {
  BadLeadMarker,    // "TNMX" instead of "TNMP"
  ReservedNotZero,  // 1 at offset 6
  BadTrailMarker,   // "TNMQ" instead of "TNME"
  ShortHeader,      // six bytes of header, then nothing
  CutPayload,       // the whole header, half of the payload
  Oversized,        // the answer padded to 9,000 bytes
  EmptyPayload,     // a valid header announcing no payload
};

struct ReplyPlan {
  ReplyMode mode = ReplyMode::Answer;
  std::chrono::milliseconds delay{0};
  FrameFault fault = FrameFault::BadLeadMarker;
};

struct AgentOptions {
  std::string address = "127.0.0.2";
  uint16_t port = 1761;  // 0: any free port (see ReferenceAgent::port)
  AgentProfile profile;
};

}  // namespace zel::refagent
