// Each field of the shared areas and records lands at its byte offset with
// its width, and touches no other byte.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "shared/byte_order.h"
#include "shared/global_area.h"
#include "shared/session_area.h"

namespace zel::shared {
namespace {

template <class Area>
struct FieldCase {
  const char* name;
  size_t offset;
  size_t width;
  std::function<void(Area&)> write;  // writes a pattern of `width` bytes
};

// Writes a value whose bytes are all nonzero, so the touched range is visible.
template <class T>
void fill(T& field) {
  std::memset(static_cast<void*>(&field), 0xA5, sizeof field);
}

template <class Area>
void expectOnlyRangeTouched(const FieldCase<Area>& field) {
  auto area = std::make_unique<Area>();
  std::memset(static_cast<void*>(area.get()), 0, sizeof(Area));
  field.write(*area);
  const auto* bytes = reinterpret_cast<const uint8_t*>(area.get());
  for (size_t i = 0; i < sizeof(Area); ++i) {
    bool inside = i >= field.offset && i < field.offset + field.width;
    if (bytes[i] != (inside ? 0xA5 : 0x00)) {
      ADD_FAILURE() << field.name << ": byte " << i << " is " << int{bytes[i]};
      return;
    }
  }
}

TEST(GlobalAreaLayout, EveryFieldAtItsOffset) {
  using A = GlobalArea;
  std::vector<FieldCase<A>> cases = {
      {"proxy process id", 0, 4, [](A& a) { fill(a.proxyProcessId); }},
      {"request event", 32, 4, [](A& a) { fill(a.requestEvent); }},
      {"reply event", 36, 4, [](A& a) { fill(a.replyEvent); }},
      {"mutex", 40, 4, [](A& a) { fill(a.mutex); }},
      {"code", 44, 4, [](A& a) { fill(a.code); }},
      {"open process id", 48, 4, [](A& a) { fill(a.data.open.processId); }},
      {"open channel", 52, 4, [](A& a) { fill(a.data.open.channel); }},
      {"open address", 56, 24, [](A& a) { fill(a.data.open.address); }},
      {"open reply section", 48, 4, [](A& a) { fill(a.data.openReply.sessionSection); }},
      {"close channel", 48, 4, [](A& a) { fill(a.data.close.channel); }},
      {"close address", 52, 24, [](A& a) { fill(a.data.close.address); }},
      {"enumerate count", 48, 4, [](A& a) { fill(a.data.enumerate.count); }},
      {"enumerate records", 52, 132 * 248, [](A& a) { fill(a.data.enumerate.records); }},
      {"information address", 48, 81, [](A& a) { fill(a.data.information.address); }},
      {"information connected", 56, 4, [](A& a) { fill(a.data.informationReply.connected); }},
      {"information protocol", 60, 4, [](A& a) { fill(a.data.informationReply.protocolType); }},
      {"information os type", 64, 4, [](A& a) { fill(a.data.informationReply.osType); }},
      {"information security", 68, 4, [](A& a) { fill(a.data.informationReply.securityType); }},
      {"information rights", 72, 4, [](A& a) { fill(a.data.informationReply.viewerRights); }},
      {"information user security", 76, 4,
       [](A& a) { fill(a.data.informationReply.userSecurity); }},
      {"information version", 80, 2, [](A& a) { fill(a.data.informationReply.agentVersion); }},
      {"information security string", 82, 260,
       [](A& a) { fill(a.data.informationReply.securityString); }},
      {"information formatted address", 342, 81,
       [](A& a) { fill(a.data.informationReply.address); }},
  };
  for (const auto& c : cases)
    expectOnlyRangeTouched(c);
  EXPECT_EQ(sizeof(GlobalArea), 32788u);
  // A full enumeration reaches exactly the end of the section.
  EXPECT_EQ(52 + kEnumerateCapacity * sizeof(ClientListRecord), kGlobalAreaSize);
}

TEST(SessionAreaLayout, EveryFieldAtItsOffset) {
  using A = SessionArea;
  std::vector<FieldCase<A>> cases = {
      {"proxy process id", 0, 4, [](A& a) { fill(a.proxyProcessId); }},
      {"channel holders", 4, 28, [](A& a) { fill(a.channelHolder); }},
      {"holder of channel 6", 28, 4, [](A& a) { fill(a.channelHolder[6]); }},
      {"request event", 32, 4, [](A& a) { fill(a.requestEvent); }},
      {"reply event", 36, 4, [](A& a) { fill(a.replyEvent); }},
      {"mutex", 40, 4, [](A& a) { fill(a.mutex); }},
      {"section", 44, 4, [](A& a) { fill(a.section); }},
      {"receive semaphores", 48, 28, [](A& a) { fill(a.receiveSemaphore); }},
      {"code", 76, 4, [](A& a) { fill(a.code); }},
      {"send length", 80, 4, [](A& a) { fill(a.data.send.length); }},
      {"send message", 84, 65536, [](A& a) { fill(a.data.send.message); }},
      {"send reply", 80, 4, [](A& a) { fill(a.data.sendReply.bytesSent); }},
      {"receive size", 80, 4, [](A& a) { fill(a.data.receive.destinationSize); }},
      {"receive channel", 84, 4, [](A& a) { fill(a.data.receive.channel); }},
      {"receive reply length", 80, 4, [](A& a) { fill(a.data.receiveReply.length); }},
      {"receive reply message", 84, 65536, [](A& a) { fill(a.data.receiveReply.message); }},
      {"log tick", 80, 4, [](A& a) { fill(a.data.log.tick); }},
      {"log flags", 84, 4, [](A& a) { fill(a.data.log.flags); }},
      {"log text", 88, 65532, [](A& a) { fill(a.data.log.text); }},
      {"read log tick", 80, 4, [](A& a) { fill(a.data.readLog.tick); }},
      {"read log flags", 84, 4, [](A& a) { fill(a.data.readLog.flags); }},
      {"read log text", 88, 256, [](A& a) { fill(a.data.readLog.text); }},
      {"read log remaining", 344, 4, [](A& a) { fill(a.data.readLog.remaining); }},
      {"statistics record", 80, 24, [](A& a) { fill(a.data.statistics.info); }},
      {"statistics connected", 104, 4, [](A& a) { fill(a.data.statistics.connected); }},
      {"credentials user", 80, 41, [](A& a) { fill(a.data.credentials.userName); }},
      {"credentials domain", 121, 31, [](A& a) { fill(a.data.credentials.domain); }},
      {"credentials password", 152, 80, [](A& a) { fill(a.data.credentials.password); }},
      {"name", 80, 81, [](A& a) { fill(a.data.name.name); }},
      {"transaction request event", 65620, 4, [](A& a) { fill(a.transactionRequestEvent); }},
      {"transaction reply event", 65624, 4, [](A& a) { fill(a.transactionReplyEvent); }},
      {"transaction length", 65628, 4, [](A& a) { fill(a.transactionLength); }},
      {"transaction reply valid", 65632, 4, [](A& a) { fill(a.transactionReplyValid); }},
      {"closing mark", 65636, 4, [](A& a) { fill(a.closing); }},
      {"grant slots", 65640, 28, [](A& a) { fill(a.grantTime); }},
      {"transaction buffer", 65668, 8192, [](A& a) { fill(a.transactionBuffer); }},
      {"negotiated", 73860, 4, [](A& a) { fill(a.negotiated); }},
      {"code page", 73864, 4, [](A& a) { fill(a.codePage); }},
      {"protocol type", 73868, 4, [](A& a) { fill(a.protocolType); }},
      {"os type", 73872, 4, [](A& a) { fill(a.osType); }},
      {"security type", 73876, 4, [](A& a) { fill(a.securityType); }},
      {"encryption", 73880, 4, [](A& a) { fill(a.encryptionEnabled); }},
      {"architecture", 73884, 4, [](A& a) { fill(a.architectureType); }},
      {"loaded code type", 73888, 1, [](A& a) { fill(a.loadedCodeType); }},
      {"largest code block", 73890, 2, [](A& a) { fill(a.largestCodeBlock); }},
      {"viewer rights", 73892, 4, [](A& a) { fill(a.viewerRights); }},
      {"user security", 73896, 4, [](A& a) { fill(a.userSecurity); }},
      {"agent flags", 73900, 2, [](A& a) { fill(a.agentFlags); }},
      {"agent version", 73902, 2, [](A& a) { fill(a.agentVersion); }},
      {"negotiation sequence", 73904, 2, [](A& a) { fill(a.negotiationSequence); }},
      {"nt credentials", 73908, 8, [](A& a) { fill(a.ntCredentials); }},
      {"nt contexts", 73916, 24, [](A& a) { fill(a.ntContexts); }},
      {"nt context 2", 73932, 8, [](A& a) { fill(a.ntContexts[2]); }},
      {"netware identity", 73940, 100, [](A& a) { fill(a.netWareIdentity); }},
      {"security string", 74040, 260, [](A& a) { fill(a.securityString); }},
      {"machine name", 74300, 256, [](A& a) { fill(a.machineName); }},
      {"user name", 74556, 256, [](A& a) { fill(a.userName); }},
      {"in use", 74812, 2, [](A& a) { fill(a.inUse); }},
      {"certificate slot", 74814, 2, [](A& a) { fill(a.certificateSlot); }},
      {"session key", 74816, 256, [](A& a) { fill(a.sessionKey); }},
      {"receive cipher", 75072, 258, [](A& a) { fill(a.receiveCipher); }},
      {"receive cipher indices", 75328, 2,
       [](A& a) {
         fill(a.receiveCipher.i);
         fill(a.receiveCipher.j);
       }},
      {"send cipher", 75330, 258, [](A& a) { fill(a.sendCipher); }},
      {"reset in progress", 75588, 4, [](A& a) { fill(a.resetInProgress); }},
      {"pending count", 75592, 4, [](A& a) { fill(a.pendingCount); }},
      {"last view reset tick", 75596, 4, [](A& a) { fill(a.lastViewResetTick); }},
  };
  for (const auto& c : cases)
    expectOnlyRangeTouched(c);
  EXPECT_EQ(sizeof(SessionArea), 75600u);
}

TEST(SessionAreaLayout, AgentFieldRangeCoversWhatTheProxyClears) {
  EXPECT_EQ(kAgentFieldsBegin, offsetof(SessionArea, codePage));
  EXPECT_EQ(kAgentFieldsEnd, offsetof(SessionArea, resetInProgress));
  // The largest message a session request can carry fits behind its length.
  EXPECT_GE(kMessageRoom, kMaxMessageSize);
  EXPECT_EQ(offsetof(SessionArea, data) + sizeof(SessionArea::Data),
            offsetof(SessionArea, transactionRequestEvent));
}

TEST(SessionAreaLayout, ClearingAgentFieldsKeepsEverythingAround) {
  auto area = std::make_unique<SessionArea>();
  std::memset(static_cast<void*>(area.get()), 0x5C, sizeof(SessionArea));
  clearAgentFields(*area);
  EXPECT_EQ(area->negotiated, 0x5C5C5C5Cu);
  EXPECT_EQ(area->codePage, 0u);
  EXPECT_EQ(area->sendCipher.j, 0u);
  EXPECT_EQ(area->resetInProgress, 0x5C5C5C5Cu);
  const auto* bytes = reinterpret_cast<const uint8_t*>(area.get());
  for (size_t i = 0; i < sizeof(SessionArea); ++i) {
    bool cleared = i >= 73864 && i < 75588;
    if (bytes[i] != (cleared ? 0 : 0x5C)) {
      ADD_FAILURE() << "byte " << i;
      break;
    }
  }
}

TEST(RecordLayout, RecordsReadLittleEndianAtTheirOffsets) {
  SessionInfoRecord info;
  info.interfaceVersion = 1;
  info.elapsedMs = 0x01020304;
  info.sendRequests = 5;
  info.bytesSent = 6;
  info.messagesDelivered = 7;
  info.bytesDelivered = 8;
  uint8_t bytes[24];
  std::memcpy(bytes, &info, sizeof bytes);
  EXPECT_EQ(loadU16(bytes + 0), 1);
  EXPECT_EQ(loadU16(bytes + 2), 0);
  EXPECT_EQ(loadU32(bytes + 4), 0x01020304u);
  EXPECT_EQ(loadU32(bytes + 8), 5u);
  EXPECT_EQ(loadU32(bytes + 12), 6u);
  EXPECT_EQ(loadU32(bytes + 16), 7u);
  EXPECT_EQ(loadU32(bytes + 20), 8u);

  ClientListRecord record;
  std::strcpy(record.address, "10.0.0.5");
  std::strcpy(record.machineName, "pc");
  std::strcpy(record.userName, "ann");
  record.openChannels = 0x11;
  uint8_t raw[248];
  std::memcpy(raw, &record, sizeof raw);
  EXPECT_STREQ(reinterpret_cast<char*>(raw + 0), "10.0.0.5");
  EXPECT_STREQ(reinterpret_cast<char*>(raw + 81), "pc");
  EXPECT_STREQ(reinterpret_cast<char*>(raw + 162), "ann");
  EXPECT_EQ(loadU32(raw + 244), 0x11u);
}

}  // namespace
}  // namespace zel::shared
