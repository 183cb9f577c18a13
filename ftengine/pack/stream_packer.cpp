#include "ftengine/pack/stream_packer.h"

#include <cassert>
#include <cstring>
#include <utility>

namespace zel::ftengine {

// The packer's dictionary: which code names "string of prefix code + byte".
// Strings of one and two bytes live in direct tables (the first steps of
// every match); longer ones in an open-addressing hash table of twice the code
// space with linear probing, so it is at most half full. Every slot carries the generation in which
// it was written; starting the dictionary again only advances the generation, so a reset costs
// nothing until the generation counter itself wraps.
class StreamPacker::Dictionary {
 public:
  Dictionary() { wipe(); }

  // The code of prefix+byte, or 0 when that string is not known.
  std::uint32_t find(std::uint32_t prefix, std::uint8_t byte) const {
    if (prefix == 0) {
      std::uint32_t entry = roots_[byte];
      return (entry >> 16) == generation_ ? (entry & 0xFFFF) : 0;
    }
    const std::uint64_t wanted = tagOf(prefix, byte);
    for (std::uint32_t i = slotOf(prefix, byte);; i = (i + 1) & kMask) {
      std::uint64_t slot = slots_[i];
      if ((slot >> 16) == wanted) return static_cast<std::uint32_t>(slot & 0xFFFF);
      if ((slot >> 40) != generation_) return 0;
    }
  }

  // Adds prefix+byte, known to be absent, under code.
  void add(std::uint32_t prefix, std::uint8_t byte, std::uint32_t code) {
    if (prefix == 0) {
      roots_[byte] = (generation_ << 16) | code;
      return;
    }
    std::uint32_t i = slotOf(prefix, byte);
    while ((slots_[i] >> 40) == generation_)
      i = (i + 1) & kMask;
    slots_[i] = (tagOf(prefix, byte) << 16) | code;
  }

  // The code of the two-byte string first+byte, or 0.
  std::uint32_t findPair(std::uint8_t first, std::uint8_t byte) const {
    std::uint32_t entry = pairs_[(first << 8) | byte];
    return (entry >> 16) == generation_ ? (entry & 0xFFFF) : 0;
  }
  void addPair(std::uint8_t first, std::uint8_t byte, std::uint32_t code) {
    pairs_[(first << 8) | byte] = (generation_ << 16) | code;
  }

  void clear() {
    if (++generation_ > 0xFFFF) wipe();
  }

 private:
  static constexpr std::uint32_t kSlots = 1u << 17;
  static constexpr std::uint32_t kMask = kSlots - 1;

  std::uint64_t tagOf(std::uint32_t prefix, std::uint8_t byte) const {
    return (std::uint64_t{generation_} << 24) | (prefix << 8) | byte;
  }
  static std::uint32_t slotOf(std::uint32_t prefix, std::uint8_t byte) {
    return (((prefix << 8) | byte) * 0x9E3779B1u) >> (32 - 17);
  }
  void wipe() {
    std::memset(slots_, 0, sizeof slots_);
    std::memset(roots_, 0, sizeof roots_);
    std::memset(pairs_, 0, sizeof pairs_);
    generation_ = 1;
  }

  std::uint64_t slots_[kSlots];
  std::uint32_t roots_[256];
  std::uint32_t pairs_[256 * 256];
  std::uint32_t generation_ = 1;
};

StreamPacker::StreamPacker(std::size_t payloadRoom, LineEnds lineEnds, BlockSink sink)
    : dictionary_(std::make_unique<Dictionary>()),
      area_(payloadRoom < kPackMaxTokenSize ? kPackMaxTokenSize : payloadRoom),
      lineEnds_(lineEnds),
      sink_(std::move(sink)) {}

StreamPacker::~StreamPacker() = default;

bool StreamPacker::handOver() {
  bytesOut_ += used_;
  std::size_t size = used_;
  used_ = 0;
  if (!sink_(std::span<const std::uint8_t>(area_.data(), size))) stopped_ = true;
  return !stopped_;
}

void StreamPacker::putCode(std::uint32_t code) {
  area_[used_] = static_cast<std::uint8_t>(code);
  area_[used_ + 1] = static_cast<std::uint8_t>(code >> 8);
  used_ += 2;
}

// Steps taken before every token: make room for it and start the dictionary
// again when the code space is used up.
bool StreamPacker::startToken() {
  if (area_.size() - used_ < kPackMaxTokenSize && !handOver()) return false;
  if (nextCode_ == kPackCodeEnd) {
    dictionary_->clear();
    nextCode_ = kPackFirstCode;
  }
  inToken_ = true;
  current_ = 0;
  count_ = 0;
  return true;
}

bool StreamPacker::write(std::span<const std::uint8_t> piece) {
  if (stopped_) return false;
  const std::uint8_t* p = piece.data();
  const std::uint8_t* const end = p + piece.size();
  const bool text = lineEnds_ == LineEnds::Text;
  Dictionary& dict = *dictionary_;
  // Local copies of the match state keep the loop in registers.
  std::uint32_t current = current_;
  std::uint32_t count = count_;
  std::uint8_t first = first_;
  bool inToken = inToken_;
  while (true) {
    if (!inToken) {
      if (p == end) break;
      if (!startToken()) break;
      current = 0;
      count = 0;
      inToken = true;
    }
    // Extend the current string while the dictionary knows it.
    while (count < kPackStringLimit && p != end) {
      std::uint8_t byte = *p;
      if (text && byte == kCarriageReturn) {
        ++p;
        continue;
      }
      std::uint32_t code;
      if (count == 0) {
        code = dict.find(0, byte);
        first = byte;
      } else if (count == 1) {
        code = dict.findPair(first, byte);
      } else {
        code = dict.find(current, byte);
      }
      if (code == 0) break;
      current = code;
      ++count;
      ++p;
    }
    if (count == kPackStringLimit) {
      // A string of the maximum length: the code alone, nothing is added.
      putCode(current);
      inToken = false;
      continue;
    }
    if (p == end) break;  // the string may go on in the next piece
    std::uint8_t byte = *p++;
    if (count == 1) {
      dict.addPair(first, byte, nextCode_++);
    } else {
      dict.add(current, byte, nextCode_++);
    }
    putCode(current);
    area_[used_++] = byte;
    inToken = false;
  }
  bytesIn_ += static_cast<std::uint64_t>(p - piece.data());
  current_ = current;
  count_ = count;
  first_ = first;
  inToken_ = inToken;
  return !stopped_;
}

bool StreamPacker::finish() {
  if (stopped_) return false;
  if (!inToken_ && !startToken()) return false;
  putCode(current_);
  inToken_ = false;
  bool sent = handOver();
  stopped_ = true;
  return sent;
}

std::vector<std::uint8_t> packAll(std::span<const std::uint8_t> input, LineEnds lineEnds,
                                  std::size_t payloadRoom) {
  std::vector<std::uint8_t> out;
  StreamPacker packer(payloadRoom, lineEnds, [&out](std::span<const std::uint8_t> block) {
    out.insert(out.end(), block.begin(), block.end());
    return true;
  });
  packer.write(input);
  packer.finish();
  return out;
}

}  // namespace zel::ftengine
