#include "refagent/agent_answers.h"

#include <algorithm>
#include <cstring>

#include "refagent/agent_wire.h"

namespace zel::refagent {

namespace {

// Query answer layout, as the agent writes it.
constexpr size_t kQueryBusyAt = 2;
constexpr size_t kQueryVersionAt = 8;
constexpr size_t kQueryNameKindAt = 10;
constexpr size_t kQueryOsTypeAt = 12;
constexpr size_t kQueryNoNamesAt = 22;
constexpr size_t kQueryNetWareOffsetAt = 28;
constexpr size_t kQueryInUseAt = 30;
constexpr size_t kQueryFlagsAt = 32;
constexpr size_t kQueryCodeTypeAt = 35;
constexpr size_t kQueryCodeBlockAt = 40;
constexpr size_t kQueryArchitectureAt = 46;
constexpr size_t kQueryCodePageAt = 58;
constexpr size_t kQueryNamesOffsetAt = 60;
constexpr size_t kQueryNetWareBlockAt = 64;
constexpr size_t kQueryNamesAt = kQueryNetWareBlockAt + 100;
constexpr uint16_t kBusyValue = 0xFFFE;
constexpr uint16_t kNoNamesMark = 60;
constexpr size_t kNameLimit = 255;

// Negotiation layout.
constexpr size_t kNegotiationBytes = 100;
constexpr size_t kOfferedTypeAt = 2;
constexpr size_t kSequenceInAt = 4;
constexpr size_t kNameLengthAt = 6;
constexpr size_t kNameAt = 10;
constexpr size_t kResultAt = 2;
constexpr size_t kRightsAt = 4;
constexpr size_t kUserSecurityAt = 8;
constexpr size_t kSecurityTypeAt = 9;
constexpr size_t kSequenceOutAt = 10;
constexpr uint16_t kAccepted = 0;
constexpr uint16_t kUseType = 2;

constexpr uint8_t kReplyBit = 0x80;

// The first two bytes of an answer: the request's, with the reply bit.
std::vector<uint8_t> answerHead(const std::vector<uint8_t>& request, size_t size) {
  std::vector<uint8_t> answer(size, 0);
  answer[0] = static_cast<uint8_t>((request.empty() ? 0 : request[0]) | kReplyBit);
  answer[1] = request.size() > 1 ? request[1] : 0;
  return answer;
}

void putText(std::vector<uint8_t>& bytes, const std::string& text) {
  std::string cut = text.substr(0, std::min(text.size(), kNameLimit));
  bytes.insert(bytes.end(), cut.begin(), cut.end());
  bytes.push_back(0);
}

}  // namespace

RequestKind classifyRequest(const std::vector<uint8_t>& request) {
  if (request.size() < 2 || request[0] != 0) return RequestKind::Other;
  switch (request[1]) {
    case 0:
      return RequestKind::Query;
    case 2:
      return RequestKind::Negotiation;
    case 3:
      return RequestKind::EndSession;
    default:
      return RequestKind::Other;
  }
}

std::vector<uint8_t> answerQuery(const AgentProfile& profile, const std::vector<uint8_t>& request) {
  std::vector<uint8_t> answer = answerHead(request, kQueryNamesAt);
  bool noNames = profile.machineName.empty() && profile.userName.empty();
  if (profile.busy) put16(answer, kQueryBusyAt, kBusyValue);
  put16(answer, kQueryVersionAt, profile.version);
  answer[kQueryNameKindAt] = profile.nameKind;
  put16(answer, kQueryOsTypeAt, profile.osType);
  if (profile.nameKind == 4 && noNames) put16(answer, kQueryNoNamesAt, kNoNamesMark);
  put16(answer, kQueryNetWareOffsetAt, static_cast<uint16_t>(kQueryNetWareBlockAt));
  put16(answer, kQueryInUseAt, profile.inUse);
  put32(answer, kQueryFlagsAt, profile.flags & 0x00FFFFFF);
  answer[kQueryCodeTypeAt] = profile.loadedCodeType;
  put16(answer, kQueryCodeBlockAt, profile.largestCodeBlock);
  put16(answer, kQueryArchitectureAt, profile.architecture);
  put16(answer, kQueryCodePageAt, profile.codePage);
  put16(answer, kQueryNamesOffsetAt, static_cast<uint16_t>(kQueryNamesAt));
  std::copy(profile.netWareIdentity.begin(), profile.netWareIdentity.end(),
            answer.begin() + kQueryNetWareBlockAt);
  putText(answer, profile.machineName);
  putText(answer, profile.userName);
  return answer;
}

std::vector<uint8_t> answerNegotiation(const AgentProfile& profile,
                                       const std::vector<uint8_t>& request, NegotiationSeen& seen) {
  seen.offeredType = request.size() > kOfferedTypeAt ? request[kOfferedTypeAt] : 0;
  seen.sequence = get16(request, kSequenceInAt);
  size_t nameLength = get32(request, kNameLengthAt);
  seen.consoleName.clear();
  for (size_t i = kNameAt; i < request.size() && i < kNameAt + nameLength && request[i] != 0; ++i) {
    seen.consoleName.push_back(static_cast<char>(request[i]));
  }

  // The answer comes back in the request's own buffer.
  std::vector<uint8_t> answer = request;
  answer.resize(std::max(answer.size(), kNegotiationBytes), 0);
  answer[0] = static_cast<uint8_t>(answer[0] | kReplyBit);

  uint16_t result = seen.offeredType == profile.securityType ? kAccepted : kUseType;
  if (profile.negotiationResult) result = *profile.negotiationResult;
  seen.accepted = result == kAccepted;
  put16(answer, kResultAt, result);
  put32(answer, kRightsAt, profile.rights);
  answer[kUserSecurityAt] = profile.userSecurity;
  answer[kSecurityTypeAt] = profile.securityType;
  put16(answer, kSequenceOutAt, result == kUseType ? profile.sequence : seen.sequence);
  return answer;
}

std::vector<uint8_t> answerEndSession(const std::vector<uint8_t>& request) {
  return answerHead(request, 4);  // status 0
}

std::vector<uint8_t> answerOther(const std::vector<uint8_t>& request) {
  std::vector<uint8_t> answer = answerHead(request, 4);
  put16(answer, 2, 0xFFFF);
  return answer;
}

}  // namespace zel::refagent
