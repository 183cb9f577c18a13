#include "transport/start_failure.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/texts/message_format.h"
#include "shared/object_names.h"
#include "transport/link_texts.h"

namespace zel::transport {

namespace {

std::atomic<FailureNotice> graphicalNotice{nullptr};

bool displayAvailable() {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && *x11 != '\0') || (wayland != nullptr && *wayland != '\0');
}

}  // namespace

std::string proxyStartFailureText(std::string_view reason) {
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
    reason.remove_suffix(1);
  }
  const std::string program = shared::kRelayProgramName;
  const std::string why(reason);
  return texts::formatMessage(linkText(text_number::kProxyStartFailed),
                              {texts::FormatArgument(program), texts::FormatArgument(why)});
}

void reportProxyStartFailure(std::string_view reason) {
  const std::string text = proxyStartFailureText(reason);
  const std::string_view caption = linkText(text_number::kCaption);
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(caption.size()), caption.data(),
               text.c_str());
  const FailureNotice notice = graphicalNotice.load();
  if (notice != nullptr && displayAvailable()) notice(caption, text);
}

void setGraphicalFailureNotice(FailureNotice notice) {
  graphicalNotice.store(notice);
}

}  // namespace zel::transport
