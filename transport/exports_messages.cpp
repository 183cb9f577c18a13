// Exports of the session log, the diagnostic switch, error texts, and the
// security and code-download entry points of later stages.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/system/tick_count.h"
#include "shared/request_codes.h"
#include "shared/transport_errors.h"
#include "transport/export_guard.h"
#include "transport/link_state.h"
#include "transport/link_texts.h"
#include "transport/zellink.h"

using zel::transport::guarded;
using zel::transport::LinkState;
using zel::transport::SessionChannel;
namespace shared = zel::shared;

namespace {

// A log text is formatted into at most this many characters.
constexpr size_t kLogTextLimit = 255;

SessionChannel* usableHandle(::ClientHandle value) {
  SessionChannel* handle = LinkState::instance().find(value);
  return handle != nullptr && handle->usable() ? handle : nullptr;
}

int32_t addLogEntry(SessionChannel& handle, uint32_t flags, const char* text) {
  const size_t length = ::strnlen(text, kLogTextLimit);
  const uint32_t tick = zel::system::tickCount();
  const zel::transport::SessionReply reply = handle.request(
      shared::session_request::kLog,
      [&](shared::SessionArea& area) {
        area.data.log.tick = tick;
        area.data.log.flags = flags;
        std::memcpy(area.data.log.text, text, length);
        area.data.log.text[length] = '\0';
      },
      nullptr);
  return reply.answered ? 1 : 0;
}

}  // namespace

extern "C" {

ZELLINK_API int32_t LogClientMessage(::ClientHandle value, uint32_t flags, const char* format,
                                     ...) {
  SessionChannel* handle = guarded<SessionChannel*>(nullptr, [&] { return usableHandle(value); });
  if (handle == nullptr || format == nullptr) return 0;
  char text[kLogTextLimit + 1];
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(text, sizeof(text), format, arguments);
  va_end(arguments);
  if (written < 0) return 0;
  return guarded<int32_t>(0, [&] { return addLogEntry(*handle, flags, text); });
}

// Texts of other modules' tables are not available yet: the entry is not made.
ZELLINK_API int32_t LogClientMessageEx(ZelModule, ::ClientHandle, uint32_t, uint32_t, ...) {
  return 0;
}

ZELLINK_API int32_t ReadLogMessage(::ClientHandle value, uint32_t* tick, uint32_t* flags,
                                   char* text, int32_t size) {
  return guarded<int32_t>(-1, [&]() -> int32_t {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr) return -1;
    int32_t remaining = -1;
    const zel::transport::SessionReply reply = handle->request(
        shared::session_request::kReadLog, nullptr, [&](const shared::SessionArea& area) {
          if (area.code != shared::session_status::kOk) return;
          if (tick != nullptr) *tick = area.data.readLog.tick;
          if (flags != nullptr) *flags = area.data.readLog.flags;
          if (text != nullptr && size > 0) {
            const size_t length =
                std::min(::strnlen(area.data.readLog.text, sizeof(area.data.readLog.text)),
                         static_cast<size_t>(size) - 1);
            std::memcpy(text, area.data.readLog.text, length);
            text[length] = '\0';
            text[size - 1] = '\0';
          }
          remaining =
              static_cast<int32_t>(std::min<uint32_t>(area.data.readLog.remaining, INT32_MAX));
        });
    return reply.answered && reply.status == shared::session_status::kOk ? remaining : -1;
  });
}

ZELLINK_API int32_t SetClientDiagnostic(::ClientHandle handle, uint8_t code, uint8_t value) {
  const uint8_t message[8] = {11, 8, 0, 4, code, value, 0, 0};
  return SendBuffer(handle, message, sizeof(message));
}

ZELLINK_API int32_t GetTNMPErrorMessage(int32_t code, char* buffer, int32_t size) {
  return guarded<int32_t>(1, [&] {
    if (buffer == nullptr || size <= 0) return 1;
    const std::string_view text =
        code == shared::transport_error::kSuccess
            ? std::string_view()
            : zel::transport::linkText(zel::transport::errorTextNumber(code));
    const size_t length = std::min(text.size(), static_cast<size_t>(size) - 1);
    if (length > 0) std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return 1;
  });
}

// Certificate security, security reset and agent code download come with
// their own stages; until then they report failure and change nothing.
ZELLINK_API int32_t InitializeSecurity(ZelWindow, int32_t, int32_t) {
  return 0;
}
ZELLINK_API int32_t ResetClientSecurity(::ClientHandle) {
  return 0;
}
ZELLINK_API int32_t DownLoadNewCode(int32_t, ::ClientHandle) {
  return 0;
}

}  // extern "C"
