#include "transport/link_state.h"

#include <cstring>
#include <string>

#include "platform/kernel/event.h"
#include "shared/codes.h"
#include "shared/object_names.h"
#include "shared/request_codes.h"
#include "shared/transport_errors.h"

namespace zel::transport {

namespace error = shared::transport_error;

namespace {

int32_t openStatusToError(int32_t status) {
  switch (status) {
    case shared::global_status::kOk:
      return error::kSuccess;
    case 1:
    case shared::global_status::kChannelHeld:
      return error::kChannelHeld;
    case shared::global_status::kNotFound:
      return error::kNoAgent;
    case shared::global_status::kLocalMachine:
      return error::kLocalMachine;
    default:
      return error::kFailed;
  }
}

// Whether any channel of the session other than `handle`'s is open, in any process.
bool otherChannelsOpen(const SessionChannel& handle) {
  const shared::SessionArea* area = handle.area();
  if (area == nullptr) return false;
  for (int channel = 0; channel < shared::kChannelCount; ++channel) {
    if (channel != handle.channel() && area->receiveSemaphore[channel] != 0) return true;
  }
  return false;
}

}  // namespace

LinkState& LinkState::instance() {
  static LinkState state;
  return state;
}

LinkState::LinkState() {
  connectedEvent_ =
      kernel::create_event(kernel::EventReset::kManual, false, shared::kConnectedEventName);
  disconnectedEvent_ =
      kernel::create_event(kernel::EventReset::kManual, false, shared::kDisconnectedEventName);
}

LinkState::~LinkState() {
  for (SessionChannel* handle : clients_.newestFirst())
    close(handle);
  if (disconnectedEvent_ != kernel::kNullHandle) kernel::close_handle(disconnectedEvent_);
  if (connectedEvent_ != kernel::kNullHandle) kernel::close_handle(connectedEvent_);
}

bool LinkState::ensureProxy() {
  return proxy_.ensure([this] { dropAllHandles(); });
}

void LinkState::dropAllHandles() {
  // Each handle unbinds as it is destroyed, newest first.
  clients_.removeAll();
}

SessionChannel* LinkState::open(const char* addressList, int32_t channelArgument,
                                kernel::Handle abort, int32_t& error) {
  if (addressList == nullptr) {
    error = error::kBadAddress;
    return nullptr;
  }
  const shared::ChannelRequest channel = shared::decodeChannelArgument(channelArgument);
  std::string_view list(addressList, ::strnlen(addressList, shared::kAddressListLimit));
  error = error::kBadAddress;
  for (const std::string& item : shared::splitAddressList(list)) {
    const shared::ClientAddress address = shared::parseClientAddress(item);
    if (!address.isValid()) {
      error = error::kBadAddress;
      continue;
    }
    SessionChannel* opened = nullptr;
    error = openOne(address, channel.channel, channel.noPermissionPrompt, abort, opened);
    if (opened != nullptr) return opened;
  }
  return nullptr;
}

int32_t LinkState::openOne(const shared::ClientAddress& address, int32_t channel, bool noPrompt,
                           kernel::Handle abort, SessionChannel*& opened) {
  if (!ensureProxy()) return error::kFailed;
  uint32_t section = 0;
  const uint32_t pid = kernel::current_process_id();
  const GlobalReply reply = proxy_.request(
      shared::global_request::kOpen,
      [&](shared::GlobalArea& area) {
        area.data.open.processId = pid;
        area.data.open.channel = channel;
        area.data.open.address = address;
      },
      [&](const shared::GlobalArea& area) { section = area.data.openReply.sessionSection; },
      kOpenTimeouts, abort);
  if (!reply.answered) return error::kFailed;
  const int32_t code = openStatusToError(reply.status);
  if (code != error::kSuccess) return code;
  auto handle = std::make_unique<SessionChannel>(address, channel, noPrompt);
  if (!handle->bind(proxy_.processId(), section)) {
    // The proxy holds the channel for us now: give it back.
    proxy_.request(
        shared::global_request::kClose,
        [&](shared::GlobalArea& area) {
          area.data.close.channel = channel;
          area.data.close.address = address;
        },
        nullptr, kGlobalTimeouts);
    return error::kFailed;
  }
  opened = clients_.add(std::move(handle));
  return error::kSuccess;
}

void LinkState::close(SessionChannel* handle) {
  std::unique_ptr<SessionChannel> owned = clients_.remove(handle);
  if (!owned) return;
  owned->markClosing();
  if (!otherChannelsOpen(*owned)) {
    if (!owned->terminated()) owned->endSession();
    proxy_.clearStarted();
    if (disconnectedEvent_ != kernel::kNullHandle) kernel::pulse_event(disconnectedEvent_);
  }
  const shared::ClientAddress address = owned->address();
  const int32_t channel = owned->channel();
  owned.reset();  // unbinds: wakes a receiver, releases the objects and the view
  proxy_.request(
      shared::global_request::kClose,
      [&](shared::GlobalArea& area) {
        area.data.close.channel = channel;
        area.data.close.address = address;
      },
      nullptr, kGlobalTimeouts);
}

}  // namespace zel::transport
