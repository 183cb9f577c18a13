// Packs a data stream into tokens (see pack_format.h), block by block.
//
// The input arrives in pieces of any size; a string being matched carries on
// into the next piece. Tokens collect in an output area of the payload room
// the caller names; the area is handed to the sink as one block as soon as
// fewer than kPackMaxTokenSize bytes are free, so no token is ever split
// between two blocks. finish() writes the final code and hands over the last
// block, which is never empty.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "ftengine/pack/pack_format.h"

namespace zel::ftengine {

class StreamPacker {
 public:
  // Receives one block payload; returns false to stop the stream (for
  // example when sending failed).
  using BlockSink = std::function<bool(std::span<const std::uint8_t> payload)>;

  // payloadRoom must be at least kPackMaxTokenSize.
  StreamPacker(std::size_t payloadRoom, LineEnds lineEnds, BlockSink sink);
  ~StreamPacker();
  StreamPacker(const StreamPacker&) = delete;
  StreamPacker& operator=(const StreamPacker&) = delete;

  // Packs the next piece of input. Returns false once the sink has refused a
  // block (or after finish()); nothing more is packed then.
  bool write(std::span<const std::uint8_t> piece);

  // Ends the stream: writes the code of the string matched so far (code 0 when
  // none) without a character and hands the rest of the area to the sink.
  bool finish();

  // Input bytes consumed so far, dropped CRs included.
  std::uint64_t bytesIn() const { return bytesIn_; }
  // Token bytes produced so far, including those still in the area.
  std::uint64_t bytesOut() const { return bytesOut_ + used_; }

 private:
  class Dictionary;

  bool startToken();
  void putCode(std::uint32_t code);
  bool handOver();

  std::unique_ptr<Dictionary> dictionary_;
  std::vector<std::uint8_t> area_;
  std::size_t used_ = 0;
  LineEnds lineEnds_;
  BlockSink sink_;
  // The token being matched when the previous piece ran out.
  bool inToken_ = false;
  std::uint32_t current_ = 0;
  std::uint32_t count_ = 0;
  std::uint8_t first_ = 0;  // the first byte of the current string
  std::uint32_t nextCode_ = kPackFirstCode;
  bool stopped_ = false;
  std::uint64_t bytesIn_ = 0;
  std::uint64_t bytesOut_ = 0;
};

// Packs a whole buffer; returns the concatenated block payloads.
std::vector<std::uint8_t> packAll(std::span<const std::uint8_t> input, LineEnds lineEnds,
                                  std::size_t payloadRoom = 32661);

}  // namespace zel::ftengine
