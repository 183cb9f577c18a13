// Records that cross the shared areas and the client interface: session
// counters, the enumeration record, the information record and credentials.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zel::shared {

// Session counters shown by the session-information tool.
struct SessionInfoRecord {
  uint16_t interfaceVersion = 0;  // always 1
  uint16_t reserved = 0;
  uint32_t elapsedMs = 0;  // since the proxy created the session
  uint32_t sendRequests = 0;
  uint32_t bytesSent = 0;
  uint32_t messagesDelivered = 0;
  uint32_t bytesDelivered = 0;
};
static_assert(sizeof(SessionInfoRecord) == 24);
static_assert(offsetof(SessionInfoRecord, interfaceVersion) == 0);
static_assert(offsetof(SessionInfoRecord, reserved) == 2);
static_assert(offsetof(SessionInfoRecord, elapsedMs) == 4);
static_assert(offsetof(SessionInfoRecord, sendRequests) == 8);
static_assert(offsetof(SessionInfoRecord, bytesSent) == 12);
static_assert(offsetof(SessionInfoRecord, messagesDelivered) == 16);
static_assert(offsetof(SessionInfoRecord, bytesDelivered) == 20);

inline constexpr uint16_t kProxyInterfaceVersion = 1;
inline constexpr size_t kRecordTextSize = 81;

// One negotiated session, as enumeration lists it.
struct ClientListRecord {
  char address[kRecordTextSize] = {};      // formatted agent address
  char machineName[kRecordTextSize] = {};  // lower-cased
  char userName[kRecordTextSize] = {};     // empty when nobody is logged on
  uint8_t padding = 0;
  uint32_t openChannels = 0;  // bit n set when channel n is open
};
static_assert(sizeof(ClientListRecord) == 248);
static_assert(offsetof(ClientListRecord, address) == 0);
static_assert(offsetof(ClientListRecord, machineName) == 81);
static_assert(offsetof(ClientListRecord, userName) == 162);
static_assert(offsetof(ClientListRecord, padding) == 243);
static_assert(offsetof(ClientListRecord, openChannels) == 244);

inline constexpr size_t kSecurityStringSize = 260;

// The information reply as the caller sees it: it starts at the beginning of
// the proxy's reply area, so its first eight bytes are whatever the request
// left there (the head of the requested address text).
struct ClientInfoRecord {
  char requestHead[8] = {};
  uint32_t connected = 0;  // 1 when the last request exchange with the agent succeeded
  uint32_t protocolType = 0;
  uint32_t osType = 0;
  uint32_t securityType = 0;
  uint32_t viewerRights = 0;
  uint32_t userSecurity = 0;
  uint16_t agentVersion = 0;
  char securityString[kSecurityStringSize] = {};
  char address[kRecordTextSize] = {};
};
static_assert(offsetof(ClientInfoRecord, requestHead) == 0);
static_assert(offsetof(ClientInfoRecord, connected) == 8);
static_assert(offsetof(ClientInfoRecord, protocolType) == 12);
static_assert(offsetof(ClientInfoRecord, osType) == 16);
static_assert(offsetof(ClientInfoRecord, securityType) == 20);
static_assert(offsetof(ClientInfoRecord, viewerRights) == 24);
static_assert(offsetof(ClientInfoRecord, userSecurity) == 28);
static_assert(offsetof(ClientInfoRecord, agentVersion) == 32);
static_assert(offsetof(ClientInfoRecord, securityString) == 34);
static_assert(offsetof(ClientInfoRecord, address) == 294);
// The bytes that carry information (the struct adds one byte of padding).
inline constexpr size_t kClientInfoRecordSize = 375;
static_assert(sizeof(ClientInfoRecord) >= kClientInfoRecordSize);

// Credentials for NT authentication, each text NUL-terminated.
struct CredentialsRecord {
  char userName[41] = {};
  char domain[31] = {};
  char password[80] = {};
};
static_assert(sizeof(CredentialsRecord) == 152);
static_assert(offsetof(CredentialsRecord, userName) == 0);
static_assert(offsetof(CredentialsRecord, domain) == 41);
static_assert(offsetof(CredentialsRecord, password) == 72);

// The password text that hides the credentials dialog's explanation.
inline constexpr char kOnDemandPassword[] = "ondemand";

}  // namespace zel::shared
