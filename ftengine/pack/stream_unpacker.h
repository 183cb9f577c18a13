// Unpacks a token stream (see pack_format.h) block by block.
//
// Blocks may cut the stream anywhere: a code whose two bytes lie in two
// consecutive blocks, or a character at the start of the next block, is
// accepted. The unpacked bytes collect in an output buffer that is handed to
// the sink whenever it is full and once more by finish().
//
// The stream comes from the network, so nothing in it is trusted: a code that
// names no string of the current dictionary stops the stream with BadCode,
// and a stream that ends inside a code is reported as Truncated. A stream that
// ends after a code without its character is the normal end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "ftengine/pack/pack_format.h"

namespace zel::ftengine {

enum class UnpackStatus : std::uint8_t {
  Ok,          // everything so far was a valid stream
  BadCode,     // a code named a string that the dictionary does not hold
  Truncated,   // the stream ended after the first byte of a code
  SinkFailed,  // the sink refused output
};

class StreamUnpacker {
 public:
  // Receives unpacked bytes; returns false to stop (for example on a write
  // error or when more bytes arrive than the file may have).
  using OutputSink = std::function<bool(std::span<const std::uint8_t> bytes)>;

  StreamUnpacker(LineEnds lineEnds, std::size_t outputBufferSize, OutputSink sink);
  ~StreamUnpacker();
  StreamUnpacker(const StreamUnpacker&) = delete;
  StreamUnpacker& operator=(const StreamUnpacker&) = delete;

  // Unpacks the next block. Once a status other than Ok has been returned,
  // every later call returns it again and nothing more is unpacked; the same
  // holds after finish().
  UnpackStatus write(std::span<const std::uint8_t> block);

  // Ends the stream and hands the rest of the output to the sink.
  UnpackStatus finish();

  // Bytes handed to the sink or still buffered, inserted CRs included.
  std::uint64_t bytesOut() const { return bytesOut_ + used_; }

 private:
  class Dictionary;
  enum class Expect : std::uint8_t { CodeLow, CodeHigh, Character };

  bool beginCode(std::uint32_t code);
  void endToken(std::uint8_t byte);
  bool emit(const std::uint8_t* bytes, std::size_t size);
  bool flush();

  std::unique_ptr<Dictionary> dictionary_;
  std::vector<std::uint8_t> output_;
  std::size_t used_ = 0;
  LineEnds lineEnds_;
  OutputSink sink_;
  Expect expect_ = Expect::CodeLow;
  std::uint32_t codeLow_ = 0;
  std::uint32_t code_ = 0;
  std::uint32_t nextCode_ = kPackFirstCode;
  UnpackStatus status_ = UnpackStatus::Ok;
  bool finished_ = false;
  std::uint64_t bytesOut_ = 0;
};

struct UnpackResult {
  UnpackStatus status;
  std::vector<std::uint8_t> bytes;  // everything unpacked before the status
};

// Unpacks a whole token stream held in one buffer.
UnpackResult unpackAll(std::span<const std::uint8_t> stream, LineEnds lineEnds);

}  // namespace zel::ftengine
