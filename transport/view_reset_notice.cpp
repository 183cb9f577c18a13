#include "transport/view_reset_notice.h"

#include "shared/codes.h"

namespace zel::transport {

int32_t viewResetNotice(uint32_t& lastTick, uint32_t now) {
  if (lastTick != 0 && now - lastTick < shared::kViewResetNoticeIntervalMs) return 0;
  lastTick = now != 0 ? now : 1;
  return shared::notification::kViewReset;
}

}  // namespace zel::transport
