// The agent's answers, read back with the console's decoders: the two
// independent codings of each format must agree.
#include <gtest/gtest.h>

#include <vector>

#include "refagent/agent_answers.h"
#include "refagent/agent_wire.h"
#include "shared/agent_requests.h"
#include "shared/tnmp_frame.h"

namespace zel::refagent {
namespace {

namespace s = zel::shared;

TEST(AgentAnswers, ClassifiesTheConsoleRequests) {
  EXPECT_EQ(classifyRequest(s::encodeAgentQuery()), RequestKind::Query);
  EXPECT_EQ(classifyRequest(s::encodeNegotiationRequest(2, 0, "C")), RequestKind::Negotiation);
  EXPECT_EQ(classifyRequest(s::encodeEndSession()), RequestKind::EndSession);
  EXPECT_EQ(classifyRequest({0x06, 0x00, 0xB7, 0xCB}), RequestKind::Other);
  EXPECT_EQ(classifyRequest({}), RequestKind::Other);
  EXPECT_EQ(classifyRequest({0}), RequestKind::Other);
}

TEST(AgentAnswers, QueryReportsTheProfile) {
  AgentProfile p;
  p.version = 0x0801;
  p.osType = 128;
  p.flags = 0x1200;
  p.machineName = "LAB-PC";
  p.userName = "ann";
  p.inUse = 100;
  p.codePage = 850;
  p.architecture = 3;
  p.loadedCodeType = 6;
  p.largestCodeBlock = 2048;
  p.netWareIdentity[0] = 0x42;
  p.netWareIdentity[99] = 0x24;
  auto reply = s::decodeAgentQueryReply(answerQuery(p, s::encodeAgentQuery()));
  ASSERT_TRUE(reply);
  EXPECT_TRUE(reply->complete);
  EXPECT_FALSE(reply->busy);
  EXPECT_EQ(reply->version, 0x0801);
  EXPECT_EQ(reply->osType, 128);
  EXPECT_EQ(reply->flags & 0xFFFF, 0x1200u);
  EXPECT_EQ(reply->loadedCodeType, 6);
  EXPECT_EQ(reply->inUse, 100);
  EXPECT_EQ(reply->codePage, 850);
  EXPECT_EQ(reply->architecture, 3);
  EXPECT_EQ(reply->largestCodeBlock, 2048);
  EXPECT_EQ(reply->netWareIdentity[0], 0x42);
  EXPECT_EQ(reply->netWareIdentity[99], 0x24);
  EXPECT_TRUE(reply->hasNames);
  EXPECT_EQ(reply->machineName, "LAB-PC");
  EXPECT_EQ(reply->userName, "ann");
}

TEST(AgentAnswers, QueryBusyAndNameKinds) {
  AgentProfile busy;
  busy.busy = true;
  EXPECT_TRUE(s::decodeAgentQueryReply(answerQuery(busy, s::encodeAgentQuery()))->busy);

  AgentProfile noNames;
  noNames.nameKind = 4;
  noNames.machineName.clear();
  EXPECT_FALSE(s::decodeAgentQueryReply(answerQuery(noNames, s::encodeAgentQuery()))->hasNames);
  AgentProfile kind4 = noNames;
  kind4.machineName = "pc";
  EXPECT_TRUE(s::decodeAgentQueryReply(answerQuery(kind4, s::encodeAgentQuery()))->hasNames);
  AgentProfile kind0;
  kind0.nameKind = 0;
  auto r = s::decodeAgentQueryReply(answerQuery(kind0, s::encodeAgentQuery()));
  EXPECT_FALSE(r->hasNames);
  EXPECT_FALSE(r->inUseReported);
}

TEST(AgentAnswers, NegotiationAsksForTypeZeroThenAcceptsIt) {
  AgentProfile p;
  p.rights = 0x31;
  p.userSecurity = 1;
  NegotiationSeen seen;
  auto first = s::decodeNegotiationReply(
      answerNegotiation(p, s::encodeNegotiationRequest(2, 0, "CONSOLE"), seen));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->result, s::negotiation_result::kUseSecurityType);
  EXPECT_EQ(first->securityType, 0);
  EXPECT_EQ(first->sequence, p.sequence);
  EXPECT_EQ(seen.offeredType, 2);
  EXPECT_EQ(seen.consoleName, "CONSOLE");
  EXPECT_FALSE(seen.accepted);

  auto second = s::decodeNegotiationReply(
      answerNegotiation(p, s::encodeNegotiationRequest(0, first->sequence, "CONSOLE"), seen));
  ASSERT_TRUE(second);
  EXPECT_EQ(second->result, s::negotiation_result::kAccepted);
  EXPECT_EQ(second->rights, 0x31u);
  EXPECT_EQ(second->userSecurity, 1);
  EXPECT_EQ(second->securityType, 0);
  EXPECT_TRUE(seen.accepted);
  EXPECT_EQ(seen.sequence, p.sequence);
}

TEST(AgentAnswers, NegotiationResultCanBeForced) {
  AgentProfile p;
  p.negotiationResult = s::negotiation_result::kBusy;
  NegotiationSeen seen;
  auto r =
      s::decodeNegotiationReply(answerNegotiation(p, s::encodeNegotiationRequest(0, 0, "C"), seen));
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, 0xFFFE);
  EXPECT_FALSE(seen.accepted);
}

TEST(AgentAnswers, NegotiationSurvivesShortAndLyingRequests) {
  AgentProfile p;
  NegotiationSeen seen;
  // A name length far beyond the request.
  std::vector<uint8_t> request = {0, 2, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b'};
  auto answer = answerNegotiation(p, request, seen);
  EXPECT_EQ(answer.size(), 100u);
  EXPECT_EQ(seen.consoleName, "ab");
  std::vector<uint8_t> tiny = {0, 2};
  EXPECT_EQ(answerNegotiation(p, tiny, seen).size(), 100u);
}

TEST(AgentAnswers, EndSessionAndOtherRequests) {
  auto end = answerEndSession(s::encodeEndSession());
  EXPECT_EQ(end, (std::vector<uint8_t>{0x80, 0x03, 0, 0}));
  auto other = answerOther({0x06, 0x00, 0xB7, 0xCB});
  EXPECT_EQ(other, (std::vector<uint8_t>{0x86, 0x00, 0xFF, 0xFF}));
}

TEST(AgentWire, FramesAgreeWithTheConsoleReader) {
  std::vector<uint8_t> payload = {1, 2, 3, 4, 5, 6};
  const auto goodBytes = answerFrame(payload);
  auto good = s::readTnmpFrame(goodBytes);
  ASSERT_EQ(good.status, s::TnmpFrameStatus::Ok);
  EXPECT_EQ(std::vector<uint8_t>(good.payload.begin(), good.payload.end()), payload);

  struct Case {
    FrameFault fault;
    s::TnmpFrameStatus expected;
  };
  for (const Case& c : {Case{FrameFault::BadLeadMarker, s::TnmpFrameStatus::BadMarker},
                        Case{FrameFault::ReservedNotZero, s::TnmpFrameStatus::BadReserved},
                        Case{FrameFault::BadTrailMarker, s::TnmpFrameStatus::BadMarker},
                        Case{FrameFault::ShortHeader, s::TnmpFrameStatus::Incomplete},
                        Case{FrameFault::CutPayload, s::TnmpFrameStatus::Incomplete},
                        Case{FrameFault::Oversized, s::TnmpFrameStatus::TooLong}}) {
    auto bytes = faultyFrame(payload, c.fault);
    EXPECT_EQ(s::readTnmpFrame(bytes, 8192).status, c.expected) << static_cast<int>(c.fault);
  }
  const auto emptyBytes = faultyFrame(payload, FrameFault::EmptyPayload);
  auto empty = s::readTnmpFrame(emptyBytes);
  ASSERT_EQ(empty.status, s::TnmpFrameStatus::Ok);
  EXPECT_TRUE(empty.payload.empty());
}

}  // namespace
}  // namespace zel::refagent
