// Exports that move data: messages on the view link and transactions with
// the agent.
#include <algorithm>
#include <cstring>

#include "platform/system/tick_count.h"
#include "shared/codes.h"
#include "shared/request_codes.h"
#include "transport/export_guard.h"
#include "transport/link_state.h"
#include "transport/view_reset_notice.h"
#include "transport/zellink.h"

using zel::transport::guarded;
using zel::transport::LinkState;
using zel::transport::SessionChannel;
namespace shared = zel::shared;

namespace {

SessionChannel* usableHandle(::ClientHandle value) {
  SessionChannel* handle = LinkState::instance().find(value);
  return handle != nullptr && handle->usable() ? handle : nullptr;
}

}  // namespace

extern "C" {

ZELLINK_API int32_t SendBuffer(::ClientHandle value, const void* data, int32_t length) {
  return guarded<int32_t>(0, [&] {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr || data == nullptr || length <= 0 ||
        static_cast<size_t>(length) > shared::kMaxMessageSize) {
      return 0;
    }
    const zel::transport::SessionReply reply = handle->request(
        shared::session_request::kSend,
        [&](shared::SessionArea& area) {
          area.data.send.length = static_cast<uint32_t>(length);
          std::memcpy(area.data.send.message, data, static_cast<size_t>(length));
        },
        nullptr, zel::transport::kSendTimeouts);
    return reply.answered ? 1 : 0;
  });
}

ZELLINK_API int32_t RecvBuffer(::ClientHandle value, void* destination, int32_t destinationSize,
                               int32_t timeoutMs) {
  return guarded<int32_t>(-1, [&]() -> int32_t {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr) return -1;
    bool failed = false;
    const bool announced =
        handle->waitForEntry(static_cast<uint32_t>(std::max(timeoutMs, 0)), failed);
    if (failed) return -1;
    // The handle may have been closed by another thread of this process
    // while this one waited; closing wakes the receiver for this check.
    handle = usableHandle(value);
    if (handle == nullptr) return -1;
    if (!announced && handle->area()->pendingCount <= 0) return 0;

    const size_t room =
        destination != nullptr ? static_cast<size_t>(std::max(destinationSize, 0)) : 0;
    int32_t result = 0;
    const zel::transport::SessionReply reply = handle->request(
        shared::session_request::kReceive,
        [&](shared::SessionArea& area) {
          area.data.receive.destinationSize = static_cast<uint32_t>(room);
          area.data.receive.channel = handle->channel();
        },
        [&](const shared::SessionArea& area) {
          const int32_t length = area.data.receiveReply.length;
          if (length > 0) {
            // A message longer than the destination is cut to it.
            const size_t copied =
                std::min({static_cast<size_t>(length), shared::kMaxMessageSize, room});
            if (copied > 0) std::memcpy(destination, area.data.receiveReply.message, copied);
            result = static_cast<int32_t>(copied);
          } else {
            result = length;
          }
        });
    if (!reply.answered || reply.status != shared::session_status::kOk) return 0;
    if (result == shared::notification::kViewReset) {
      // The area keeps the tick of the last -2, so every process holding the
      // session obeys the same interval.
      return zel::transport::viewResetNotice(handle->area()->lastViewResetTick,
                                             zel::system::tickCount());
    }
    return result;
  });
}

ZELLINK_API int32_t MakeRequestToUser(::ClientHandle value, void* buffer, int32_t requestLength,
                                      int32_t maxReplyLength, int32_t timeoutMs) {
  return guarded<int32_t>(0, [&]() -> int32_t {
    SessionChannel* handle = usableHandle(value);
    if (handle == nullptr || requestLength <= 0 || maxReplyLength <= 0) return 0;
    return static_cast<int32_t>(handle->transact(
        static_cast<uint8_t*>(buffer), static_cast<uint32_t>(requestLength),
        static_cast<uint32_t>(maxReplyLength), static_cast<uint32_t>(std::max(timeoutMs, 0))));
  });
}

}  // extern "C"
