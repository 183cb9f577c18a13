// The state zellink keeps per process: the link to the proxy, the client
// list and the two machine-wide events that tell other tools when a session
// connects and when the last channel of a session closes. Opening and
// closing handles, and the global requests, are done here.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/kernel/handle.h"
#include "shared/records.h"
#include "transport/client_list.h"
#include "transport/proxy_link.h"

namespace zel::transport {

class LinkState {
 public:
  // The process's one instance, created at the first call. It is never
  // destroyed before exit, so that handles can be closed from static
  // destructors of the tools.
  static LinkState& instance();

  LinkState();
  ~LinkState();  // closes every handle still open, as a tool's close would
  LinkState(const LinkState&) = delete;
  LinkState& operator=(const LinkState&) = delete;

  // Opens the first item of `addressList` that parses and opens; `error`
  // receives 0 or the code of the last failure.
  SessionChannel* open(const char* addressList, int32_t channelArgument, kernel::Handle abort,
                       int32_t& error);
  void close(SessionChannel* handle);

  ClientList& clients() { return clients_; }
  SessionChannel* find(const void* value) const { return clients_.find(value); }

  // Makes sure a proxy runs (starting it when needed).
  bool ensureProxy();
  ProxyLink& proxy() { return proxy_; }

  kernel::Handle connectedEvent() const { return connectedEvent_; }

 private:
  // The open of one parsed address; 0 or an error code.
  int32_t openOne(const shared::ClientAddress& address, int32_t channel, bool noPrompt,
                  kernel::Handle abort, SessionChannel*& opened);
  // The proxy this process used has gone: drop every handle without asking it.
  void dropAllHandles();

  kernel::Handle connectedEvent_ = kernel::kNullHandle;
  kernel::Handle disconnectedEvent_ = kernel::kNullHandle;
  ProxyLink proxy_;
  ClientList clients_;
};

}  // namespace zel::transport
