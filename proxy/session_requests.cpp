// The session requests of the session area, answered by the main thread.
// Every length and text that a client wrote is checked against the area
// before it is used, and every reply stays within its field.
#include <cstring>

#include "platform/kernel/event.h"
#include "platform/system/tick_count.h"
#include "proxy/session.h"
#include "shared/request_codes.h"

namespace zel::proxy {

namespace {

// Copies `text` into a field of `size` bytes, cut to fit, NUL-terminated and
// the rest of the field cleared.
void putText(char* field, size_t size, const std::string& text) {
  size_t length = std::min(text.size(), size - 1);
  std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, size - length);
}

}  // namespace

void Session::handleRequest() {
  using namespace shared::session_request;
  switch (area_->code) {
    case kSend:
      handleSend();
      break;
    case kReceive:
      handleReceive();
      break;
    case kLog:
      handleLog();
      break;
    case kReadLog:
      handleReadLog();
      break;
    case kStatistics:
      handleStatistics();
      break;
    case kNtAuthentication:
      // The security package is not available to this proxy: the exchange
      // fails as it does when no credentials can be acquired.
      area_->code = -2;
      break;
    case kSetDescriptiveName:
      handleSetDescriptiveName();
      break;
    case kGetDescriptiveName:
      handleGetName(displayName());
      break;
    case kGetUserName:
      handleGetName(userName());
      break;
    case kOpenViewConnection:
      // No view link can be opened yet.
      area_->code = shared::session_status::kFailed;
      break;
    default:  // reset security (7) and unknown codes
      area_->code = shared::session_status::kUnsupported;
      break;
  }
  kernel::set_event(replyEvent_);
}

void Session::handleSend() {
  ++sendRequests_;
  // The message cannot be sent before the view link exists.
  area_->data.sendReply.bytesSent = 0;
  area_->code = shared::session_status::kFailed;
}

void Session::handleReceive() {
  shared::ReceiveReply& reply = area_->data.receiveReply;
  int32_t channel = area_->data.receive.channel;
  std::unique_ptr<MessageNode> node;
  {
    std::lock_guard lock(queueLock_);
    if (!shared::isValidChannel(channel) || !queues_[channel]) {
      reply.length = 0;
      area_->code = shared::session_status::kNotOpen;
      return;
    }
    node = queues_[channel]->take();
  }
  if (!node) {
    reply.length = 0;
    area_->code = shared::session_status::kEmpty;
    return;
  }
  std::atomic_ref<int32_t>(area_->pendingCount).fetch_sub(1);
  int32_t length = node->length;
  if (length > 0) {
    // Nodes hold at most 65,539 bytes; a receive carries at most 65,535.
    size_t size = std::min<size_t>(static_cast<size_t>(length), shared::kMaxMessageSize);
    std::memcpy(reply.message, node->body.get(), size);
    length = static_cast<int32_t>(size);
    messagesDelivered_.fetch_add(1);
    bytesDelivered_.fetch_add(static_cast<uint32_t>(size));
  }
  reply.length = length;
  area_->code = shared::session_status::kOk;
  pool_.giveBack(std::move(node));
}

void Session::handleLog() {
  const shared::LogArgs& args = area_->data.log;
  uint32_t tick = args.tick == shared::kProxyStampsTick ? system::tickCount() : args.tick;
  log_.add(tick, args.flags, std::string(args.text, strnlen(args.text, sizeof args.text)));
  area_->code = shared::session_status::kOk;
}

void Session::handleReadLog() {
  std::optional<SessionLog::Taken> taken = log_.take();
  if (!taken) {
    area_->code = shared::session_status::kEmpty;
    return;
  }
  shared::ReadLogReply& reply = area_->data.readLog;
  reply.tick = taken->entry.tick;
  reply.flags = taken->entry.flags;
  putText(reply.text, sizeof reply.text, taken->entry.text);
  reply.remaining = static_cast<uint32_t>(taken->remaining);
  area_->code = shared::session_status::kOk;
}

void Session::handleStatistics() {
  area_->data.statistics.info = statistics();
  area_->data.statistics.connected = requestLinkUp() ? 1 : 0;
}

void Session::handleSetDescriptiveName() {
  const char* name = area_->data.name.name;
  descriptiveName_.assign(name, strnlen(name, shared::kRecordTextSize - 1));
  area_->code = shared::session_status::kOk;
}

void Session::handleGetName(const std::string& name) {
  putText(area_->data.name.name, shared::kRecordTextSize, name);
  area_->code = shared::session_status::kOk;
}

}  // namespace zel::proxy
