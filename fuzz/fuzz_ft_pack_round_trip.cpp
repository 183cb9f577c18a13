// Packs arbitrary input in small blocks and unpacks it again: the result must
// be the input (in text mode: without its CRs and with a CR before each LF).
// The first byte chooses the mode and the block room.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "ftengine/pack/stream_packer.h"
#include "ftengine/pack/stream_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zel::ftengine;
  if (size == 0) return 0;
  const bool text = (data[0] & 1) != 0;
  const std::size_t room = kPackMaxTokenSize + (data[0] >> 1);
  std::span<const std::uint8_t> input(data + 1, size - 1);

  std::vector<std::uint8_t> out;
  StreamUnpacker unpacker(text ? LineEnds::Text : LineEnds::Binary, 100,
                          [&out](std::span<const std::uint8_t> bytes) {
                            out.insert(out.end(), bytes.begin(), bytes.end());
                            return true;
                          });
  StreamPacker packer(room, text ? LineEnds::Text : LineEnds::Binary,
                      [&](std::span<const std::uint8_t> block) {
                        if (block.empty() || block.size() > room) std::abort();
                        return unpacker.write(block) == UnpackStatus::Ok;
                      });
  if (!packer.write(input) || !packer.finish()) std::abort();
  if (unpacker.finish() != UnpackStatus::Ok) std::abort();

  std::vector<std::uint8_t> expected;
  for (std::uint8_t b : input) {
    if (text && b == kCarriageReturn) continue;
    if (text && b == kLineFeed) expected.push_back(kCarriageReturn);
    expected.push_back(b);
  }
  if (out != expected) std::abort();
  return 0;
}
