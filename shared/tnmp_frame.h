// The TCP request frame that carries request-link exchanges in both
// directions: "TNMP", a u16 payload length, a u16 0, "TNME", the payload.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::shared {

inline constexpr size_t kTnmpHeaderSize = 12;
inline constexpr size_t kTnmpMaxPayload = 0xFFFF;

enum class TnmpFrameStatus {
  Ok,
  Incomplete,   // fewer bytes than the header or the announced payload
  BadMarker,    // "TNMP" or "TNME" missing
  BadReserved,  // the u16 at offset 6 is not 0
  TooLong,      // the announced payload is above the caller's limit
};

struct TnmpHeader {
  TnmpFrameStatus status = TnmpFrameStatus::Incomplete;
  uint16_t payloadLength = 0;
};

struct TnmpFrameView {
  TnmpFrameStatus status = TnmpFrameStatus::Incomplete;
  std::span<const uint8_t> payload;  // empty unless status is Ok
  size_t frameSize = 0;              // header plus payload, when Ok
};

std::array<uint8_t, kTnmpHeaderSize> encodeTnmpHeader(uint16_t payloadLength);

// Appends header and payload to `out`; false (and nothing appended) for a
// payload longer than the length field can say.
bool appendTnmpFrame(std::span<const uint8_t> payload, std::vector<uint8_t>& out);

// Checks the first 12 bytes. The payload length is reported also for a
// TooLong header, so that a reader can skip the payload.
TnmpHeader decodeTnmpHeader(std::span<const uint8_t> bytes, size_t maxPayload = kTnmpMaxPayload);

// The frame at the start of `buffer`; the payload view points into it.
TnmpFrameView readTnmpFrame(std::span<const uint8_t> buffer, size_t maxPayload = kTnmpMaxPayload);

}  // namespace zel::shared
