#include "proxy/view_routing.h"

#include <algorithm>
#include <cstring>

#include "shared/byte_order.h"
#include "shared/codes.h"

namespace zel::proxy {

namespace {

constexpr size_t kChannelOffset = 3;
constexpr size_t kSubCodeOffset = 4;
constexpr size_t kNamesOffset = 5;
constexpr size_t kLogFlagsOffset = 7;
constexpr size_t kLogTextOffset = 11;
constexpr int kAgentChannel = 4;

// The NUL-ended string at the start of `bytes`, ending at the end of `bytes`
// when there is no NUL; `bytes` moves past it and its NUL.
std::string takeString(std::span<const uint8_t>& bytes) {
  const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(bytes.data(), 0, bytes.size()));
  size_t length = nul != nullptr ? static_cast<size_t>(nul - bytes.data()) : bytes.size();
  std::string text(reinterpret_cast<const char*>(bytes.data()), length);
  bytes = bytes.subspan(std::min(bytes.size(), length + 1));
  return text;
}

RoutedBody namesUpdate(std::span<const uint8_t> body) {
  RoutedBody routed;
  routed.kind = RoutedBody::Kind::kNamesUpdate;
  size_t recordEnd =
      std::clamp<size_t>(shared::loadU16(body.data() + 1), kNamesOffset, body.size());
  std::span<const uint8_t> names = body.subspan(kNamesOffset, recordEnd - kNamesOffset);
  routed.machineName = takeString(names);
  routed.userName = takeString(names);
  routed.channel = kAgentChannel;
  routed.body = body.subspan(recordEnd);
  return routed;
}

RoutedBody logRecords(std::span<const uint8_t> body) {
  RoutedBody routed;
  routed.kind = RoutedBody::Kind::kLogRecords;
  while (body.size() > kChannelOffset && body[kChannelOffset] == kAgentChannel) {
    size_t length = shared::loadU16(body.data() + 1);
    if (length < kLogTextOffset || length > body.size()) break;
    std::span<const uint8_t> text = body.subspan(kLogTextOffset, length - kLogTextOffset);
    routed.records.push_back({shared::loadU32(body.data() + kLogFlagsOffset), takeString(text)});
    body = body.subspan(length);
  }
  return routed;
}

}  // namespace

RoutedBody routeViewBody(std::span<const uint8_t> body) {
  RoutedBody routed;
  if (body.empty()) return routed;
  if (body[0] != kRoutingByte) {
    routed.kind = RoutedBody::Kind::kChannel;
    routed.channel = 0;
    routed.body = body;
    return routed;
  }
  if (body.size() <= kChannelOffset) return routed;
  int channel = body[kChannelOffset];
  if (!shared::isValidChannel(channel)) return routed;
  if (channel != kAgentChannel) {
    routed.kind = RoutedBody::Kind::kChannel;
    routed.channel = channel;
    routed.body = body;
    return routed;
  }
  if (body.size() <= kSubCodeOffset) return routed;
  switch (body[kSubCodeOffset]) {
    case 1:
      return namesUpdate(body);
    case 3:
    case 4:
      return logRecords(body);
    default:
      return routed;
  }
}

}  // namespace zel::proxy
