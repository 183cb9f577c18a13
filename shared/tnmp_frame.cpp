#include "shared/tnmp_frame.h"

#include <cstring>

#include "shared/byte_order.h"

namespace zel::shared {

namespace {

constexpr uint8_t kLeadMarker[4] = {'T', 'N', 'M', 'P'};
constexpr uint8_t kTrailMarker[4] = {'T', 'N', 'M', 'E'};
constexpr size_t kLengthOffset = 4;
constexpr size_t kReservedOffset = 6;
constexpr size_t kTrailOffset = 8;

}  // namespace

std::array<uint8_t, kTnmpHeaderSize> encodeTnmpHeader(uint16_t payloadLength) {
  std::array<uint8_t, kTnmpHeaderSize> header{};
  std::memcpy(header.data(), kLeadMarker, sizeof kLeadMarker);
  storeU16(header.data() + kLengthOffset, payloadLength);
  storeU16(header.data() + kReservedOffset, 0);
  std::memcpy(header.data() + kTrailOffset, kTrailMarker, sizeof kTrailMarker);
  return header;
}

bool appendTnmpFrame(std::span<const uint8_t> payload, std::vector<uint8_t>& out) {
  if (payload.size() > kTnmpMaxPayload) return false;
  auto header = encodeTnmpHeader(static_cast<uint16_t>(payload.size()));
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), payload.begin(), payload.end());
  return true;
}

TnmpHeader decodeTnmpHeader(std::span<const uint8_t> bytes, size_t maxPayload) {
  TnmpHeader header;
  if (bytes.size() < kTnmpHeaderSize) return header;
  if (std::memcmp(bytes.data(), kLeadMarker, sizeof kLeadMarker) != 0 ||
      std::memcmp(bytes.data() + kTrailOffset, kTrailMarker, sizeof kTrailMarker) != 0) {
    header.status = TnmpFrameStatus::BadMarker;
    return header;
  }
  if (loadU16(bytes.data() + kReservedOffset) != 0) {
    header.status = TnmpFrameStatus::BadReserved;
    return header;
  }
  header.payloadLength = loadU16(bytes.data() + kLengthOffset);
  header.status =
      header.payloadLength > maxPayload ? TnmpFrameStatus::TooLong : TnmpFrameStatus::Ok;
  return header;
}

TnmpFrameView readTnmpFrame(std::span<const uint8_t> buffer, size_t maxPayload) {
  TnmpFrameView view;
  TnmpHeader header = decodeTnmpHeader(buffer, maxPayload);
  if (header.status != TnmpFrameStatus::Ok) {
    view.status = header.status;
    return view;
  }
  size_t total = kTnmpHeaderSize + header.payloadLength;
  if (buffer.size() < total) return view;  // Incomplete
  view.status = TnmpFrameStatus::Ok;
  view.payload = buffer.subspan(kTnmpHeaderSize, header.payloadLength);
  view.frameSize = total;
  return view;
}

}  // namespace zel::shared
