// Feeds arbitrary bytes to the data-stream unpacker as a sequence of blocks.
// The first byte chooses the line-end mode and how the rest is cut into
// blocks, so codes and characters land on block boundaries too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ftengine/pack/pack_format.h"
#include "ftengine/pack/stream_unpacker.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zel::ftengine;
  if (size == 0) return 0;
  const std::uint8_t control = data[0];
  const LineEnds lineEnds = (control & 1) ? LineEnds::Text : LineEnds::Binary;
  const std::size_t blockSize = (control >> 1) + 1;
  std::span<const std::uint8_t> rest(data + 1, size - 1);

  std::uint64_t seen = 0;
  StreamUnpacker unpacker(lineEnds, 4096, [&seen](std::span<const std::uint8_t> bytes) {
    if (bytes.empty()) std::abort();  // the sink is never handed nothing
    seen += bytes.size();
    // Stop a stream that grows past 64 MB, as a receiver that knows the file
    // size would.
    return seen < (64u << 20);
  });
  UnpackStatus status = UnpackStatus::Ok;
  while (!rest.empty() && status == UnpackStatus::Ok) {
    std::size_t n = rest.size() < blockSize ? rest.size() : blockSize;
    status = unpacker.write(rest.first(n));
    rest = rest.subspan(n);
  }
  status = unpacker.finish();
  if (unpacker.bytesOut() != seen) std::abort();
  (void)status;
  return 0;
}
