// The messages of a data stream, in both directions: data blocks (23-byte
// header, payload, one undefined byte), the 24-byte cancel block,
// keep-alives and status messages (15 bytes each). Routed by the receiving
// side's transfer tag at offset 11.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "ftengine/wire/ft_requests.h"
#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {

inline constexpr std::size_t FT_DATA_HEADER_SIZE = 23;
// Header plus the undefined byte after the payload.
inline constexpr std::size_t FT_DATA_OVERHEAD = 24;

struct DataBlockFields {
  std::int32_t status = 0;  // 0: last block; FTERR_MORE: more follow; FTERR_CANCELLED
  std::uint32_t peerTag = 0;
  std::uint32_t flags = 0;  // FTF_COMPRESS, FTF_TEXT
  std::uint16_t sequence = 0;
  bool withCrc = true;  // false sends CRC field 0: not checked
};

// Completes a data block whose payload has already been placed at offset 23
// of block: writes the header (with the payload's CRC) and the byte after the
// payload. Returns the block's length, or 0 when block is too small or the
// length would not fit 16 bits.
std::size_t finishDataBlock(std::span<std::uint8_t> block, std::size_t payloadSize,
                            const DataBlockFields& fields);

WireMessage encodeCancelBlock(std::uint32_t peerTag);
WireMessage encodeKeepAlive(std::uint32_t peerTag);
WireMessage encodeStatusMessage(std::uint32_t session, std::int32_t status, std::uint32_t peerTag);

// One stream message, length-checked.
struct StreamMessage {
  std::uint8_t op = 0;
  std::int32_t status = 0;
  std::uint32_t tag = 0;
  // FTM_DATA only:
  std::uint32_t flags = 0;
  std::uint16_t sequence = 0;
  std::uint16_t crc = 0;
  std::span<const std::uint8_t> payload;
};

// Returns FT_OK and fills out, or FTERR_PROTOCOL for a message shorter than
// the header, a length field that is not its size, or a data block shorter
// than its header and trailing byte.
std::int32_t decodeStreamMessage(std::span<const std::uint8_t> message, StreamMessage& out);

// The receiving side's checks of a stream, one message at a time: keep-alives
// are skipped; a status other than 0 or FTERR_MORE ends the stream with that
// status; a message of another kind with status 0 or FTERR_MORE is
// FTERR_UNEXPECTED; a wrong CRC (when the field is not 0) FTERR_CRC; a
// sequence number other than the next one (starting at 1) FTERR_SEQUENCE.
class DataStreamChecker {
 public:
  enum class Step : std::uint8_t {
    Payload,    // the payload is the next piece of the stream; lastBlock says whether more follow
    KeepAlive,  // nothing to do but wait again
    Failed,     // the stream ends with failure()
  };

  Step take(std::span<const std::uint8_t> message);

  std::span<const std::uint8_t> payload() const { return payload_; }
  bool lastBlock() const { return lastBlock_; }
  std::int32_t failure() const { return failure_; }
  std::uint32_t flags() const { return flags_; }

 private:
  std::uint16_t nextSequence_ = 1;
  std::span<const std::uint8_t> payload_;
  bool lastBlock_ = false;
  std::int32_t failure_ = FT_OK;
  std::uint32_t flags_ = 0;
};

}  // namespace zel::ftengine
