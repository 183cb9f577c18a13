// Speed of the data-stream packer and unpacker on text and binary data, in
// block payloads of a transfer's size, against memcpy of the same bytes into
// the same blocks in the same run. Each measurement is the median of several
// runs after a warm-up.
//   ft_pack_bench [megabytes]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "ftengine/pack/stream_packer.h"
#include "ftengine/pack/stream_unpacker.h"

namespace {

using zel::ftengine::LineEnds;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPayloadRoom = 32661;  // block payload room of a 32 KB session
constexpr std::size_t kReadSize = 32685;     // what a sender reads from the file at once
constexpr int kRuns = 5;

// Source-code-like text: words from a vocabulary with a skewed choice, CR LF
// line ends, indentation.
Bytes makeText(std::size_t size) {
  std::mt19937 gen(42);
  std::vector<std::string> words;
  const char* letters = "etaoinshrdlucmfwypvbgkqjxz_";
  for (int i = 0; i < 3000; ++i) {
    std::string w;
    std::size_t len = 2 + gen() % 9;
    for (std::size_t k = 0; k < len; ++k)
      w += letters[std::min<unsigned>(gen() % 27, gen() % 27)];
    words.push_back(w);
  }
  Bytes out;
  out.reserve(size);
  std::geometric_distribution<int> pick(0.01);
  while (out.size() < size) {
    std::size_t indent = (gen() % 4) * 2;
    out.insert(out.end(), indent, ' ');
    int n = 3 + gen() % 10;
    for (int i = 0; i < n; ++i) {
      const std::string& w = words[std::min<int>(pick(gen), 2999)];
      out.insert(out.end(), w.begin(), w.end());
      out.push_back(i + 1 < n ? ' ' : ';');
    }
    out.push_back('\r');
    out.push_back('\n');
  }
  out.resize(size);
  return out;
}

Bytes makeBinary(std::size_t size) {
  std::mt19937_64 gen(7);
  Bytes out(size);
  for (std::size_t i = 0; i + 8 <= size; i += 8) {
    std::uint64_t v = gen();
    std::memcpy(out.data() + i, &v, 8);
  }
  return out;
}

// CPU time of this thread: the machines this runs on are shared, and the
// goal is a speed per core.
double threadSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

template <class F>
double medianSeconds(F&& run) {
  run();  // warm-up
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    double start = threadSeconds();
    run();
    times.push_back(threadSeconds() - start);
  }
  std::sort(times.begin(), times.end());
  return times[kRuns / 2];
}

std::size_t sink_;  // keeps the optimiser from dropping the work

double memcpyBlocks(const Bytes& input) {
  static Bytes block(kPayloadRoom);
  return medianSeconds([&] {
    for (std::size_t at = 0; at < input.size(); at += kPayloadRoom) {
      std::size_t n = std::min(kPayloadRoom, input.size() - at);
      std::memcpy(block.data(), input.data() + at, n);
      sink_ += block[n / 2];
    }
  });
}

Bytes packed_;

double pack(const Bytes& input, LineEnds lineEnds) {
  return medianSeconds([&] {
    packed_.clear();
    zel::ftengine::StreamPacker packer(kPayloadRoom, lineEnds, [](std::span<const std::uint8_t> b) {
      packed_.insert(packed_.end(), b.begin(), b.end());
      return true;
    });
    for (std::size_t at = 0; at < input.size(); at += kReadSize)
      packer.write(std::span(input).subspan(at, std::min(kReadSize, input.size() - at)));
    packer.finish();
  });
}

double unpack(LineEnds lineEnds, std::size_t expected) {
  return medianSeconds([&] {
    std::size_t out = 0;
    zel::ftengine::StreamUnpacker unpacker(lineEnds, 32768,
                                           [&out](std::span<const std::uint8_t> b) {
                                             out += b.size();
                                             return true;
                                           });
    for (std::size_t at = 0; at < packed_.size(); at += kPayloadRoom)
      unpacker.write(std::span(packed_).subspan(at, std::min(kPayloadRoom, packed_.size() - at)));
    unpacker.finish();
    if (out != expected) std::abort();
  });
}

void report(const char* name, const Bytes& input, LineEnds lineEnds, std::size_t unpackedSize) {
  const double mb = static_cast<double>(input.size()) / 1e6;
  const double base = memcpyBlocks(input);
  const double packTime = pack(input, lineEnds);
  const double ratio = static_cast<double>(packed_.size()) / static_cast<double>(input.size());
  const double unpackTime = unpack(lineEnds, unpackedSize);
  std::printf(
      "%-12s %7.1f MB  memcpy %8.0f MB/s  pack %7.1f MB/s (%.3fx memcpy)  "
      "unpack %7.1f MB/s  packed size %.1f%%\n",
      name, mb, mb / base, mb / packTime, base / packTime, mb / unpackTime, ratio * 100);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t megabytes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
  const std::size_t size = megabytes << 20;
  const Bytes text = makeText(size);
  const Bytes binary = makeBinary(size);
  std::printf(
      "packer benchmark, %zu MB per data set, median of %d runs, one thread, MB/s of thread CPU "
      "time\n",
      megabytes, kRuns);
  // Text mode drops the CRs on packing and puts them back on unpacking.
  std::size_t crs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\r'));
  std::size_t lfs = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  report("text", text, LineEnds::Text, text.size() - crs + lfs);
  report("text-binary", text, LineEnds::Binary, text.size());
  report("binary", binary, LineEnds::Binary, binary.size());
  return sink_ == 12345 ? 1 : 0;
}
