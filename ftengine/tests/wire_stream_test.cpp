// Data-stream messages: block layout with its CRC, the short messages, and
// the receiving side's checks of sequence, CRC and message kinds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftengine/pack/block_crc.h"
#include "ftengine/tests/wire_test_bytes.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_stream_messages.h"

namespace zel::ftengine {
namespace {

using testing::HandMessage;
using testing::header;
using Bytes = std::vector<std::uint8_t>;

Bytes block(const std::string& payload, std::uint16_t sequence, std::int32_t status = FTERR_MORE,
            bool withCrc = true) {
  Bytes b(payload.size() + FT_DATA_OVERHEAD, 0xEE);
  std::copy(payload.begin(), payload.end(), b.begin() + FT_DATA_HEADER_SIZE);
  DataBlockFields f;
  f.status = status;
  f.peerTag = 0x99;
  f.flags = FTF_COMPRESS | FTF_TEXT;
  f.sequence = sequence;
  f.withCrc = withCrc;
  EXPECT_EQ(finishDataBlock(b, payload.size(), f), b.size());
  return b;
}

TEST(DataBlock, LayoutByteForByte) {
  Bytes expected = HandMessage()
                       .u8(FTM_DATA)
                       .u16(0)
                       .u32(0)
                       .i32(FTERR_MORE)
                       .u32(0x99)
                       .u32(FTF_COMPRESS | FTF_TEXT)
                       .u16(7)
                       .u16(0x2DD5)
                       .text("abc")
                       .u8(0)
                       .done();
  EXPECT_EQ(block("abc", 7), expected);
  Bytes unchecked = block("abc", 7, 0, false);
  EXPECT_EQ(unchecked[21], 0);
  EXPECT_EQ(unchecked[22], 0);
  EXPECT_EQ(unchecked[7], 0);
  Bytes small(30);
  EXPECT_EQ(finishDataBlock(small, 7, DataBlockFields{}), 0u);
  Bytes huge(70000);
  EXPECT_EQ(finishDataBlock(huge, 65535 - 23, DataBlockFields{}), 0u);
  EXPECT_EQ(finishDataBlock(huge, 65535 - 24, DataBlockFields{}), 65535u);
}

TEST(ShortMessages, Layouts) {
  EXPECT_EQ(encodeCancelBlock(0x42), header(FTM_DATA, 0, FTERR_CANCELLED, 0x42).zeros(9).done());
  EXPECT_EQ(encodeKeepAlive(0x42), header(FTM_KEEPALIVE, 0, 0, 0x42).done());
  EXPECT_EQ(encodeStatusMessage(7, 0, 0x42), header(FTM_STATUS, 7, 0, 0x42).done());
}

TEST(StreamMessage, DecodesAndLengthChecks) {
  StreamMessage m;
  const Bytes hello = block("hello", 3);
  ASSERT_EQ(decodeStreamMessage(hello, m), FT_OK);
  EXPECT_EQ(m.op, FTM_DATA);
  EXPECT_EQ(m.sequence, 3);
  EXPECT_EQ(m.tag, 0x99u);
  EXPECT_EQ(std::string(m.payload.begin(), m.payload.end()), "hello");
  EXPECT_EQ(decodeStreamMessage(header(FTM_DATA, 0, 0, 1).done(), m), FTERR_PROTOCOL);
  Bytes lying = block("hello", 3);
  lying[1] = 200;
  EXPECT_EQ(decodeStreamMessage(lying, m), FTERR_PROTOCOL);
  EXPECT_EQ(decodeStreamMessage(std::span(lying).first(10), m), FTERR_PROTOCOL);
}

using Step = DataStreamChecker::Step;

TEST(StreamChecker, GoodStreamWithKeepAlives) {
  DataStreamChecker c;
  const Bytes first = block("ab", 1);
  EXPECT_EQ(c.take(first), Step::Payload);
  EXPECT_EQ(std::string(c.payload().begin(), c.payload().end()), "ab");
  EXPECT_FALSE(c.lastBlock());
  EXPECT_EQ(c.take(encodeKeepAlive(0x99)), Step::KeepAlive);
  EXPECT_EQ(c.take(block("cd", 2, FTERR_MORE, false)), Step::Payload);  // CRC 0: unchecked
  EXPECT_EQ(c.take(block("", 3, 0)), Step::Payload);
  EXPECT_TRUE(c.lastBlock());
  EXPECT_EQ(c.flags(), FTF_COMPRESS | FTF_TEXT);
  // Nothing belongs to the stream after its last block.
  EXPECT_EQ(c.take(block("x", 4)), Step::Failed);
}

TEST(StreamChecker, FailuresEndTheStream) {
  struct Case {
    const char* name;
    std::vector<Bytes> messages;
    std::int32_t failure;
  };
  Bytes badCrc = block("abc", 1);
  badCrc[23] ^= 1;
  Bytes truncated = block("abc", 1);
  truncated.resize(20);
  const std::vector<Case> cases = {
      {"BadCrc", {badCrc}, FTERR_CRC},
      {"Skipped", {block("a", 1), block("b", 3)}, FTERR_SEQUENCE},
      {"StartsAtTwo", {block("a", 2)}, FTERR_SEQUENCE},
      {"Repeated", {block("a", 1), block("a", 1)}, FTERR_SEQUENCE},
      {"Cancelled", {block("a", 1), encodeCancelBlock(0x99)}, FTERR_CANCELLED},
      {"AgentStatus", {encodeStatusMessage(1, 5, 0x99)}, 5},
      {"StatusZeroIsNotABlock", {encodeStatusMessage(1, 0, 0x99)}, FTERR_UNEXPECTED},
      {"ReplyInStream", {header(replyOp(FTM_GET), 1, FTERR_MORE, 0x99).done()}, FTERR_UNEXPECTED},
      {"Malformed", {truncated}, FTERR_PROTOCOL},
  };
  for (const auto& c : cases) {
    DataStreamChecker checker;
    Step last = Step::Payload;
    for (const auto& m : c.messages)
      last = checker.take(m);
    EXPECT_EQ(last, Step::Failed) << c.name;
    EXPECT_EQ(checker.failure(), c.failure) << c.name;
    EXPECT_EQ(checker.take(block("z", 9)), Step::Failed) << c.name;
  }
}

TEST(StreamChecker, SequenceWrapsAtSixteenBits) {
  DataStreamChecker c;
  for (std::uint32_t i = 1; i <= 65537; ++i) {
    ASSERT_EQ(c.take(block("", static_cast<std::uint16_t>(i), FTERR_MORE, false)), Step::Payload)
        << i;
  }
}

}  // namespace
}  // namespace zel::ftengine
