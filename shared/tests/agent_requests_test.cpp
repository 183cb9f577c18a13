// The console's query, negotiation and end-session payloads, and the bounds
// its reply decoders keep.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shared/agent_requests.h"
#include "shared/byte_order.h"

namespace zel::shared {
namespace {

TEST(AgentRequests, QueryAndEndSessionBytes) {
  EXPECT_EQ(encodeAgentQuery(), (std::vector<uint8_t>{0x00, 0x00, 0x04, 0x00}));
  EXPECT_EQ(encodeEndSession(), (std::vector<uint8_t>{0x00, 0x03}));
}

TEST(AgentRequests, NegotiationRequestLayout) {
  auto r = encodeNegotiationRequest(2, 0x1234, "CONSOLE-PC");
  ASSERT_EQ(r.size(), 100u);
  EXPECT_EQ(r[0], 0);
  EXPECT_EQ(r[1], 2);
  EXPECT_EQ(r[2], 2);
  EXPECT_EQ(r[3], 0);
  EXPECT_EQ(loadU16(&r[4]), 0x1234);
  EXPECT_EQ(loadU32(&r[6]), 10u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&r[10])), "CONSOLE-PC");

  auto longName = encodeNegotiationRequest(0, 0, std::string(50, 'n'));
  EXPECT_EQ(loadU32(&longName[6]), 31u);
  EXPECT_EQ(longName[10 + 31], 0);
}

std::vector<uint8_t> queryReply() {
  std::vector<uint8_t> r(200, 0);
  r[0] = 0x80;
  storeU16(&r[8], 0x0801);
  r[10] = 5;
  storeU16(&r[12], 2);
  storeU16(&r[28], 64);
  for (int i = 0; i < 100; ++i)
    r[64 + i] = static_cast<uint8_t>(i + 1);
  storeU16(&r[30], 7);
  storeU32(&r[32], 0x1200);
  r[35] = 6;
  storeU16(&r[40], 4096);
  storeU16(&r[46], 3);
  storeU16(&r[58], 1252);
  storeU16(&r[60], 164);
  std::memcpy(&r[164], "PC-ONE\0ann\0", 11);
  return r;
}

TEST(AgentQueryReply, ReadsEveryField) {
  auto bytes = queryReply();
  auto reply = decodeAgentQueryReply(bytes);
  ASSERT_TRUE(reply);
  EXPECT_TRUE(reply->complete);
  EXPECT_FALSE(reply->busy);
  EXPECT_EQ(reply->version, 0x0801);
  EXPECT_EQ(reply->nameKind, 5);
  EXPECT_EQ(reply->osType, 2);
  EXPECT_EQ(reply->netWareIdentity[0], 1);
  EXPECT_EQ(reply->netWareIdentity[99], 100);
  EXPECT_TRUE(reply->inUseReported);
  EXPECT_EQ(reply->inUse, 7);
  EXPECT_EQ(reply->flags, 0x06001200u);
  EXPECT_EQ(reply->loadedCodeType, 6);
  EXPECT_EQ(reply->largestCodeBlock, 4096);
  EXPECT_EQ(reply->architecture, 3);
  EXPECT_EQ(reply->codePage, 1252);
  EXPECT_TRUE(reply->hasNames);
  EXPECT_EQ(reply->machineName, "PC-ONE");
  EXPECT_EQ(reply->userName, "ann");
}

TEST(AgentQueryReply, NameKindsDecideWhetherNamesArePresent) {
  struct Case {
    uint8_t kind;
    uint16_t field22;
    bool names;
  };
  for (const Case& c : {Case{0, 0, false}, Case{3, 0, false}, Case{4, 60, false}, Case{4, 0, true},
                        Case{5, 60, true}, Case{9, 0, true}}) {
    auto bytes = queryReply();
    bytes[10] = c.kind;
    storeU16(&bytes[22], c.field22);
    auto reply = decodeAgentQueryReply(bytes);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->hasNames, c.names) << int{c.kind} << "/" << c.field22;
    EXPECT_EQ(reply->inUseReported, c.kind >= 1);
  }
}

TEST(AgentQueryReply, StaysInsideShortAndHostileReplies) {
  EXPECT_FALSE(decodeAgentQueryReply({}));

  // The busy answer may be all there is.
  std::vector<uint8_t> busy = {0x80, 0x00, 0xFE, 0xFF};
  auto b = decodeAgentQueryReply(busy);
  ASSERT_TRUE(b);
  EXPECT_TRUE(b->busy);
  EXPECT_FALSE(b->complete);

  // Names and identity block that point past the end, and unterminated names.
  auto bytes = queryReply();
  storeU16(&bytes[60], 5000);
  storeU16(&bytes[28], 150);  // the block runs past the end: the rest reads 0
  auto r = decodeAgentQueryReply(bytes);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->hasNames);
  EXPECT_EQ(r->netWareIdentity[0], 87);
  EXPECT_EQ(r->netWareIdentity[49], 0);  // byte 199 holds 0 already
  EXPECT_EQ(r->netWareIdentity[50], 0);

  std::vector<uint8_t> unterminated(64, 0);
  unterminated[10] = 5;
  storeU16(&unterminated[60], 62);
  unterminated[62] = 'A';
  unterminated[63] = 'B';  // no NUL before the end
  auto u = decodeAgentQueryReply(unterminated);
  ASSERT_TRUE(u);
  EXPECT_TRUE(u->hasNames);
  EXPECT_EQ(u->machineName, "AB");
  EXPECT_EQ(u->userName, "");

  std::vector<uint8_t> longNames(62, 0);
  longNames[10] = 5;
  storeU16(&longNames[60], 62);
  longNames.insert(longNames.end(), 1000, 'x');
  auto l = decodeAgentQueryReply(longNames);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->machineName.size(), 255u);
}

TEST(NegotiationReply, ReadsFieldsAndBounds) {
  std::vector<uint8_t> bytes(100, 0);
  bytes[0] = 0x80;
  bytes[1] = 2;
  storeU16(&bytes[2], 2);
  storeU32(&bytes[4], 0xF1);
  bytes[8] = 1;
  bytes[9] = 4;
  storeU16(&bytes[10], 0xBEEF);
  std::memcpy(&bytes[58], "Authority", 10);
  auto r = decodeNegotiationReply(bytes);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->result, 2);
  EXPECT_EQ(r->rights, 0xF1u);
  EXPECT_EQ(r->userSecurity, 1);
  EXPECT_EQ(r->securityType, 4);
  EXPECT_EQ(r->sequence, 0xBEEF);
  EXPECT_EQ(r->authorityText, "Authority");

  EXPECT_FALSE(decodeNegotiationReply(std::vector<uint8_t>{0x80, 2, 0}));
  auto shortReply = decodeNegotiationReply(std::vector<uint8_t>{0x80, 2, 0xFE, 0xFF, 0x01});
  ASSERT_TRUE(shortReply);
  EXPECT_EQ(shortReply->result, 0xFFFE);
  EXPECT_EQ(shortReply->rights, 0u);  // not all there: 0
  EXPECT_EQ(shortReply->authorityText, "");
}

}  // namespace
}  // namespace zel::shared
