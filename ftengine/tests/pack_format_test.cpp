// Token streams checked byte for byte against the token format, in both
// directions, and the unpacker's answer to streams that break the rules.
#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "ftengine/pack/stream_packer.h"
#include "ftengine/pack/stream_unpacker.h"

namespace zel::ftengine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

void putToken(Bytes& out, std::uint16_t code) {
  out.push_back(static_cast<std::uint8_t>(code));
  out.push_back(static_cast<std::uint8_t>(code >> 8));
}
void putToken(Bytes& out, std::uint16_t code, std::uint8_t character) {
  putToken(out, code);
  out.push_back(character);
}

struct FormatCase {
  const char* name;
  std::string input;
  LineEnds lineEnds;
  Bytes tokens;
  std::string unpacked;  // what the other side gets back
};

class PackFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PackFormat, PacksToExactTokensAndBack) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(packAll(bytesOf(c.input), c.lineEnds), c.tokens);
  UnpackResult back = unpackAll(c.tokens, c.lineEnds);
  EXPECT_EQ(back.status, UnpackStatus::Ok);
  EXPECT_EQ(back.bytes, bytesOf(c.unpacked));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, PackFormat,
    ::testing::Values(
        FormatCase{"Empty", "", LineEnds::Binary, {0, 0}, ""},
        FormatCase{"OneByte", "x", LineEnds::Binary, {0, 0, 'x', 0, 0}, "x"},
        FormatCase{"FourSame", "aaaa", LineEnds::Binary, {0, 0, 'a', 1, 0, 'a', 1, 0}, "aaaa"},
        FormatCase{
            "Repeats", "abab", LineEnds::Binary, {0, 0, 'a', 0, 0, 'b', 1, 0, 'b', 0, 0}, "abab"},
        // CRs are dropped before matching and put back before every LF.
        FormatCase{"TextLineEnds",
                   "a\r\nb\r\n",
                   LineEnds::Text,
                   {0, 0, 'a', 0, 0, '\n', 0, 0, 'b', 2, 0},
                   "a\r\nb\r\n"},
        FormatCase{"TextLoneCrIsLost", "a\rb", LineEnds::Text, {0, 0, 'a', 0, 0, 'b', 0, 0}, "ab"},
        FormatCase{"TextOnlyCrs", "\r\r\r", LineEnds::Text, {0, 0}, ""},
        FormatCase{"TextBareLfGainsCr", "\n\n", LineEnds::Text, {0, 0, '\n', 1, 0}, "\r\n\r\n"},
        FormatCase{
            "BinaryKeepsCr", "\r\n", LineEnds::Binary, {0, 0, '\r', 0, 0, '\n', 0, 0}, "\r\n"}),
    [](const auto& param) { return std::string(param.param.name); });

// A run of one byte builds the strings a, aa, aaa, ... one per token. Once the
// string of 2048 characters exists, a token naming it carries no character,
// and the token after it (here one with code 0) carries its character again.
TEST(PackFormatLimit, StringAtLimitHasNoCharacter) {
  const std::size_t build = 2048 * 2049 / 2;  // 1 + 2 + ... + 2048
  Bytes input(build + 2048, 'a');
  input.push_back('b');
  Bytes expected;
  for (std::uint16_t code = 0; code < 2048; ++code)
    putToken(expected, code, 'a');
  putToken(expected, 2048);    // a x 2048, already known: no character
  putToken(expected, 0, 'b');  // code 0 always carries its character
  putToken(expected, 0);       // the end
  EXPECT_EQ(packAll(input, LineEnds::Binary), expected);

  UnpackResult back = unpackAll(expected, LineEnds::Binary);
  EXPECT_EQ(back.status, UnpackStatus::Ok);
  EXPECT_EQ(back.bytes, input);
}

// In text mode the limit counts dictionary characters, not the CRs put back.
TEST(PackFormatLimit, TextLimitCountsWithoutInsertedCrs) {
  Bytes tokens;
  for (std::uint16_t code = 0; code < 2048; ++code)
    putToken(tokens, code, '\n');
  putToken(tokens, 2048);  // 2048 LFs, no character follows
  putToken(tokens, 0, 'z');
  UnpackResult back = unpackAll(tokens, LineEnds::Text);
  ASSERT_EQ(back.status, UnpackStatus::Ok);
  std::size_t lineEnds = 2048 * 2049 / 2 + 2048;
  ASSERT_EQ(back.bytes.size(), 2 * lineEnds + 1);
  EXPECT_EQ(back.bytes.back(), 'z');
  EXPECT_EQ(back.bytes[0], '\r');
  EXPECT_EQ(back.bytes[1], '\n');

  std::string crlf;
  for (std::size_t i = 0; i < lineEnds; ++i)
    crlf += "\r\n";
  crlf += 'z';
  Bytes repacked = packAll(bytesOf(crlf), LineEnds::Text);
  putToken(tokens, 0);
  EXPECT_EQ(repacked, tokens);
}

// 65535 tokens fill the code space; the next token is matched against an
// empty dictionary, and what it adds is code 1 again.
TEST(PackFormatWrap, DictionaryStartsAgainAfterLastCode) {
  // Random bytes never come near the string limit, so every token but the
  // last carries a character and adds a string.
  Bytes input;
  std::uint32_t seed = 7;
  for (int i = 0; i < 400000; ++i) {
    seed = seed * 1103515245u + 12345u;
    input.push_back(static_cast<std::uint8_t>(seed >> 16));
  }
  Bytes tokens = packAll(input, LineEnds::Binary);
  // Walk the tokens: all of them carry a character until the end.
  std::size_t pos = 0;
  for (int added = 0; added < 65535; ++added) {
    ASSERT_LT(pos + 3, tokens.size());
    pos += 3;
  }
  // Token 65536 has code 0: nothing is known any more.
  EXPECT_EQ(tokens[pos], 0);
  EXPECT_EQ(tokens[pos + 1], 0);
  // Token 65537 may reuse only what token 65536 added, which is code 1.
  std::uint16_t after = static_cast<std::uint16_t>(tokens[pos + 3] | (tokens[pos + 4] << 8));
  EXPECT_LE(after, 1);
  UnpackResult back = unpackAll(tokens, LineEnds::Binary);
  EXPECT_EQ(back.status, UnpackStatus::Ok);
  EXPECT_EQ(back.bytes, input);
}

// The unpacker follows the same wrap: after the last code only codes
// assigned anew are valid, and earlier strings are overwritten.
TEST(UnpackWrap, OldCodesAreInvalidAfterWrapAndReassigned) {
  Bytes base;
  for (int i = 0; i < 65535; ++i)
    putToken(base, 0, 'q');

  Bytes stale = base;
  putToken(stale, 5, 'z');
  EXPECT_EQ(unpackAll(stale, LineEnds::Binary).status, UnpackStatus::BadCode);

  Bytes reused = base;
  putToken(reused, 0, 'z');  // becomes code 1
  putToken(reused, 1, 'y');  // zy, code 2
  putToken(reused, 2);       // zy again, the end
  UnpackResult back = unpackAll(reused, LineEnds::Binary);
  ASSERT_EQ(back.status, UnpackStatus::Ok);
  ASSERT_EQ(back.bytes.size(), 65535u + 5u);
  EXPECT_EQ(std::string(back.bytes.end() - 5, back.bytes.end()), "zzyzy");
}

struct BadStreamCase {
  const char* name;
  Bytes stream;
  UnpackStatus status;
  std::string before;  // what was unpacked before the fault
};

class UnpackBadStream : public ::testing::TestWithParam<BadStreamCase> {};

TEST_P(UnpackBadStream, ReportsFaultAndKeepsEarlierOutput) {
  const BadStreamCase& c = GetParam();
  UnpackResult back = unpackAll(c.stream, LineEnds::Binary);
  EXPECT_EQ(back.status, c.status);
  EXPECT_EQ(back.bytes, bytesOf(c.before));
}

INSTANTIATE_TEST_SUITE_P(
    Streams, UnpackBadStream,
    ::testing::Values(
        BadStreamCase{"UnknownFirstCode", {1, 0, 'a'}, UnpackStatus::BadCode, ""},
        BadStreamCase{"CodeAheadOfDictionary", {0, 0, 'a', 2, 0, 'b'}, UnpackStatus::BadCode, "a"},
        BadStreamCase{"HighestCode", {0, 0, 'a', 0xFF, 0xFF}, UnpackStatus::BadCode, "a"},
        BadStreamCase{"HalfCode", {0}, UnpackStatus::Truncated, ""},
        BadStreamCase{"HalfCodeAfterToken", {0, 0, 'a', 1}, UnpackStatus::Truncated, "a"},
        // Ending after a character, without a final code, is accepted.
        BadStreamCase{"NoFinalCode", {0, 0, 'a'}, UnpackStatus::Ok, "a"},
        BadStreamCase{"NothingAtAll", {}, UnpackStatus::Ok, ""}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(UnpackBlocks, TokensMayBeCutAnywhereBetweenBlocks) {
  const Bytes stream = {0, 0, 'a', 0, 0, 'b', 1, 0, 'b', 3, 0};
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    Bytes out;
    StreamUnpacker unpacker(LineEnds::Binary, 4, [&out](std::span<const std::uint8_t> b) {
      out.insert(out.end(), b.begin(), b.end());
      return true;
    });
    std::span<const std::uint8_t> all(stream);
    EXPECT_EQ(unpacker.write(all.first(cut)), UnpackStatus::Ok);
    EXPECT_EQ(unpacker.write(all.subspan(cut)), UnpackStatus::Ok);
    EXPECT_EQ(unpacker.finish(), UnpackStatus::Ok);
    EXPECT_EQ(out, bytesOf("ababab")) << "cut at " << cut;
  }
}

TEST(UnpackBlocks, RefusedOutputStopsTheStream) {
  int calls = 0;
  StreamUnpacker unpacker(LineEnds::Binary, 2, [&calls](std::span<const std::uint8_t>) {
    ++calls;
    return false;
  });
  const Bytes stream = {0, 0, 'a', 0, 0, 'b', 0, 0, 'c', 0, 0, 'd'};
  EXPECT_EQ(unpacker.write(stream), UnpackStatus::SinkFailed);
  EXPECT_EQ(unpacker.write(stream), UnpackStatus::SinkFailed);
  EXPECT_EQ(unpacker.finish(), UnpackStatus::SinkFailed);
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace zel::ftengine
