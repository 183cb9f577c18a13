// How the reference agent answers each request of the request link, built
// from the agent's side of each format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "refagent/agent_profile.h"

namespace zel::refagent {

RequestKind classifyRequest(const std::vector<uint8_t>& request);

// What a negotiation request told the agent.
struct NegotiationSeen {
  uint8_t offeredType = 0;
  uint16_t sequence = 0;
  std::string consoleName;
  bool accepted = false;  // the answer was "accepted"
};

std::vector<uint8_t> answerQuery(const AgentProfile& profile, const std::vector<uint8_t>& request);
std::vector<uint8_t> answerNegotiation(const AgentProfile& profile,
                                       const std::vector<uint8_t>& request, NegotiationSeen& seen);
std::vector<uint8_t> answerEndSession(const std::vector<uint8_t>& request);
// Any other request: its first two bytes and the status 0xFFFF (not served).
std::vector<uint8_t> answerOther(const std::vector<uint8_t>& request);

}  // namespace zel::refagent
