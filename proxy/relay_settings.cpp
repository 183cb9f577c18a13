#include "proxy/relay_settings.h"

#include <charconv>
#include <cstdlib>
#include <cstring>

namespace zel::proxy {

namespace {

void override(const char* variable, uint32_t& value) {
  const char* text = std::getenv(variable);
  if (text == nullptr) return;
  uint32_t parsed = 0;
  const char* end = text + std::strlen(text);
  auto [last, error] = std::from_chars(text, end, parsed);
  if (error != std::errc() || last != end || parsed == 0 || parsed > 3600000) return;
  value = parsed;
}

}  // namespace

RelaySettings RelaySettings::fromEnvironment() {
  RelaySettings settings;
  override("ZEL_RELAY_IDLE_EXIT_MS", settings.idleExitMs);
  override("ZEL_RELAY_REAP_MS", settings.reapIntervalMs);
  override("ZEL_RELAY_REPLY_TIMEOUT_MS", settings.replyTimeoutMs);
  return settings;
}

}  // namespace zel::proxy
