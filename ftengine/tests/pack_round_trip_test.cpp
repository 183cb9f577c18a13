// Round trips of the packer and unpacker on binary and text data, compared
// with the plain reference packer, with the input and the stream cut into
// pieces and blocks of many sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "ftengine/pack/stream_packer.h"
#include "ftengine/pack/stream_unpacker.h"
#include "ftengine/tests/reference_packer.h"

namespace zel::ftengine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
  std::mt19937 gen(seed);
  Bytes out(size);
  for (auto& b : out)
    b = static_cast<std::uint8_t>(gen());
  return out;
}

// Text with a small vocabulary, CR LF line ends and the odd lone CR.
Bytes textBytes(std::size_t size, std::uint32_t seed, bool loneCrs) {
  static const char* const words[] = {"copy",  "the",   "file", "remote", "agent", "folder",
                                      "bytes", "block", "of",   "and",    "to",    "status"};
  std::mt19937 gen(seed);
  Bytes out;
  while (out.size() < size) {
    const char* w = words[gen() % 12];
    out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    unsigned r = gen() % 10;
    if (r == 0) {
      out.push_back('\r');
      out.push_back('\n');
    } else if (r == 1 && loneCrs) {
      out.push_back('\r');
    } else {
      out.push_back(' ');
    }
  }
  out.resize(size);
  return out;
}

Bytes withoutCrs(const Bytes& in) {
  Bytes out;
  std::copy_if(in.begin(), in.end(), std::back_inserter(out), [](auto b) { return b != '\r'; });
  return out;
}

Bytes withCrLf(const Bytes& in) {
  Bytes out;
  for (auto b : in) {
    if (b == '\n') out.push_back('\r');
    out.push_back(b);
  }
  return out;
}

struct Blocks {
  std::vector<Bytes> list;
  Bytes joined() const {
    Bytes all;
    for (const auto& b : list)
      all.insert(all.end(), b.begin(), b.end());
    return all;
  }
};

// Packs input fed in pieces whose sizes come from the seed.
Blocks packInPieces(const Bytes& input, LineEnds lineEnds, std::size_t room, std::uint32_t seed,
                    std::size_t maxPiece) {
  Blocks blocks;
  StreamPacker packer(room, lineEnds, [&blocks](std::span<const std::uint8_t> b) {
    blocks.list.emplace_back(b.begin(), b.end());
    return true;
  });
  std::mt19937 gen(seed);
  std::span<const std::uint8_t> rest(input);
  while (!rest.empty()) {
    std::size_t n = std::min<std::size_t>(rest.size(), gen() % maxPiece + 1);
    EXPECT_TRUE(packer.write(rest.first(n)));
    rest = rest.subspan(n);
  }
  EXPECT_TRUE(packer.finish());
  EXPECT_EQ(packer.bytesIn(), input.size());
  return blocks;
}

Bytes unpackBlocks(const std::vector<Bytes>& blocks, LineEnds lineEnds, std::size_t outSize) {
  Bytes out;
  StreamUnpacker unpacker(lineEnds, outSize, [&out](std::span<const std::uint8_t> b) {
    EXPECT_FALSE(b.empty());
    out.insert(out.end(), b.begin(), b.end());
    return true;
  });
  for (const auto& b : blocks)
    EXPECT_EQ(unpacker.write(b), UnpackStatus::Ok);
  EXPECT_EQ(unpacker.finish(), UnpackStatus::Ok);
  return out;
}

// Every block but the last is nearly full, and each ends on a token boundary.
void expectBlocksWhole(const std::vector<testing::Token>& tokens, const Blocks& blocks,
                       std::size_t room) {
  std::vector<std::size_t> ends;  // stream offset after each token
  std::size_t pos = 0;
  for (const auto& t : tokens)
    ends.push_back(pos += t.hasCharacter ? 3 : 2);
  std::size_t at = 0;
  for (std::size_t i = 0; i < blocks.list.size(); ++i) {
    const std::size_t size = blocks.list[i].size();
    ASSERT_LE(size, room);
    ASSERT_GT(size, 0u);
    if (i + 1 < blocks.list.size()) {
      ASSERT_GT(size + kPackMaxTokenSize, room) << "block " << i;
    }
    at += size;
    ASSERT_TRUE(std::binary_search(ends.begin(), ends.end(), at)) << "block " << i;
  }
}

struct RoundTripCase {
  const char* name;
  Bytes input;
  LineEnds lineEnds;
  std::size_t room;      // payload room per block
  std::size_t maxPiece;  // largest input piece
};

void PrintTo(const RoundTripCase& c, std::ostream* os) {
  *os << c.name;
}

class PackRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(PackRoundTrip, MatchesReferenceAndComesBack) {
  const RoundTripCase& c = GetParam();
  const bool text = c.lineEnds == LineEnds::Text;
  const auto tokens = testing::referenceTokens(c.input, text);
  const Blocks blocks = packInPieces(c.input, c.lineEnds, c.room, 11, c.maxPiece);
  ASSERT_EQ(blocks.joined(), testing::tokenBytes(tokens));
  expectBlocksWhole(tokens, blocks, c.room);

  const Bytes expected = text ? withCrLf(withoutCrs(c.input)) : c.input;
  EXPECT_EQ(unpackBlocks(blocks.list, c.lineEnds, 32768), expected);
  // The same stream cut into blocks that ignore token boundaries.
  std::vector<Bytes> odd;
  const Bytes all = blocks.joined();
  for (std::size_t at = 0; at < all.size(); at += 7) {
    odd.emplace_back(all.begin() + at, all.begin() + std::min(all.size(), at + 7));
  }
  EXPECT_EQ(unpackBlocks(odd, c.lineEnds, 5), expected);
}

Bytes repeated(std::size_t size, std::uint8_t b) {
  return Bytes(size, b);
}

Bytes zeroRunsAndNoise() {
  Bytes out = repeated(3 * 1024 * 1024, 0);
  Bytes noise = randomBytes(200000, 5);
  out.insert(out.begin() + 100000, noise.begin(), noise.end());
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Data, PackRoundTrip,
    ::testing::Values(
        RoundTripCase{"Binary1M", randomBytes(1 << 20, 1), LineEnds::Binary, 32661, 70000},
        RoundTripCase{"BinarySmallPieces", randomBytes(300000, 2), LineEnds::Binary, 32661, 5},
        RoundTripCase{"BinaryTinyBlocks", randomBytes(5000, 3), LineEnds::Binary, 4, 100},
        RoundTripCase{"BinaryAsText", randomBytes(400000, 4), LineEnds::Text, 32661, 4096},
        RoundTripCase{"Text2M", textBytes(2 << 20, 1, false), LineEnds::Text, 32661, 32685},
        RoundTripCase{"TextLoneCrs", textBytes(500000, 2, true), LineEnds::Text, 1000, 3},
        RoundTripCase{"TextAsBinary", textBytes(500000, 3, true), LineEnds::Binary, 32661, 999},
        // Long runs reach the 2048 limit over and over; pieces cut strings.
        RoundTripCase{"LongRuns", zeroRunsAndNoise(), LineEnds::Binary, 32661, 3000},
        RoundTripCase{"LongRunsTinyPieces", repeated(2200000, 'x'), LineEnds::Binary, 32661, 3},
        RoundTripCase{"CrRunsInText", repeated(100000, '\r'), LineEnds::Text, 32661, 17},
        RoundTripCase{"LfRunsInText", repeated(2200000, '\n'), LineEnds::Text, 32661, 4096}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(PackSink, RefusedBlockStopsPacking) {
  int calls = 0;
  StreamPacker packer(16, LineEnds::Binary, [&calls](std::span<const std::uint8_t>) {
    ++calls;
    return false;
  });
  Bytes input = randomBytes(1000, 9);
  EXPECT_FALSE(packer.write(input));
  EXPECT_FALSE(packer.write(input));
  EXPECT_FALSE(packer.finish());
  EXPECT_EQ(calls, 1);
}

TEST(PackSink, FinishHandsOverOneLastBlockOnce) {
  std::vector<std::size_t> sizes;
  StreamPacker packer(32661, LineEnds::Binary, [&sizes](std::span<const std::uint8_t> b) {
    sizes.push_back(b.size());
    return true;
  });
  EXPECT_TRUE(packer.finish());
  EXPECT_FALSE(packer.finish());
  EXPECT_FALSE(packer.write(Bytes{1, 2, 3}));
  EXPECT_EQ(sizes, std::vector<std::size_t>{2});
}

}  // namespace
}  // namespace zel::ftengine
