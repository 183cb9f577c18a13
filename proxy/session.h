// One session with an agent: its shared area and kernel objects, the channel
// queues, the node pool, the message log, the counters and the links to the
// agent.
//
// Threads: the proxy's main thread creates and destroys the session, opens
// and closes channels and answers the session requests; the request link's
// thread serves transactions and adds log entries. The link that carries the
// channels' messages (the view link) routes into the queues through
// routeMessage() and notify(), under the queue lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>

#include "platform/kernel/handle.h"
#include "proxy/channel_queue.h"
#include "proxy/message_node.h"
#include "proxy/object_namer.h"
#include "proxy/relay_settings.h"
#include "proxy/relay_texts.h"
#include "proxy/request_link.h"
#include "proxy/session_log.h"
#include "shared/client_address.h"
#include "shared/codes.h"
#include "shared/records.h"
#include "shared/session_area.h"

namespace zel::proxy {

struct SessionEnvironment {
  ObjectNamer* namer = nullptr;
  const RelayTexts* texts = nullptr;
  RelaySettings settings;
};

class Session {
 public:
  // Creates the session area with a fresh name, its events and mutex, the
  // node pool and the log. Null when any of them cannot be created.
  static std::unique_ptr<Session> create(const shared::ClientAddress& address,
                                         const SessionEnvironment& environment);
  // Ends the links and their threads, then releases everything in reverse
  // order of acquisition.
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const shared::ClientAddress& address() const { return address_; }
  const std::string& addressText() const { return addressText_; }
  shared::SessionArea& area() { return *area_; }
  kernel::Handle sectionHandle() const { return section_; }
  kernel::Handle requestEvent() const { return requestEvent_; }

  // Sets up the transport to the agent (TCP: connect to the request port
  // within the limit and start the request thread). False when no agent
  // could be contacted.
  bool contactAgent();
  uint32_t transportKind() const { return transportKind_; }
  bool requestLinkUp() const { return requestLink_ && requestLink_->up(); }

  // Channels.
  bool isChannelOpen(int channel) const;
  uint32_t channelHolder(int channel) const;
  // Opens the channel for `holder`; a channel left open by a holder that has
  // died is replaced by a fresh one. False when its objects cannot be made.
  bool openChannel(int channel, uint32_t holder);
  // Closes the channel (a closed one is left alone). When only the file
  // transfer channel stays open it is told so (-4).
  void closeChannel(int channel);
  int openChannelCount() const;
  uint32_t openChannelMask() const;

  // Puts a message from the agent into the channel's queue and counts it in
  // the pending counter; a message for a closed channel is dropped. False
  // when dropped.
  bool routeMessage(int channel, std::span<const uint8_t> body);
  // Puts a notification (a length of 0 or less) into one channel's queue, or
  // into every open channel's queue.
  void notify(int channel, int32_t code);
  void notifyAll(int32_t code);
  // Routes one body received from the agent: to its channel, or, for the
  // agent's own records on channel 4, into the names and the log.
  void deliverFromAgent(std::span<const uint8_t> body);

  // Answers the request waiting in the session area and sets the reply event.
  void handleRequest();

  SessionLog& log() { return log_; }
  bool negotiated() const { return area_->negotiated == 1; }
  // The agent-reported machine name, or else the descriptive name, lower-cased.
  std::string displayName() const;
  std::string userName() const;
  shared::SessionInfoRecord statistics() const;
  NodePool& pool() { return pool_; }

 private:
  Session(const shared::ClientAddress& address, const SessionEnvironment& environment);
  bool createObjects();

  void handleSend();
  void handleReceive();
  void handleLog();
  void handleReadLog();
  void handleStatistics();
  void handleSetDescriptiveName();
  void handleGetName(const std::string& name);

  shared::ClientAddress address_;
  std::string addressText_;
  SessionEnvironment environment_;

  // Kernel objects, in order of acquisition.
  kernel::Handle section_ = kernel::kNullHandle;
  shared::SessionArea* area_ = nullptr;
  kernel::Handle requestEvent_ = kernel::kNullHandle;
  kernel::Handle replyEvent_ = kernel::kNullHandle;
  kernel::Handle mutex_ = kernel::kNullHandle;
  kernel::Handle transactionRequest_ = kernel::kNullHandle;
  kernel::Handle transactionReply_ = kernel::kNullHandle;

  NodePool pool_;
  SessionLog log_;

  // Guards the set of channel queues against the link threads.
  mutable std::mutex queueLock_;
  std::array<std::unique_ptr<ChannelQueue>, shared::kChannelCount> queues_;

  std::string descriptiveName_;
  uint32_t createdTick_ = 0;
  uint32_t sendRequests_ = 0;
  uint32_t bytesSent_ = 0;
  std::atomic<uint32_t> messagesDelivered_{0};
  std::atomic<uint32_t> bytesDelivered_{0};

  uint32_t transportKind_ = shared::protocol_type::kTcp;
  // The links to the agent. The view link (its socket, thread, send lock,
  // state and pause mark) joins here beside the request link and is ended
  // before it.
  std::unique_ptr<RequestLink> requestLink_;
};

}  // namespace zel::proxy
