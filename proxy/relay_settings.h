// Timings of the proxy. The shipped defaults are fixed; tests may shorten
// them through environment variables that nothing else sets:
//   ZEL_RELAY_IDLE_EXIT_MS       idle time with no session before the proxy exits
//   ZEL_RELAY_REAP_MS            quiet time after which dead holders are looked for
//   ZEL_RELAY_REPLY_TIMEOUT_MS   how long the request link waits for an agent reply
#pragma once

#include <cstdint>

namespace zel::proxy {

struct RelaySettings {
  uint32_t idleExitMs = 30000;
  uint32_t reapIntervalMs = 10000;
  uint32_t connectTimeoutMs = 10000;
  // 0: the standard reply time-outs (10 s, 40 s for NT token chunks).
  uint32_t replyTimeoutMs = 0;

  // The defaults, with the test variables above applied when they hold a
  // decimal number of milliseconds from 1 to 3,600,000.
  static RelaySettings fromEnvironment();
};

}  // namespace zel::proxy
