#include "proxy/object_namer.h"

#include "platform/system/tick_count.h"
#include "shared/object_names.h"

namespace zel::proxy {

std::optional<std::string> ObjectNamer::next(std::string_view prefix) {
  if (!started_) {
    counter_ = system::tickCount();
    started_ = true;
  }
  return shared::numberedObjectName(prefix, counter_++, kNameBufferSize);
}

}  // namespace zel::proxy
