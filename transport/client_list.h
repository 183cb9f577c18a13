// The handles of this process in creation order, each with its parsed address
// and channel. The list owns the handles. Not locked: a tool must not create
// or close handles on two threads at once.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "transport/session_channel.h"

namespace zel::transport {

class ClientList {
 public:
  SessionChannel* add(std::unique_ptr<SessionChannel> handle);
  // The entry for a value a caller passed in, or null when it is not one of
  // this process's live handles (closed, never issued, or garbage).
  SessionChannel* find(const void* value) const;
  // Takes the entry out of the list; the caller now owns it.
  std::unique_ptr<SessionChannel> remove(SessionChannel* handle);
  // Takes every entry out, newest first.
  std::vector<std::unique_ptr<SessionChannel>> removeAll();

  // Every handle, newest first.
  std::vector<SessionChannel*> newestFirst() const;
  // Every handle whose formatted address equals `address` (ignoring case).
  std::vector<SessionChannel*> withAddress(std::string_view address) const;

 private:
  std::vector<std::unique_ptr<SessionChannel>> entries_;
};

}  // namespace zel::transport
