#include "proxy/session.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cctype>
#include <cstring>

#include "platform/kernel/event.h"
#include "platform/kernel/mutex.h"
#include "platform/kernel/section.h"
#include "platform/system/tick_count.h"
#include "proxy/view_routing.h"
#include "shared/object_names.h"

namespace zel::proxy {

namespace {

std::string boundedText(const char* text, size_t size) {
  return std::string(text, strnlen(text, size));
}

std::string lowerCased(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

Session::Session(const shared::ClientAddress& address, const SessionEnvironment& environment)
    : address_(address),
      addressText_(shared::formatClientAddress(address)),
      environment_(environment),
      createdTick_(system::tickCount()) {}

std::unique_ptr<Session> Session::create(const shared::ClientAddress& address,
                                         const SessionEnvironment& environment) {
  std::unique_ptr<Session> session(new Session(address, environment));
  if (!session->createObjects()) return nullptr;
  return session;
}

bool Session::createObjects() {
  ObjectNamer& namer = *environment_.namer;
  std::string sectionName = namer.next(shared::kSessionAreaPrefix).value_or("");
  section_ = kernel::create_section(shared::kSessionAreaSize, sectionName);
  if (section_ == kernel::kNullHandle) return false;
  area_ = static_cast<shared::SessionArea*>(kernel::map_view(section_));
  if (area_ == nullptr) return false;

  requestEvent_ = kernel::create_event(kernel::EventReset::kAuto, false);
  replyEvent_ = kernel::create_event(kernel::EventReset::kAuto, false);
  std::string mutexName = namer.next(shared::kSessionMutexPrefix).value_or("");
  mutex_ = kernel::create_mutex(false, mutexName);
  transactionRequest_ = kernel::create_event(kernel::EventReset::kAuto, false);
  transactionReply_ = kernel::create_event(kernel::EventReset::kAuto, false);
  if (requestEvent_ == kernel::kNullHandle || replyEvent_ == kernel::kNullHandle ||
      mutex_ == kernel::kNullHandle || transactionRequest_ == kernel::kNullHandle ||
      transactionReply_ == kernel::kNullHandle || !pool_.valid()) {
    return false;
  }

  // A fresh section is zero-filled, so the agent fields start cleared; a
  // section left over under the same name is cleared here.
  std::memset(reinterpret_cast<uint8_t*>(area_), 0, shared::kSessionAreaSize);
  area_->proxyProcessId = kernel::current_process_id();
  area_->requestEvent = requestEvent_;
  area_->replyEvent = replyEvent_;
  area_->mutex = mutex_;
  area_->section = section_;
  area_->transactionRequestEvent = transactionRequest_;
  area_->transactionReplyEvent = transactionReply_;
  return true;
}

Session::~Session() {
  requestLink_.reset();
  for (auto& queue : queues_)
    queue.reset();
  for (kernel::Handle handle :
       {transactionReply_, transactionRequest_, mutex_, replyEvent_, requestEvent_}) {
    if (handle != kernel::kNullHandle) kernel::close_handle(handle);
  }
  if (area_ != nullptr) kernel::unmap_view(area_);
  if (section_ != kernel::kNullHandle) kernel::close_handle(section_);
}

bool Session::contactAgent() {
  const RelayTexts& texts = *environment_.texts;
  uint32_t flags = shared::message_flags::kInformation;
  if (!address_.isIp()) {
    // IPX sessions need the datagram link.
    return false;
  }
  log_.add(flags, texts.format(text_id::kTryingTcp, {addressText_}));
  TcpConnectResult connected = connectTcp(address_, environment_.settings.connectTimeoutMs);
  if (connected.fd < 0) {
    // Without the datagram link there is no transport to fall back on.
    return false;
  }
  RequestLinkParts parts;
  parts.socket = connected.fd;
  parts.area = area_;
  parts.transactionRequest = transactionRequest_;
  parts.transactionReply = transactionReply_;
  parts.log = &log_;
  parts.texts = &texts;
  parts.replyTimeoutMs = environment_.settings.replyTimeoutMs;
  requestLink_ = std::make_unique<RequestLink>(parts);
  transportKind_ = shared::protocol_type::kTcp;
  log_.add(flags, texts.format(text_id::kContactedTcp, {addressText_}));
  if (!requestLink_->start()) {
    requestLink_.reset();
    return false;
  }
  area_->protocolType = transportKind_;
  return true;
}

bool Session::isChannelOpen(int channel) const {
  if (!shared::isValidChannel(channel)) return false;
  std::lock_guard lock(queueLock_);
  return queues_[channel] != nullptr;
}

uint32_t Session::channelHolder(int channel) const {
  return shared::isValidChannel(channel) ? area_->channelHolder[channel] : 0;
}

bool Session::openChannel(int channel, uint32_t holder) {
  if (!shared::isValidChannel(channel)) return false;
  std::unique_ptr<ChannelQueue> queue = ChannelQueue::create(*environment_.namer);
  if (!queue) return false;
  std::unique_ptr<ChannelQueue> replaced;
  {
    std::lock_guard lock(queueLock_);
    replaced = std::move(queues_[channel]);
    area_->receiveSemaphore[channel] = queue->receiveSemaphore();
    area_->channelHolder[channel] = holder;
    queues_[channel] = std::move(queue);
  }
  if (replaced) {
    for (auto& node : replaced->takeAll())
      pool_.giveBack(std::move(node));
  }
  return true;
}

void Session::closeChannel(int channel) {
  if (!shared::isValidChannel(channel)) return;
  std::unique_ptr<ChannelQueue> closed;
  {
    std::lock_guard lock(queueLock_);
    if (!queues_[channel]) return;
    closed = std::move(queues_[channel]);
    area_->receiveSemaphore[channel] = 0;
    area_->channelHolder[channel] = 0;
  }
  for (auto& node : closed->takeAll())
    pool_.giveBack(std::move(node));
  closed.reset();

  int fileTransfer = static_cast<int>(shared::ChannelType::FileTransfer);
  if (openChannelMask() == (1u << fileTransfer)) {
    notify(fileTransfer, shared::notification::kOnlyFileTransferLeft);
  }
}

int Session::openChannelCount() const {
  return std::popcount(openChannelMask());
}

uint32_t Session::openChannelMask() const {
  std::lock_guard lock(queueLock_);
  uint32_t mask = 0;
  for (int channel = 0; channel < shared::kChannelCount; ++channel) {
    if (queues_[channel]) mask |= 1u << channel;
  }
  return mask;
}

bool Session::routeMessage(int channel, std::span<const uint8_t> body) {
  if (!shared::isValidChannel(channel) || body.empty() || body.size() > kNodeBodySize) {
    return false;
  }
  std::unique_ptr<MessageNode> node = pool_.take();
  if (!node) return false;
  std::memcpy(node->body.get(), body.data(), body.size());
  node->length = static_cast<int32_t>(body.size());
  std::lock_guard lock(queueLock_);
  if (!queues_[channel]) {
    pool_.giveBack(std::move(node));
    return false;
  }
  queues_[channel]->put(std::move(node));
  std::atomic_ref<int32_t>(area_->pendingCount).fetch_add(1);
  return true;
}

void Session::notify(int channel, int32_t code) {
  if (!shared::isValidChannel(channel) || code > 0) return;
  std::lock_guard lock(queueLock_);
  if (queues_[channel]) queues_[channel]->put(MessageNode::notification(code));
}

void Session::notifyAll(int32_t code) {
  for (int channel = 0; channel < shared::kChannelCount; ++channel)
    notify(channel, code);
}

void Session::deliverFromAgent(std::span<const uint8_t> body) {
  RoutedBody routed = routeViewBody(body);
  switch (routed.kind) {
    case RoutedBody::Kind::kChannel:
      routeMessage(routed.channel, routed.body);
      break;
    case RoutedBody::Kind::kNamesUpdate: {
      auto store = [](char* field, size_t size, const std::string& text) {
        size_t length = std::min(text.size(), size - 1);
        std::memcpy(field, text.data(), length);
        std::memset(field + length, 0, size - length);
      };
      {
        std::lock_guard lock(queueLock_);
        store(area_->machineName, sizeof area_->machineName, routed.machineName);
        store(area_->userName, sizeof area_->userName, routed.userName);
      }
      notifyAll(shared::notification::kNamesChanged);
      if (!routed.body.empty()) routeMessage(routed.channel, routed.body);
      break;
    }
    case RoutedBody::Kind::kLogRecords:
      for (AgentLogRecord& record : routed.records)
        log_.add(record.flags, std::move(record.text));
      break;
    case RoutedBody::Kind::kDropped:
      break;
  }
}

std::string Session::displayName() const {
  std::unique_lock lock(queueLock_);
  std::string name = boundedText(area_->machineName, sizeof area_->machineName);
  lock.unlock();
  if (name.empty()) name = descriptiveName_;
  if (name.size() >= shared::kRecordTextSize) name.resize(shared::kRecordTextSize - 1);
  return lowerCased(std::move(name));
}

std::string Session::userName() const {
  std::unique_lock lock(queueLock_);
  std::string name = boundedText(area_->userName, sizeof area_->userName);
  lock.unlock();
  if (name.size() >= shared::kRecordTextSize) name.resize(shared::kRecordTextSize - 1);
  return name;
}

shared::SessionInfoRecord Session::statistics() const {
  shared::SessionInfoRecord record;
  record.interfaceVersion = shared::kProxyInterfaceVersion;
  record.elapsedMs = system::tickCount() - createdTick_;
  record.sendRequests = sendRequests_;
  record.bytesSent = bytesSent_;
  record.messagesDelivered = messagesDelivered_.load();
  record.bytesDelivered = bytesDelivered_.load();
  return record;
}

}  // namespace zel::proxy
