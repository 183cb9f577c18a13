// The per-session area through which the processes holding channels of one
// session send and receive messages, run transactions with the agent and
// read what negotiation stored. Handle fields hold handle values of the
// proxy process.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "shared/codes.h"
#include "shared/records.h"

namespace zel::shared {

static_assert(std::endian::native == std::endian::little,
              "the shared areas are little-endian and read in place");

inline constexpr size_t kSessionAreaSize = 75600;
inline constexpr size_t kSessionDataOffset = 80;
inline constexpr size_t kSessionDataSize = 65540;
// The largest message a send or receive request carries (a u16 length).
inline constexpr size_t kMaxMessageSize = 65535;
// The room behind a send or receive length field.
inline constexpr size_t kMessageRoom = kSessionDataSize - 4;
inline constexpr size_t kTransactionBufferSize = 8192;
inline constexpr size_t kLogTextReplySize = 256;
inline constexpr size_t kAgentTextSize = 256;
inline constexpr size_t kSessionKeySize = 256;
inline constexpr size_t kNetWareIdentitySize = 100;
// One grant slot per channel. (Eight slots do not fit in front of the
// transaction buffer; "all channels" marks these seven.)
inline constexpr size_t kGrantSlotCount = kChannelCount;
inline constexpr uint32_t kGrantedForGood = 0xFFFFFFFF;

struct SendArgs {
  uint32_t length;
  uint8_t message[kMessageRoom];
};

struct SendReply {
  uint32_t bytesSent;
};

struct ReceiveArgs {
  uint32_t destinationSize;  // informational; the proxy does not use it
  int32_t channel;
};

struct ReceiveReply {
  int32_t length;  // 0 when none, negative for a notification
  uint8_t message[kMessageRoom];
};

struct LogArgs {
  uint32_t tick;  // kProxyStampsTick: the proxy stamps the entry
  uint32_t flags;
  char text[kSessionDataSize - 8];
};

struct ReadLogReply {
  uint32_t tick;
  uint32_t flags;
  char text[kLogTextReplySize];
  uint32_t remaining;  // entries still in the log
};

struct StatisticsReply {
  SessionInfoRecord info;
  uint32_t connected;  // 1 while the last request exchange succeeded
};

struct NameData {
  char name[kRecordTextSize];
};

// RC4 state: the permutation, then the two indices.
struct Rc4State {
  uint8_t permutation[256];
  uint8_t i;
  uint8_t j;
};
static_assert(sizeof(Rc4State) == 258);

struct SessionArea {
  uint32_t proxyProcessId;
  uint32_t channelHolder[kChannelCount];  // process id, 0 when free
  uint32_t requestEvent;
  uint32_t replyEvent;
  uint32_t mutex;
  uint32_t section;                          // the value the open request returned
  uint32_t receiveSemaphore[kChannelCount];  // 0 when the channel is closed
  int32_t code;                              // session request code, replaced by the status
  union Data {
    Data() : raw{} {}
    uint8_t raw[kSessionDataSize];
    SendArgs send;
    SendReply sendReply;
    ReceiveArgs receive;
    ReceiveReply receiveReply;
    LogArgs log;
    ReadLogReply readLog;
    StatisticsReply statistics;
    CredentialsRecord credentials;  // NT authentication
    NameData name;                  // set and get descriptive name, get user name
  } data;
  uint32_t transactionRequestEvent;
  uint32_t transactionReplyEvent;
  uint32_t transactionLength;  // request, then reply
  uint32_t transactionReplyValid;
  uint32_t closing;
  uint32_t grantTime[kGrantSlotCount];  // 0 never, tick of the grant, or kGrantedForGood
  uint8_t transactionBuffer[kTransactionBufferSize];
  // Agent fields: cleared by the proxy when it creates the session.
  uint32_t negotiated;
  uint32_t codePage;
  uint32_t protocolType;
  uint32_t osType;
  uint32_t securityType;
  uint32_t encryptionEnabled;
  uint32_t architectureType;
  uint8_t loadedCodeType;
  uint8_t reserved0;
  uint16_t largestCodeBlock;
  uint32_t viewerRights;
  uint32_t userSecurity;
  uint16_t agentFlags;
  uint16_t agentVersion;
  uint16_t negotiationSequence;
  uint16_t reserved1;
  uint8_t ntCredentials[8];  // proxy-private
  uint8_t ntContexts[3][8];  // proxy-private: 0, 1 seals, 2 unseals
  uint8_t netWareIdentity[kNetWareIdentitySize];
  char securityString[kSecurityStringSize];
  char machineName[kAgentTextSize];
  char userName[kAgentTextSize];
  uint16_t inUse;
  uint16_t certificateSlot;
  char sessionKey[kSessionKeySize];
  Rc4State receiveCipher;
  Rc4State sendCipher;
  // End of the agent fields.
  uint32_t resetInProgress;
  int32_t pendingCount;  // may fall below 0
  uint32_t lastViewResetTick;
};

// The range the proxy clears when it creates a session.
inline constexpr size_t kAgentFieldsBegin = 73864;
inline constexpr size_t kAgentFieldsEnd = 75588;

// Clears what the agent reported (code page up to the ciphers) when the
// proxy creates a session; the fields around it are written as they are.
inline void clearAgentFields(SessionArea& area) {
  auto* bytes = reinterpret_cast<uint8_t*>(&area);
  std::memset(bytes + kAgentFieldsBegin, 0, kAgentFieldsEnd - kAgentFieldsBegin);
}

static_assert(sizeof(SessionArea) == kSessionAreaSize);
static_assert(offsetof(SessionArea, proxyProcessId) == 0);
static_assert(offsetof(SessionArea, channelHolder) == 4);
static_assert(offsetof(SessionArea, requestEvent) == 32);
static_assert(offsetof(SessionArea, replyEvent) == 36);
static_assert(offsetof(SessionArea, mutex) == 40);
static_assert(offsetof(SessionArea, section) == 44);
static_assert(offsetof(SessionArea, receiveSemaphore) == 48);
static_assert(offsetof(SessionArea, code) == 76);
static_assert(offsetof(SessionArea, data) == kSessionDataOffset);
static_assert(offsetof(SessionArea, data.send.length) == 80);
static_assert(offsetof(SessionArea, data.send.message) == 84);
static_assert(offsetof(SessionArea, data.sendReply.bytesSent) == 80);
static_assert(offsetof(SessionArea, data.receive.destinationSize) == 80);
static_assert(offsetof(SessionArea, data.receive.channel) == 84);
static_assert(offsetof(SessionArea, data.receiveReply.length) == 80);
static_assert(offsetof(SessionArea, data.receiveReply.message) == 84);
static_assert(kMessageRoom >= kMaxMessageSize);
static_assert(offsetof(SessionArea, data.log.tick) == 80);
static_assert(offsetof(SessionArea, data.log.flags) == 84);
static_assert(offsetof(SessionArea, data.log.text) == 88);
static_assert(offsetof(SessionArea, data.readLog.tick) == 80);
static_assert(offsetof(SessionArea, data.readLog.flags) == 84);
static_assert(offsetof(SessionArea, data.readLog.text) == 88);
static_assert(offsetof(SessionArea, data.readLog.remaining) == 344);
static_assert(offsetof(SessionArea, data.statistics.info) == 80);
static_assert(offsetof(SessionArea, data.statistics.connected) == 104);
static_assert(offsetof(SessionArea, data.credentials.userName) == 80);
static_assert(offsetof(SessionArea, data.credentials.domain) == 121);
static_assert(offsetof(SessionArea, data.credentials.password) == 152);
static_assert(offsetof(SessionArea, data.name.name) == 80);
static_assert(sizeof(SessionArea::Data) == kSessionDataSize);
static_assert(offsetof(SessionArea, transactionRequestEvent) == 65620);
static_assert(offsetof(SessionArea, transactionReplyEvent) == 65624);
static_assert(offsetof(SessionArea, transactionLength) == 65628);
static_assert(offsetof(SessionArea, transactionReplyValid) == 65632);
static_assert(offsetof(SessionArea, closing) == 65636);
static_assert(offsetof(SessionArea, grantTime) == 65640);
static_assert(offsetof(SessionArea, transactionBuffer) == 65668);
static_assert(offsetof(SessionArea, negotiated) == 73860);
static_assert(offsetof(SessionArea, codePage) == kAgentFieldsBegin);
static_assert(offsetof(SessionArea, codePage) == 73864);
static_assert(offsetof(SessionArea, protocolType) == 73868);
static_assert(offsetof(SessionArea, osType) == 73872);
static_assert(offsetof(SessionArea, securityType) == 73876);
static_assert(offsetof(SessionArea, encryptionEnabled) == 73880);
static_assert(offsetof(SessionArea, architectureType) == 73884);
static_assert(offsetof(SessionArea, loadedCodeType) == 73888);
static_assert(offsetof(SessionArea, largestCodeBlock) == 73890);
static_assert(offsetof(SessionArea, viewerRights) == 73892);
static_assert(offsetof(SessionArea, userSecurity) == 73896);
static_assert(offsetof(SessionArea, agentFlags) == 73900);
static_assert(offsetof(SessionArea, agentVersion) == 73902);
static_assert(offsetof(SessionArea, negotiationSequence) == 73904);
static_assert(offsetof(SessionArea, ntCredentials) == 73908);
static_assert(offsetof(SessionArea, ntContexts) == 73916);
static_assert(offsetof(SessionArea, netWareIdentity) == 73940);
static_assert(offsetof(SessionArea, securityString) == 74040);
static_assert(offsetof(SessionArea, machineName) == 74300);
static_assert(offsetof(SessionArea, userName) == 74556);
static_assert(offsetof(SessionArea, inUse) == 74812);
static_assert(offsetof(SessionArea, certificateSlot) == 74814);
static_assert(offsetof(SessionArea, sessionKey) == 74816);
static_assert(offsetof(SessionArea, receiveCipher) == 75072);
static_assert(offsetof(SessionArea, sendCipher) == 75330);
static_assert(offsetof(SessionArea, resetInProgress) == kAgentFieldsEnd);
static_assert(offsetof(SessionArea, resetInProgress) == 75588);
static_assert(offsetof(SessionArea, pendingCount) == 75592);
static_assert(offsetof(SessionArea, lastViewResetTick) == 75596);

}  // namespace zel::shared
