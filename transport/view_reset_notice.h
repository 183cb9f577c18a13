// The rule that a -2 notification (the agent reset the view connection)
// reaches a tool at most once per interval per session.
#pragma once

#include <cstdint>

namespace zel::transport {

// Given the tick of the last -2 returned for the session (0: none yet) and
// the tick now, returns -2 and records `now`, or 0 when the last one is less
// than the interval old. Ticks wrap; 0 is recorded as 1 so that it still
// counts as a notice given.
int32_t viewResetNotice(uint32_t& lastTick, uint32_t now);

}  // namespace zel::transport
