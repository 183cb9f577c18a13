// Every request layout, byte for byte against messages built by hand.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ftengine/tests/wire_test_bytes.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_requests.h"

namespace zel::ftengine {
namespace {

using testing::header;
constexpr std::uint32_t kSession = 0x11223344;

struct RequestCase {
  const char* name;
  WireMessage encoded;
  WireMessage expected;
};

class RequestLayout : public ::testing::TestWithParam<RequestCase> {};

TEST_P(RequestLayout, MatchesHandBuiltBytes) {
  EXPECT_EQ(GetParam().encoded, GetParam().expected);
}

void PrintTo(const RequestCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<RequestCase> requestCases() {
  FileDescription file;
  file.flags = FTF_COMPRESS;
  file.transferTag = 0xA1B2C3D4;
  file.attributes = 0x20;
  file.size = 0x0000000500000006ull;
  file.creationTime = 1;
  file.lastAccessTime = 2;
  file.lastWriteTime = 0x0102030405060708ull;
  file.remotePath = "C:\\dst.txt";
  std::array<std::uint8_t, FT_FIND_RECORD_SIZE> record{};
  for (std::size_t i = 0; i < record.size(); ++i)
    record[i] = static_cast<std::uint8_t>(i + 1);
  std::string recordText(record.begin(), record.end());
  return {
      {"Open", encodeOpenRequest(kSession), header(FTM_OPEN, kSession, 0, 0).done()},
      {"Close", encodeCloseRequest(kSession), header(FTM_CLOSE, kSession, 0, 0).done()},
      {"ExecStatus", encodeExecStatusRequest(kSession, 77, 4242),
       header(FTM_EXEC_STATUS, kSession, 77, 4242).done()},
      {"NotifyCancel", encodeNotifyCancelRequest(kSession, 9),
       header(FTM_NOTIFY_CANCEL, kSession, 9, 0).done()},
      // Form A: count with the NUL at 15, path at 17, one byte after the NUL.
      {"Delete", encodePathRequest(FTM_DELETE, kSession, 1, "C:\\a"),
       header(FTM_DELETE, kSession, 1, 0).u16(5).text("C:\\a").u8(0).u8(0).done()},
      {"DriveInfo", encodePathRequest(FTM_DRIVE_INFO, kSession, 0, "C:"),
       header(FTM_DRIVE_INFO, kSession, 0, 0).u16(3).text("C:").u8(0).u8(0).done()},
      {"ExecEmpty", encodePathRequest(FTM_EXEC, kSession, -1, ""),
       header(FTM_EXEC, kSession, -1, 0).u16(1).u8(0).u8(0).done()},
      {"Rename", encodeTwoPathRequest(FTM_RENAME, kSession, 0, "old", "new1"),
       header(FTM_RENAME, kSession, 0, 0).u16(9).text("old").u8(0).text("new1").u8(0).u8(0).done()},
      {"Copy", encodeTwoPathRequest(FTM_COPY, kSession, 3, "a", ""),
       header(FTM_COPY, kSession, 3, 0).u16(3).text("a").u8(0).u8(0).u8(0).done()},
      // Form B: second parameter at 15, count at 19, path at 21.
      {"Enum", encodeTaggedPathRequest(FTM_ENUM, kSession, 2, 0x55, "C:\\*"),
       header(FTM_ENUM, kSession, 2, 0).u32(0x55).u16(5).text("C:\\*").u8(0).u8(0).done()},
      {"Get", encodeTaggedPathRequest(FTM_GET, kSession, FTF_COMPRESS, 0x66, "/etc/x"),
       header(FTM_GET, kSession, FTF_COMPRESS, 0)
           .u32(0x66)
           .u16(7)
           .text("/etc/x")
           .u8(0)
           .u8(0)
           .done()},
      {"Find", encodeFindRequest(kSession, record),
       header(FTM_FIND, kSession, 0, 0).zeros(4).text(recordText).done()},
      // The file description: count without the NUL, nothing after the NUL.
      {"Send", encodeSendRequest(kSession, file),
       header(FTM_SEND, kSession, FTF_COMPRESS, 0)
           .u32(0xA1B2C3D4)
           .u32(0x20)
           .u32(6)
           .u32(5)
           .u64(1)
           .u64(2)
           .u64(0x0102030405060708ull)
           .u16(10)
           .text("C:\\dst.txt")
           .u8(0)
           .done()},
  };
}

INSTANTIATE_TEST_SUITE_P(All, RequestLayout, ::testing::ValuesIn(requestCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(RequestLayout, LengthsFollowTheirRules) {
  EXPECT_EQ(encodePathRequest(FTM_MKDIR, 1, 0, "abc").size(), 4u + 18u);
  EXPECT_EQ(encodeTwoPathRequest(FTM_RENAME, 1, 0, "ab", "c").size(), 5u + 18u);
  EXPECT_EQ(encodeTaggedPathRequest(FTM_NOTIFY, 1, 7, 0, "abc").size(), 4u + 22u);
  FileDescription f;
  f.remotePath = "abcd";
  EXPECT_EQ(encodeSendRequest(1, f).size(), 4u + 58u);
}

TEST(RequestRefusal, WrongLayoutNulsAndOversizeGiveNothing) {
  EXPECT_TRUE(encodePathRequest(FTM_RENAME, 1, 0, "a").empty());
  EXPECT_TRUE(encodePathRequest(FTM_DATA, 1, 0, "a").empty());
  EXPECT_TRUE(encodeTwoPathRequest(FTM_DELETE, 1, 0, "a", "b").empty());
  EXPECT_TRUE(encodeTaggedPathRequest(FTM_COPY, 1, 0, 0, "a").empty());
  EXPECT_TRUE(encodePathRequest(FTM_DELETE, 1, 0, std::string("a\0b", 3)).empty());
  EXPECT_TRUE(encodeTwoPathRequest(FTM_COPY, 1, 0, "a", std::string("\0", 1)).empty());
  FileDescription f;
  const std::string nul("x\0y", 3);
  f.remotePath = nul;
  EXPECT_TRUE(encodeSendRequest(1, f).empty());
  // The largest path that still fits the 16-bit length, and one more.
  EXPECT_EQ(encodePathRequest(FTM_DELETE, 1, 0, std::string(65535 - 19, 'p')).size(), 65535u);
  EXPECT_TRUE(encodePathRequest(FTM_DELETE, 1, 0, std::string(65535 - 18, 'p')).empty());
}

}  // namespace
}  // namespace zel::ftengine
