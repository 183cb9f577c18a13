#include "shared/view_frame.h"

#include <cstring>

#include "shared/byte_order.h"

namespace zel::shared {

namespace {

constexpr uint8_t kLeadMarker[4] = {'R', 'C', 'H', '0'};
constexpr uint8_t kTrailMarker[4] = {'R', 'C', 'H', 'E'};
constexpr size_t kLengthOffset = 4;
constexpr size_t kFlagsOffset = 6;
constexpr size_t kTrailOffset = 8;

}  // namespace

std::array<uint8_t, kViewHeaderSize> encodeViewHeader(uint16_t bodyLength, uint8_t flags) {
  std::array<uint8_t, kViewHeaderSize> header{};
  std::memcpy(header.data(), kLeadMarker, sizeof kLeadMarker);
  storeU16(header.data() + kLengthOffset, bodyLength);
  header[kFlagsOffset] = flags;
  header[kFlagsOffset + 1] = 0;
  std::memcpy(header.data() + kTrailOffset, kTrailMarker, sizeof kTrailMarker);
  return header;
}

bool appendViewFrame(std::span<const uint8_t> body, uint8_t flags, std::vector<uint8_t>& out) {
  if (body.size() > kViewMaxBody) return false;
  auto header = encodeViewHeader(static_cast<uint16_t>(body.size()), flags);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), body.begin(), body.end());
  return true;
}

ViewHeader decodeViewHeader(std::span<const uint8_t> bytes) {
  ViewHeader header;
  if (bytes.size() < kViewHeaderSize) return header;
  if (std::memcmp(bytes.data(), kLeadMarker, sizeof kLeadMarker) != 0 ||
      std::memcmp(bytes.data() + kTrailOffset, kTrailMarker, sizeof kTrailMarker) != 0) {
    header.status = ViewFrameStatus::BadMarker;
    return header;
  }
  header.status = ViewFrameStatus::Ok;
  header.bodyLength = loadU16(bytes.data() + kLengthOffset);
  header.flags = bytes[kFlagsOffset];
  return header;
}

ViewFrameView readViewFrame(std::span<const uint8_t> buffer) {
  ViewFrameView view;
  ViewHeader header = decodeViewHeader(buffer);
  if (header.status != ViewFrameStatus::Ok) {
    view.status = header.status;
    return view;
  }
  size_t total = kViewHeaderSize + header.bodyLength;
  if (buffer.size() < total) return view;  // Incomplete
  view.status = ViewFrameStatus::Ok;
  view.flags = header.flags;
  view.body = buffer.subspan(kViewHeaderSize, header.bodyLength);
  view.frameSize = total;
  return view;
}

}  // namespace zel::shared
