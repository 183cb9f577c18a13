#include "proxy/session_log.h"

#include "platform/system/tick_count.h"

namespace zel::proxy {

void SessionLog::add(uint32_t tick, uint32_t flags, std::string text) {
  if (text.size() > kMaxTextLength) text.resize(kMaxTextLength);
  std::lock_guard lock(mutex_);
  entries_.push_back(LogEntry{tick, flags, std::move(text)});
}

void SessionLog::add(uint32_t flags, std::string text) {
  add(system::tickCount(), flags, std::move(text));
}

std::optional<SessionLog::Taken> SessionLog::take() {
  std::lock_guard lock(mutex_);
  if (entries_.empty()) return std::nullopt;
  Taken taken{std::move(entries_.front()), 0};
  entries_.pop_front();
  taken.remaining = entries_.size();
  return taken;
}

size_t SessionLog::size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

}  // namespace zel::proxy
