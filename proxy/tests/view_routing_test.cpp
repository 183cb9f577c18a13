// Routing of bodies received on the view link: the parser alone, then its
// effects on a session's queues, names and log.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "proxy/session.h"
#include "proxy/view_routing.h"
#include "shared/request_codes.h"

namespace zel::proxy {
namespace {

using Bytes = std::vector<uint8_t>;
using Kind = RoutedBody::Kind;

Bytes append(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A channel-4 record with the u16 length of the record itself.
Bytes record(uint8_t subCode, const Bytes& tail) {
  Bytes out = {kRoutingByte, 0, 0, 4, subCode};
  out.insert(out.end(), tail.begin(), tail.end());
  out[1] = static_cast<uint8_t>(out.size());
  out[2] = static_cast<uint8_t>(out.size() >> 8);
  return out;
}

Bytes namesRecord(const std::string& machine, const std::string& user) {
  Bytes tail(machine.begin(), machine.end());
  tail.push_back(0);
  tail.insert(tail.end(), user.begin(), user.end());
  tail.push_back(0);
  return record(1, tail);
}

Bytes logRecord(uint8_t subCode, uint32_t flags, const std::string& text) {
  Bytes tail = {0,
                0,
                static_cast<uint8_t>(flags),
                static_cast<uint8_t>(flags >> 8),
                static_cast<uint8_t>(flags >> 16),
                static_cast<uint8_t>(flags >> 24)};
  tail.insert(tail.end(), text.begin(), text.end());
  tail.push_back(0);
  return record(subCode, tail);
}

TEST(ViewRouting, ChannelsAndDrops) {
  struct Case {
    const char* name;
    Bytes body;
    Kind kind;
    int channel;
  };
  const Case cases[] = {
      {"plain body", {1, 2, 3}, Kind::kChannel, 0},
      {"single byte", {6}, Kind::kChannel, 0},
      {"routed to 0", {kRoutingByte, 5, 0, 0, 9}, Kind::kChannel, 0},
      {"routed to 1", {kRoutingByte, 5, 0, 1, 9}, Kind::kChannel, 1},
      {"routed to 6", {kRoutingByte, 4, 0, 6}, Kind::kChannel, 6},
      {"channel 7", {kRoutingByte, 5, 0, 7, 9}, Kind::kDropped, 0},
      {"channel 255", {kRoutingByte, 5, 0, 255, 9}, Kind::kDropped, 0},
      {"no channel byte", {kRoutingByte, 5, 0}, Kind::kDropped, 0},
      {"channel 4 without sub-code", {kRoutingByte, 4, 0, 4}, Kind::kDropped, 0},
      {"channel 4 sub-code 0", {kRoutingByte, 5, 0, 4, 0}, Kind::kDropped, 0},
      {"channel 4 sub-code 2", {kRoutingByte, 5, 0, 4, 2}, Kind::kDropped, 0},
      {"channel 4 sub-code 5", {kRoutingByte, 5, 0, 4, 5}, Kind::kDropped, 0},
      {"empty", {}, Kind::kDropped, 0},
  };
  for (const Case& c : cases) {
    RoutedBody routed = routeViewBody(c.body);
    EXPECT_EQ(routed.kind, c.kind) << c.name;
    if (c.kind == Kind::kChannel) {
      EXPECT_EQ(routed.channel, c.channel) << c.name;
      EXPECT_EQ(routed.body.size(), c.body.size()) << c.name;  // passed on whole
    }
  }
}

TEST(ViewRouting, NamesUpdateWithAndWithoutTrailingBytes) {
  Bytes names = namesRecord("AGENTBOX", "alice");
  RoutedBody alone = routeViewBody(names);
  ASSERT_EQ(alone.kind, Kind::kNamesUpdate);
  EXPECT_EQ(alone.machineName, "AGENTBOX");
  EXPECT_EQ(alone.userName, "alice");
  EXPECT_TRUE(alone.body.empty());

  Bytes rest = {kRoutingByte, 6, 0, 4, 9, 'r'};
  Bytes both = append(names, rest);
  RoutedBody followed = routeViewBody(both);
  ASSERT_EQ(followed.kind, Kind::kNamesUpdate);
  EXPECT_EQ(followed.channel, 4);
  EXPECT_EQ(Bytes(followed.body.begin(), followed.body.end()), rest);
}

TEST(ViewRouting, NamesUpdateStaysInsideItsRecordAndTheBody) {
  // The length says 200 bytes; the body has 12 and no NUL for the user.
  Bytes cut = {kRoutingByte, 200, 0, 4, 1, 'h', 'o', 's', 't', 0, 'b', 'o'};
  RoutedBody routed = routeViewBody(cut);
  ASSERT_EQ(routed.kind, Kind::kNamesUpdate);
  EXPECT_EQ(routed.machineName, "host");
  EXPECT_EQ(routed.userName, "bo");
  EXPECT_TRUE(routed.body.empty());

  // A length too small for the record's header: no names, the rest queued.
  Bytes tiny = {kRoutingByte, 1, 0, 4, 1, 'x', 0};
  routed = routeViewBody(tiny);
  ASSERT_EQ(routed.kind, Kind::kNamesUpdate);
  EXPECT_EQ(routed.machineName, "");
  EXPECT_EQ(routed.body.size(), 2u);
}

TEST(ViewRouting, LogRecordSequences) {
  Bytes body = append(append(logRecord(3, 0x40, "first"), logRecord(4, 0x10, "second")),
                      logRecord(3, 0x30, "third"));
  RoutedBody routed = routeViewBody(body);
  ASSERT_EQ(routed.kind, Kind::kLogRecords);
  ASSERT_EQ(routed.records.size(), 3u);
  EXPECT_EQ(routed.records[0].flags, 0x40u);
  EXPECT_EQ(routed.records[0].text, "first");
  EXPECT_EQ(routed.records[1].flags, 0x10u);
  EXPECT_EQ(routed.records[1].text, "second");
  EXPECT_EQ(routed.records[2].text, "third");

  // A record on another channel ends the sequence.
  Bytes other = logRecord(3, 1, "never");
  other[3] = 2;
  Bytes ended = append(append(logRecord(4, 1, "kept"), other), logRecord(3, 1, "x"));
  routed = routeViewBody(ended);
  ASSERT_EQ(routed.records.size(), 1u);
  EXPECT_EQ(routed.records[0].text, "kept");
}

TEST(ViewRouting, DamagedLogRecordsEndTheSequence) {
  struct Case {
    const char* name;
    uint16_t secondLength;
    size_t expected;
  };
  const Case cases[] = {
      {"zero length would never advance", 0, 1},
      {"shorter than its header", 10, 1},
      {"past the end of the body", 500, 1},
      {"exact header, no text", 11, 2},
  };
  for (const Case& c : cases) {
    Bytes second = logRecord(3, 7, "tail");
    second[1] = static_cast<uint8_t>(c.secondLength);
    second[2] = static_cast<uint8_t>(c.secondLength >> 8);
    Bytes body = append(logRecord(3, 1, "head"), second);
    RoutedBody routed = routeViewBody(body);
    ASSERT_EQ(routed.kind, Kind::kLogRecords) << c.name;
    EXPECT_EQ(routed.records.size(), c.expected) << c.name;
    if (c.expected == 2) {
      EXPECT_EQ(routed.records[1].text, "");
    }
  }
}

class SessionDelivery : public ::testing::Test {
 protected:
  void SetUp() override {
    session_ = Session::create(shared::ClientAddress::ip({127, 0, 0, 2}, 1761),
                               SessionEnvironment{&namer_, &texts_, RelaySettings{}});
    ASSERT_TRUE(session_);
  }
  // The next entry of a channel through the receive request: its length and
  // body (a notification has a length of 0 or less and no body).
  std::pair<int32_t, Bytes> receive(int channel) {
    shared::SessionArea& area = session_->area();
    area.code = shared::session_request::kReceive;
    area.data.receive.channel = channel;
    session_->handleRequest();
    int32_t length = area.data.receiveReply.length;
    Bytes body;
    if (area.code == shared::session_status::kOk && length > 0)
      body.assign(area.data.receiveReply.message, area.data.receiveReply.message + length);
    return {area.code == shared::session_status::kOk ? length : 1000, body};
  }
  ObjectNamer namer_;
  RelayTexts texts_;
  std::unique_ptr<Session> session_;
};

TEST_F(SessionDelivery, BodiesReachTheirChannelsAndClosedOnesGiveTheNodeBack) {
  ASSERT_TRUE(session_->openChannel(0, 1));
  ASSERT_TRUE(session_->openChannel(2, 1));
  session_->deliverFromAgent(Bytes{1, 2, 3});
  session_->deliverFromAgent(Bytes{kRoutingByte, 5, 0, 2, 8});
  session_->deliverFromAgent(Bytes{kRoutingByte, 5, 0, 3, 8});  // closed
  session_->deliverFromAgent(Bytes{kRoutingByte, 5, 0, 9, 8});  // outside the table
  EXPECT_EQ(session_->area().pendingCount, 2);
  EXPECT_EQ(session_->pool().size(), 8u);
  EXPECT_EQ(receive(0).second, (Bytes{1, 2, 3}));
  EXPECT_EQ(receive(2).second, (Bytes{kRoutingByte, 5, 0, 2, 8}));
  EXPECT_EQ(session_->pool().size(), 10u);
}

TEST_F(SessionDelivery, NamesUpdateStoresNamesNotifiesAndQueuesTheRest) {
  ASSERT_TRUE(session_->openChannel(1, 1));
  ASSERT_TRUE(session_->openChannel(4, 1));
  Bytes rest = {kRoutingByte, 6, 0, 4, 9, 'r'};
  session_->deliverFromAgent(append(namesRecord("AgentBox", "bob"), rest));
  EXPECT_STREQ(session_->area().machineName, "AgentBox");
  EXPECT_STREQ(session_->area().userName, "bob");
  EXPECT_EQ(session_->displayName(), "agentbox");
  EXPECT_EQ(receive(1).first, shared::notification::kNamesChanged);
  EXPECT_EQ(receive(4).first, shared::notification::kNamesChanged);
  EXPECT_EQ(receive(4).second, rest);
  EXPECT_EQ(receive(4).first, 1000);  // nothing more

  // Names longer than their fields are cut and stay NUL-terminated.
  session_->deliverFromAgent(namesRecord(std::string(300, 'm'), std::string(300, 'u')));
  EXPECT_EQ(std::strlen(session_->area().machineName), 255u);
  EXPECT_EQ(std::strlen(session_->area().userName), 255u);
}

TEST_F(SessionDelivery, LogRecordsBecomeSessionLogEntries) {
  ASSERT_TRUE(session_->openChannel(4, 1));
  session_->deliverFromAgent(append(logRecord(3, 0x40, "agent says"), logRecord(4, 0x10, "bye")));
  auto first = session_->log().take();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->entry.flags, 0x40u);
  EXPECT_EQ(first->entry.text, "agent says");
  auto second = session_->log().take();
  ASSERT_TRUE(second);
  EXPECT_EQ(second->entry.text, "bye");
  EXPECT_EQ(receive(4).first, 1000);  // consumed by the proxy
}

}  // namespace
}  // namespace zel::proxy
