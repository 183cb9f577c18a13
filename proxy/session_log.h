// The message log of one session: entries (tick, flags, text) in arrival
// order, added by tools through the log request and by the proxy's own
// threads, taken one at a time by the read-log request.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace zel::proxy {

struct LogEntry {
  uint32_t tick = 0;
  uint32_t flags = 0;
  std::string text;
};

class SessionLog {
 public:
  // Texts are kept up to this many characters: what the read-log reply can
  // carry with its NUL.
  static constexpr size_t kMaxTextLength = 255;

  void add(uint32_t tick, uint32_t flags, std::string text);
  // Stamped with the proxy's tick count.
  void add(uint32_t flags, std::string text);

  struct Taken {
    LogEntry entry;
    size_t remaining = 0;
  };
  std::optional<Taken> take();
  size_t size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<LogEntry> entries_;
};

}  // namespace zel::proxy
