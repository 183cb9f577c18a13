// Exports that report on sessions: the getters reading the session area, the
// live queries answered by the proxy, and address resolution.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include "shared/client_address.h"
#include "shared/codes.h"
#include "shared/request_codes.h"
#include "transport/export_guard.h"
#include "transport/link_state.h"
#include "transport/zellink.h"

using zel::transport::guarded;
using zel::transport::guardedVoid;
using zel::transport::LinkState;
using zel::transport::SessionChannel;
namespace shared = zel::shared;

namespace {

static_assert(sizeof(ZelSessionInfoRecord) == sizeof(shared::SessionInfoRecord));
static_assert(sizeof(ZelClientListRecord) == sizeof(shared::ClientListRecord));
static_assert(sizeof(ZelClientInfoRecord) == shared::kClientInfoRecordSize);
static_assert(offsetof(ZelClientInfoRecord, connected) ==
              offsetof(shared::ClientInfoRecord, connected));
static_assert(offsetof(ZelClientInfoRecord, address) ==
              offsetof(shared::ClientInfoRecord, address));

const shared::SessionArea* readableArea(::ClientHandle value) {
  SessionChannel* handle = LinkState::instance().find(value);
  return handle != nullptr && handle->usable() ? handle->area() : nullptr;
}

SessionChannel* usableHandle(::ClientHandle value) {
  SessionChannel* handle = LinkState::instance().find(value);
  return handle != nullptr && handle->usable() ? handle : nullptr;
}

// Copies a text of at most `limit` bytes (it need not be terminated there)
// into a C buffer of `size` bytes, always terminated.
void copyText(const char* text, size_t limit, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return;
  const size_t length = std::min(::strnlen(text, limit), static_cast<size_t>(size) - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

template <typename Field>
int32_t readField(::ClientHandle value, int32_t noValue, Field field) {
  return guarded<int32_t>(noValue, [&] {
    const shared::SessionArea* area = readableArea(value);
    return area != nullptr ? static_cast<int32_t>(field(*area)) : noValue;
  });
}

// A name request (get descriptive name, get user name) into the caller's buffer.
int32_t readName(::ClientHandle value, int32_t code, char* buffer, int32_t size) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr || buffer == nullptr || size <= 0) return 0;
    const zel::transport::SessionReply reply =
        handle->request(code, nullptr, [&](const shared::SessionArea& area) {
          copyText(area.data.name.name, sizeof(area.data.name.name), buffer, size);
        });
    return reply.answered && reply.status == shared::session_status::kOk ? 1 : 0;
  });
}

}  // namespace

extern "C" {

ZELLINK_API int32_t GetClientAddrString(::ClientHandle value, char* buffer, int32_t size) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* handle = LinkState::instance().find(value);
    if (handle == nullptr || buffer == nullptr || size <= 0) return 0;
    shared::formatClientAddress(handle->address(), buffer, static_cast<size_t>(size));
    return 1;
  });
}

ZELLINK_API int32_t ResolveAddress(const char* address, char* buffer, int32_t size) {
  return guarded<int32_t>(0, [&] {
    if (address == nullptr || buffer == nullptr || size <= 0) return 0;
    const std::string_view text(address, ::strnlen(address, shared::kAddressListLimit));
    const std::vector<std::string> items = shared::splitAddressList(text);
    if (items.empty()) return 0;
    const shared::ClientAddress parsed = shared::parseClientAddress(items.front());
    if (!parsed.isValid()) return 0;
    shared::formatClientAddress(parsed, buffer, static_cast<size_t>(size));
    return 1;
  });
}

ZELLINK_API int32_t GetClientVersion(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.agentVersion; });
}
ZELLINK_API int32_t GetClientOSType(::ClientHandle handle) {
  return readField(handle, static_cast<int32_t>(shared::os_type::kNullHandle),
                   [](const shared::SessionArea& a) { return a.osType; });
}
ZELLINK_API int32_t GetClientProtocolType(::ClientHandle handle) {
  return readField(handle, static_cast<int32_t>(shared::protocol_type::kTcp),
                   [](const shared::SessionArea& a) { return a.protocolType; });
}
ZELLINK_API int32_t GetClientArchitectureType(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.architectureType; });
}
ZELLINK_API int32_t GetClientSecurityType(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.securityType; });
}
ZELLINK_API int32_t GetClientCodePage(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.codePage; });
}
ZELLINK_API int32_t GetViewerRights(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.viewerRights; });
}
ZELLINK_API int32_t GetUserSecurity(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.userSecurity; });
}
ZELLINK_API int32_t IsEncryptionEnabled(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.encryptionEnabled; });
}
ZELLINK_API int32_t GetLoadedCodeType(::ClientHandle handle) {
  return readField(handle, 0, [](const shared::SessionArea& a) { return a.loadedCodeType; });
}

ZELLINK_API void SetLoadedCodeType(::ClientHandle value, int32_t codeType) {
  guardedVoid([&] {
    if (SessionChannel* handle = usableHandle(value)) {
      handle->area()->loadedCodeType = static_cast<uint8_t>(codeType);
    }
  });
}

ZELLINK_API int32_t GetSecurityString(::ClientHandle value, char* buffer, int32_t size) {
  return guarded<int32_t>(0, [&] {
    if (buffer == nullptr || size <= 0) return 0;
    std::memset(buffer, 0, static_cast<size_t>(size));
    const shared::SessionArea* area = readableArea(value);
    if (area == nullptr) return 0;
    copyText(area->securityString, sizeof(area->securityString), buffer, size);
    return 1;
  });
}

ZELLINK_API int32_t GetClientDescriptiveName(::ClientHandle handle, char* buffer, int32_t size) {
  return readName(handle, shared::session_request::kGetDescriptiveName, buffer, size);
}

ZELLINK_API int32_t GetClientUserName(::ClientHandle handle, char* buffer, int32_t size) {
  return readName(handle, shared::session_request::kGetUserName, buffer, size);
}

ZELLINK_API int32_t SetClientDescriptiveName(::ClientHandle value, const char* name) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr || name == nullptr) return 0;
    std::string lowered(name, ::strnlen(name, shared::kRecordTextSize - 1));
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const zel::transport::SessionReply reply = handle->request(
        shared::session_request::kSetDescriptiveName,
        [&](shared::SessionArea& area) {
          std::memset(area.data.name.name, 0, sizeof(area.data.name.name));
          std::memcpy(area.data.name.name, lowered.data(), lowered.size());
        },
        nullptr);
    return reply.answered && reply.status == shared::session_status::kOk ? 1 : 0;
  });
}

ZELLINK_API int32_t GetSessionInfo(::ClientHandle value, ZelSessionInfoRecord* record) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr || record == nullptr) return 0;
    const zel::transport::SessionReply reply = handle->request(
        shared::session_request::kStatistics, nullptr, [&](const shared::SessionArea& area) {
          std::memcpy(record, &area.data.statistics.info, sizeof(*record));
        });
    return reply.answered ? 1 : 0;
  });
}

ZELLINK_API int32_t EnumConnectedClients(ZelClientListRecord* records, int32_t capacity) {
  return guarded<int32_t>(-1, [&]() -> int32_t {
    LinkState& link = LinkState::instance();
    if (!link.ensureProxy()) return -1;
    int32_t result = -1;
    const zel::transport::GlobalReply reply = link.proxy().request(
        shared::global_request::kEnumerate, nullptr,
        [&](const shared::GlobalArea& area) {
          const uint32_t count = area.data.enumerate.count;
          if (count > shared::kEnumerateCapacity) return;
          if (records == nullptr) {
            result = static_cast<int32_t>(count);
          } else if (capacity < 0 || static_cast<uint32_t>(capacity) < count) {
            result = -2;
          } else {
            std::memcpy(records, area.data.enumerate.records, count * sizeof(*records));
            result = 0;
          }
        },
        zel::transport::kGlobalTimeouts);
    if (!reply.answered) return -1;
    // No session at all, or none negotiated: nothing to list.
    if (reply.status == shared::global_status::kUnsupported ||
        reply.status == shared::global_status::kNotFound) {
      return 0;
    }
    return reply.status == shared::global_status::kOk ? result : -1;
  });
}

ZELLINK_API int32_t GetClientInformation(const char* formattedAddress, void* record) {
  return guarded<int32_t>(0, [&] {
    if (formattedAddress == nullptr || record == nullptr) return 0;
    uint16_t wanted = 0;
    std::memcpy(&wanted, record, sizeof(wanted));
    LinkState& link = LinkState::instance();
    if (!link.ensureProxy()) return 0;
    const zel::transport::GlobalReply reply = link.proxy().request(
        shared::global_request::kInformation,
        [&](shared::GlobalArea& area) {
          std::memset(area.data.information.address, 0, sizeof(area.data.information.address));
          std::memcpy(area.data.information.address, formattedAddress,
                      ::strnlen(formattedAddress, shared::kRecordTextSize - 1));
        },
        [&](const shared::GlobalArea& area) {
          if (area.code != shared::global_status::kOk) return;
          std::memcpy(record, area.data.raw, std::min<size_t>(wanted, sizeof(area.data.raw)));
        },
        zel::transport::kGlobalTimeouts);
    return reply.answered && reply.status == shared::global_status::kOk ? 1 : 0;
  });
}

}  // extern "C"
