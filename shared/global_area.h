// The machine-wide global area through which processes open, close and list
// sessions. Handle fields hold handle values of the proxy process.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#include "shared/client_address.h"
#include "shared/records.h"

namespace zel::shared {

static_assert(std::endian::native == std::endian::little,
              "the shared areas are little-endian and read in place");

inline constexpr size_t kGlobalAreaSize = 32788;
inline constexpr size_t kGlobalDataOffset = 48;
inline constexpr size_t kGlobalDataSize = kGlobalAreaSize - kGlobalDataOffset;

// Arguments of the open request.
struct GlobalOpenArgs {
  uint32_t processId;  // the requesting process
  int32_t channel;
  ClientAddress address;
};

// Reply of the open request.
struct GlobalOpenReply {
  uint32_t sessionSection;  // the proxy's handle of the session section
};

// Arguments of the close request.
struct GlobalCloseArgs {
  int32_t channel;
  ClientAddress address;
};

inline constexpr size_t kEnumerateCapacity = 132;

// Reply of the enumerate request.
struct GlobalEnumerateReply {
  uint32_t count;
  ClientListRecord records[kEnumerateCapacity];
};

// Arguments of the information request: the formatted address text.
struct GlobalInformationArgs {
  char address[kRecordTextSize];
};

struct GlobalArea {
  uint32_t proxyProcessId;
  uint8_t reserved[28];
  uint32_t requestEvent;
  uint32_t replyEvent;
  uint32_t mutex;
  int32_t code;  // request code, replaced by the status in the reply
  union Data {
    Data() : raw{} {}
    uint8_t raw[kGlobalDataSize];
    GlobalOpenArgs open;
    GlobalOpenReply openReply;
    GlobalCloseArgs close;
    GlobalEnumerateReply enumerate;
    GlobalInformationArgs information;
    // The information reply fills the record from its `connected` field on,
    // leaving the head of the request text in front of it.
    ClientInfoRecord informationReply;
  } data;
};

static_assert(sizeof(GlobalArea) == kGlobalAreaSize);
static_assert(offsetof(GlobalArea, proxyProcessId) == 0);
static_assert(offsetof(GlobalArea, requestEvent) == 32);
static_assert(offsetof(GlobalArea, replyEvent) == 36);
static_assert(offsetof(GlobalArea, mutex) == 40);
static_assert(offsetof(GlobalArea, code) == 44);
static_assert(offsetof(GlobalArea, data) == kGlobalDataOffset);
static_assert(offsetof(GlobalArea, data.open.processId) == 48);
static_assert(offsetof(GlobalArea, data.open.channel) == 52);
static_assert(offsetof(GlobalArea, data.open.address) == 56);
static_assert(offsetof(GlobalArea, data.open.address) + sizeof(ClientAddress) == 80);
static_assert(offsetof(GlobalArea, data.openReply.sessionSection) == 48);
static_assert(offsetof(GlobalArea, data.close.channel) == 48);
static_assert(offsetof(GlobalArea, data.close.address) == 52);
static_assert(offsetof(GlobalArea, data.close.address) + sizeof(ClientAddress) == 76);
static_assert(offsetof(GlobalArea, data.enumerate.count) == 48);
static_assert(offsetof(GlobalArea, data.enumerate.records) == 52);
static_assert(sizeof(GlobalEnumerateReply) == kGlobalDataSize);
static_assert(offsetof(GlobalArea, data.information.address) == 48);
static_assert(offsetof(GlobalArea, data.informationReply.connected) == 56);
static_assert(offsetof(GlobalArea, data.informationReply.address) == 48 + 294);

}  // namespace zel::shared
