#include "ftengine/pack/stream_unpacker.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace zel::ftengine {

// The unpacker's dictionary: for every code its last character, the code of
// the string without that character, and the string's length. Entry 0 is the
// empty string.
class StreamUnpacker::Dictionary {
 public:
  std::uint16_t previous[kPackCodeEnd] = {};
  std::uint16_t length[kPackCodeEnd] = {};
  std::uint8_t character[kPackCodeEnd] = {};
};

namespace {

// Room for the longest string with a CR before each of its characters.
constexpr std::size_t kStackSize = 2 * kPackStringLimit;

}  // namespace

StreamUnpacker::StreamUnpacker(LineEnds lineEnds, std::size_t outputBufferSize, OutputSink sink)
    : dictionary_(std::make_unique<Dictionary>()),
      output_(std::max<std::size_t>(outputBufferSize, 1)),
      lineEnds_(lineEnds),
      sink_(std::move(sink)) {}

StreamUnpacker::~StreamUnpacker() = default;

bool StreamUnpacker::flush() {
  if (used_ == 0) return true;
  bytesOut_ += used_;
  std::size_t size = used_;
  used_ = 0;
  if (!sink_(std::span<const std::uint8_t>(output_.data(), size))) {
    status_ = UnpackStatus::SinkFailed;
    return false;
  }
  return true;
}

bool StreamUnpacker::emit(const std::uint8_t* bytes, std::size_t size) {
  while (size > 0) {
    if (used_ == output_.size() && !flush()) return false;
    std::size_t step = std::min(size, output_.size() - used_);
    std::memcpy(output_.data() + used_, bytes, step);
    used_ += step;
    bytes += step;
    size -= step;
  }
  return true;
}

// Outputs the string of a code just read. Returns false when the code names
// nothing or the output was refused.
bool StreamUnpacker::beginCode(std::uint32_t code) {
  // The sender starts its dictionary again before the token that follows the
  // last code; from then on only codes assigned anew are valid.
  if (nextCode_ == kPackCodeEnd) nextCode_ = kPackFirstCode;
  if (code >= nextCode_) {
    status_ = UnpackStatus::BadCode;
    return false;
  }
  const Dictionary& dict = *dictionary_;
  std::uint8_t stack[kStackSize];
  std::size_t start = kStackSize;
  const bool text = lineEnds_ == LineEnds::Text;
  for (std::uint32_t c = code; c != 0; c = dict.previous[c]) {
    std::uint8_t byte = dict.character[c];
    stack[--start] = byte;
    if (text && byte == kLineFeed) stack[--start] = kCarriageReturn;
  }
  code_ = code;
  expect_ = dict.length[code] < kPackStringLimit ? Expect::Character : Expect::CodeLow;
  return emit(stack + start, kStackSize - start);
}

void StreamUnpacker::endToken(std::uint8_t byte) {
  Dictionary& dict = *dictionary_;
  dict.previous[nextCode_] = static_cast<std::uint16_t>(code_);
  dict.character[nextCode_] = byte;
  dict.length[nextCode_] = static_cast<std::uint16_t>(dict.length[code_] + 1);
  ++nextCode_;
  expect_ = Expect::CodeLow;
  if (lineEnds_ == LineEnds::Text && byte == kLineFeed) {
    const std::uint8_t lineEnd[2] = {kCarriageReturn, kLineFeed};
    emit(lineEnd, 2);
  } else {
    emit(&byte, 1);
  }
}

UnpackStatus StreamUnpacker::write(std::span<const std::uint8_t> block) {
  if (finished_) return status_;
  for (std::size_t i = 0; i < block.size() && status_ == UnpackStatus::Ok; ++i) {
    std::uint8_t byte = block[i];
    switch (expect_) {
      case Expect::CodeLow:
        codeLow_ = byte;
        expect_ = Expect::CodeHigh;
        break;
      case Expect::CodeHigh:
        beginCode(codeLow_ | (std::uint32_t{byte} << 8));
        break;
      case Expect::Character:
        endToken(byte);
        break;
    }
  }
  return status_;
}

UnpackStatus StreamUnpacker::finish() {
  if (finished_) return status_;
  finished_ = true;
  if (status_ == UnpackStatus::SinkFailed) return status_;
  // What was unpacked before a fault is still handed over; the first fault
  // is the one reported.
  const UnpackStatus before = status_;
  if (!flush()) return status_;
  status_ = before;
  if (status_ == UnpackStatus::Ok && expect_ == Expect::CodeHigh) status_ = UnpackStatus::Truncated;
  return status_;
}

UnpackResult unpackAll(std::span<const std::uint8_t> stream, LineEnds lineEnds) {
  UnpackResult result{UnpackStatus::Ok, {}};
  StreamUnpacker unpacker(lineEnds, 32768, [&result](std::span<const std::uint8_t> bytes) {
    result.bytes.insert(result.bytes.end(), bytes.begin(), bytes.end());
    return true;
  });
  unpacker.write(stream);
  result.status = unpacker.finish();
  return result;
}

}  // namespace zel::ftengine
