// The TCP view frame that carries channel messages in both directions:
// "RCH0", a u16 body length, a flags byte (0x04 body encrypted, 0x08 body
// compressed), a 0 byte, "RCHE", the body.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace zel::shared {

inline constexpr size_t kViewHeaderSize = 12;
inline constexpr size_t kViewMaxBody = 0xFFFF;

namespace view_flags {
inline constexpr uint8_t kEncrypted = 0x04;
inline constexpr uint8_t kCompressed = 0x08;
}  // namespace view_flags

enum class ViewFrameStatus {
  Ok,
  Incomplete,  // fewer bytes than the header or the announced body
  BadMarker,   // "RCH0" or "RCHE" missing
};

struct ViewHeader {
  ViewFrameStatus status = ViewFrameStatus::Incomplete;
  uint16_t bodyLength = 0;
  uint8_t flags = 0;
};

struct ViewFrameView {
  ViewFrameStatus status = ViewFrameStatus::Incomplete;
  uint8_t flags = 0;
  std::span<const uint8_t> body;  // empty unless status is Ok
  size_t frameSize = 0;           // header plus body, when Ok
};

std::array<uint8_t, kViewHeaderSize> encodeViewHeader(uint16_t bodyLength, uint8_t flags);

// Appends header and body to `out`; false (and nothing appended) for a body
// longer than the length field can say.
bool appendViewFrame(std::span<const uint8_t> body, uint8_t flags, std::vector<uint8_t>& out);

// Checks the first 12 bytes: both markers must be present. Flag bits other
// than the two known ones are reported as they came.
ViewHeader decodeViewHeader(std::span<const uint8_t> bytes);

// The frame at the start of `buffer`; the body view points into it.
ViewFrameView readViewFrame(std::span<const uint8_t> buffer);

}  // namespace zel::shared
