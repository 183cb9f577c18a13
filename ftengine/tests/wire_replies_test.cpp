// Reply decoders: fields at their offsets, and every way a reply can be
// wrong: too long for its room, too short for its layout, a length field
// that is not its size, another opcode, counted strings without their NUL or
// beyond the message.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftengine/tests/wire_test_bytes.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_replies.h"

namespace zel::ftengine {
namespace {

using testing::HandMessage;
using testing::header;
using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kBuffer = 32768;

Bytes statusOnly(std::uint8_t op, std::int32_t status, std::size_t extra = 1) {
  HandMessage m;
  m.u8(op).u16(0).u32(1).i32(status).zeros(extra);
  return m.done();
}

TEST(StatusReply, RoomTwelve) {
  EXPECT_EQ(decodeStatusReply(statusOnly(132, 0), FTM_DELETE), FT_OK);
  EXPECT_EQ(decodeStatusReply(statusOnly(132, 5), FTM_DELETE), 5);
  EXPECT_EQ(decodeStatusReply(statusOnly(133, FTERR_CANCELLED), FTM_RENAME), FTERR_CANCELLED);
  EXPECT_EQ(decodeStatusReply(statusOnly(134, 0, 0), FTM_MKDIR), FT_OK);  // 11 bytes
  // A delete reply longer than 12 bytes.
  EXPECT_EQ(decodeStatusReply(statusOnly(132, 0, 2), FTM_DELETE), FTERR_RECEIVE);
  EXPECT_EQ(decodeStatusReply(header(132, 1, 0, 0).done(), FTM_DELETE), FTERR_RECEIVE);
  // Too short for the status, wrong opcode, length field not the size.
  EXPECT_EQ(decodeStatusReply(HandMessage().u8(132).u16(0).u32(1).u16(0).done(), FTM_DELETE),
            FTERR_PROTOCOL);
  EXPECT_EQ(decodeStatusReply(statusOnly(133, 0), FTM_DELETE), FTERR_PROTOCOL);
  Bytes lying = statusOnly(132, 0);
  lying[1] = 11;
  EXPECT_EQ(decodeStatusReply(lying, FTM_DELETE), FTERR_PROTOCOL);
  // Not a room-12 operation.
  EXPECT_EQ(decodeStatusReply(statusOnly(129, 0), FTM_OPEN), FTERR_PROTOCOL);
}

TEST(ValueReply, NotifyAttribAndSendCarryTheirValues) {
  auto notify = decodeValueReply(header(139, 1, 0, 0xBEEF).done(), FTM_NOTIFY);
  EXPECT_EQ(notify.result, FT_OK);
  ASSERT_TRUE(notify.body);
  EXPECT_EQ(notify.body->value, 0xBEEFu);
  auto send = decodeValueReply(header(138, 0x7777, 0, 0x42).done(), FTM_SEND);
  ASSERT_TRUE(send.body);
  EXPECT_EQ(send.body->agentTag, 0x7777u);
  // A failure needs no value; a success without its value is malformed.
  auto refused = decodeValueReply(statusOnly(143, 5, 0), FTM_ATTRIB);
  EXPECT_EQ(refused.result, 5);
  EXPECT_FALSE(refused.body);
  EXPECT_EQ(decodeValueReply(statusOnly(143, 0, 2), FTM_ATTRIB).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeValueReply(header(139, 1, 0, 1).zeros(1).done(), FTM_NOTIFY).result,
            FTERR_RECEIVE);
}

Bytes capsBytes() {
  Bytes caps(173, 0);
  caps[4] = 0xFF;
  caps[16] = 0x28;  // build 40
  caps[25] = 'M';
  return caps;
}

TEST(OpenReply, CapsStatusAndTheShortAnswer) {
  Bytes good = header(129, 1, 0, 0).done();
  good.resize(11);
  Bytes caps = capsBytes();
  good.insert(good.end(), caps.begin(), caps.end());
  good.push_back(0);
  good[1] = static_cast<std::uint8_t>(good.size());
  auto open = decodeOpenReply(good, kBuffer);
  EXPECT_EQ(open.result, FT_OK);
  ASSERT_TRUE(open.body);
  EXPECT_EQ(open.body->capabilities, 0xFFu);
  EXPECT_EQ(open.body->buildNumber, 0x28u);
  EXPECT_EQ(open.body->computerName, "M");
  // The record is taken also with a status other than 0.
  Bytes refused = good;
  refused[7] = 5;
  auto r = decodeOpenReply(refused, kBuffer);
  EXPECT_EQ(r.result, 5);
  EXPECT_TRUE(r.body);
  // Exactly 7 bytes: the agent has no file-transfer module.
  auto none = decodeOpenReply(HandMessage().u8(129).u16(7).u32(1).done(), kBuffer);
  EXPECT_EQ(none.result, FTERR_NO_AGENT_MODULE);
  EXPECT_FALSE(none.body);
  // Between the two: malformed. Beyond the room: not taken.
  Bytes cut(good.begin(), good.begin() + 100);
  cut[1] = 100;
  EXPECT_EQ(decodeOpenReply(cut, kBuffer).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeOpenReply(good, 100).result, FTERR_RECEIVE);
}

TEST(CloseReply, StatusAndOpcode) {
  EXPECT_EQ(decodeCloseReply(header(130, 1, 0, 0).done(), kBuffer), FT_OK);
  EXPECT_EQ(decodeCloseReply(header(129, 1, 0, 0).done(), kBuffer), FTERR_PROTOCOL);
}

TEST(GetReply, FieldsAndLength) {
  Bytes get = header(137, 0xA9, 0, 0xC0).u32(0x21).u64(123456789012ull).u64(1).u64(2).u64(3).done();
  ASSERT_EQ(get.size(), 51u);
  auto d = decodeGetReply(get);
  EXPECT_EQ(d.result, FT_OK);
  ASSERT_TRUE(d.body);
  EXPECT_EQ(d.body->agentTag, 0xA9u);
  EXPECT_EQ(d.body->transferTag, 0xC0u);
  EXPECT_EQ(d.body->attributes, 0x21u);
  EXPECT_EQ(d.body->size, 123456789012ull);
  EXPECT_EQ(d.body->creationTime, 1u);
  EXPECT_EQ(d.body->lastWriteTime, 3u);
  EXPECT_EQ(decodeGetReply(header(137, 1, 2, 1).done()).result, 2);  // refused, short
  EXPECT_EQ(decodeGetReply(header(137, 1, 0, 1).done()).result, FTERR_PROTOCOL);
  Bytes longer = get;
  longer.push_back(0);
  longer[1] = 52;
  EXPECT_EQ(decodeGetReply(longer).result, FTERR_RECEIVE);
}

TEST(ExecReply, RecordAtEleven) {
  Bytes exec = header(135, 1, 0, 1).u32(22).u32(3).u32(4).u32(5).zeros(1).done();
  auto d = decodeExecReply(exec, FTM_EXEC, kBuffer);
  EXPECT_EQ(d.result, FT_OK);
  ASSERT_TRUE(d.body);
  EXPECT_EQ(d.body->running, 1u);
  EXPECT_EQ(d.body->runId, 22u);
  EXPECT_EQ(d.body->exitCode, 3u);
  EXPECT_EQ(d.body->processId, 4u);
  EXPECT_EQ(d.body->reserved, 5u);
  EXPECT_EQ(decodeExecReply(exec, FTM_EXEC_STATUS, kBuffer).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeExecReply(statusOnly(136, 0), FTM_EXEC_STATUS, kBuffer).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeExecReply(statusOnly(136, 2), FTM_EXEC_STATUS, kBuffer).result, 2);
}

TEST(FolderSizeReply, Record) {
  Bytes fs = header(146, 1, 0, 7).u32(8).u64(0x100000001ull).done();
  ASSERT_EQ(fs.size(), 27u);
  auto d = decodeFolderSizeReply(fs);
  ASSERT_TRUE(d.body);
  EXPECT_EQ(d.body->folders, 7u);
  EXPECT_EQ(d.body->files, 8u);
  EXPECT_EQ(d.body->bytes, 0x100000001ull);
  EXPECT_EQ(decodeFolderSizeReply(header(146, 1, 0, 7).done()).result, FTERR_PROTOCOL);
}

// A drive entry: letter, label, free, total, type, media, count, text.
HandMessage& driveEntry(HandMessage& m, const std::string& text, std::size_t count) {
  m.u8('C').text("SYSTEM").zeros(24).u64(1000).u64(5000).u32(3).u32(12).u16(count).text(text);
  return m;
}

Bytes driveReply(const std::string& text, std::size_t count, std::int32_t status = 0) {
  HandMessage m;
  m.u8(150).u16(0).u32(1).i32(status);
  driveEntry(m, text, count);
  return m.done();
}

TEST(DriveInfoReply, EntryAndItsText) {
  auto d = decodeDriveInfoReply(driveReply(std::string("NTFS\0", 5), 4));
  ASSERT_EQ(d.result, FT_OK);
  ASSERT_TRUE(d.body);
  EXPECT_EQ(d.body->letter, 'C');
  EXPECT_EQ(d.body->label, "SYSTEM");
  EXPECT_EQ(d.body->freeBytes, 1000u);
  EXPECT_EQ(d.body->totalBytes, 5000u);
  EXPECT_EQ(d.body->driveType, 3u);
  EXPECT_EQ(d.body->mediaType, 12u);
  EXPECT_EQ(d.body->fileSystem, "NTFS");
  EXPECT_EQ(d.body->uncPath, "");
  EXPECT_EQ(d.body->record.size(), 62u);
}

TEST(DriveInfoReply, NetworkDriveAndBadCounts) {
  auto net = decodeDriveInfoReply(driveReply(std::string("NTFS\0\\\\srv\\share\0", 17), 16));
  ASSERT_TRUE(net.body);
  EXPECT_EQ(net.body->fileSystem, "NTFS");
  EXPECT_EQ(net.body->uncPath, "\\\\srv\\share");
  // Count beyond the message; string without its NUL; a third string.
  EXPECT_EQ(decodeDriveInfoReply(driveReply(std::string("NTFS\0", 5), 40)).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeDriveInfoReply(driveReply("NTFSX", 4)).result, FTERR_PROTOCOL);
  EXPECT_EQ(decodeDriveInfoReply(driveReply(std::string("A\0B\0C\0", 6), 5)).result,
            FTERR_PROTOCOL);
  // A refusal needs no entry.
  EXPECT_EQ(decodeDriveInfoReply(statusOnly(150, 21)).result, 21);
}

TEST(IconReply, SizesAndImageArea) {
  Bytes icon = HandMessage()
                   .u8(142)
                   .u16(0)
                   .u32(1)
                   .i32(0)
                   .u16(1)
                   .u16(10)
                   .u16(20)
                   .u16(0)
                   .u16(0)
                   .text("IMAGE")
                   .u8(0)
                   .done();
  auto d = decodeIconReply(icon, kBuffer);
  ASSERT_TRUE(d.body);
  EXPECT_TRUE(d.body->packed);
  EXPECT_EQ(d.body->sizes[0], 10);
  EXPECT_EQ(d.body->sizes[1], 20);
  EXPECT_EQ(std::string(d.body->image.begin(), d.body->image.end()), "IMAGE");
  EXPECT_EQ(decodeIconReply(statusOnly(142, 0, 5), kBuffer).result, FTERR_PROTOCOL);
}

// A file entry with name n.
void fileEntry(HandMessage& m, const std::string& name, std::size_t count, bool nul = true) {
  m.u32(0x10)
      .u64(1)
      .u64(2)
      .u64(3)
      .u32(1)
      .u32(2)
      .u32(1)
      .u32(0755)
      .text("SHORT~1")
      .zeros(7)
      .u16(count)
      .text(name);
  if (nul) m.u8(0);
}

Bytes listing(std::int32_t status, const std::vector<std::string>& names, std::uint8_t op = 131) {
  HandMessage m;
  m.u8(op).u16(0).u32(1).i32(status).u32(9).zeros(4);
  for (const auto& n : names)
    fileEntry(m, n, n.size());
  m.u8(0);
  return m.done();
}

TEST(ListingReply, EntriesInOrder) {
  auto d =
      decodeListingReply(listing(FTERR_MORE, {"one", "two.txt", ""}), EntryKind::File, kBuffer);
  ASSERT_EQ(d.result, FT_OK);
  ASSERT_TRUE(d.body);
  EXPECT_EQ(d.body->status, FTERR_MORE);
  ASSERT_EQ(d.body->files.size(), 3u);
  EXPECT_EQ(d.body->files[0].name, "one");
  EXPECT_EQ(d.body->files[1].name, "two.txt");
  EXPECT_EQ(d.body->files[2].name, "");
  const FileEntry& e = d.body->files[1];
  EXPECT_EQ(e.attributes, FT_ATTRIBUTE_FOLDER);
  EXPECT_EQ(e.creationTime, 1u);
  EXPECT_EQ(e.lastWriteTime, 3u);
  EXPECT_EQ(e.size, (1ull << 32) | 2u);
  EXPECT_EQ(e.executable, 1u);
  EXPECT_EQ(e.unixMode, 0755u);
  EXPECT_EQ(e.shortName, "SHORT~1");
  EXPECT_EQ(e.record.size(), 61u + 7u);
  auto empty = decodeListingReply(listing(0, {}, 145), EntryKind::File, kBuffer);
  ASSERT_EQ(empty.result, FT_OK);
  EXPECT_TRUE(empty.body->files.empty());
}

TEST(ListingReply, DrivesToo) {
  HandMessage m;
  m.u8(131).u16(0).u32(1).i32(0).u32(9).zeros(4);
  driveEntry(m, std::string("FAT\0", 4), 3);
  driveEntry(m, std::string("NTFS\0", 5), 4);
  m.u8(0);
  auto d = decodeListingReply(m.done(), EntryKind::Drive, kBuffer);
  ASSERT_EQ(d.result, FT_OK);
  ASSERT_EQ(d.body->drives.size(), 2u);
  EXPECT_EQ(d.body->drives[1].fileSystem, "NTFS");
}

TEST(ListingReply, MalformedEntriesAndOtherMessages) {
  struct Case {
    const char* name;
    Bytes message;
    std::int32_t result;
  };
  HandMessage noNul;
  noNul.u8(131).u16(0).u32(1).i32(0).u32(9).zeros(4);
  fileEntry(noNul, "abcd", 3);  // byte after the name is 'd', not NUL
  noNul.u8(0);
  HandMessage beyond;
  beyond.u8(131).u16(0).u32(1).i32(0).u32(9).zeros(4);
  fileEntry(beyond, "ab", 200);
  beyond.u8(0);
  HandMessage inner;
  inner.u8(131).u16(0).u32(1).i32(0).u32(9).zeros(4);
  fileEntry(inner, std::string("a\0b", 3), 3);
  inner.u8(0);
  Bytes leftover = listing(0, {"x"});
  leftover.insert(leftover.end() - 1, {1, 2, 3});
  leftover[1] = static_cast<std::uint8_t>(leftover.size());
  const std::vector<Case> cases = {
      {"NameWithoutNul", noNul.done(), FTERR_PROTOCOL},
      {"CountBeyondMessage", beyond.done(), FTERR_PROTOCOL},
      {"NulInsideName", inner.done(), FTERR_PROTOCOL},
      {"BytesLeftOver", leftover, FTERR_PROTOCOL},
      {"AgentError", listing(3, {"x"}), 3},
      {"KeepAliveInListing", header(FTM_KEEPALIVE, 0, 0, 9).done(), FTERR_PROTOCOL},
      {"OtherReply", listing(0, {}, 137), FTERR_PROTOCOL},
      {"TooShort", statusOnly(131, 0, 4), FTERR_PROTOCOL},
  };
  for (const auto& c : cases) {
    auto d = decodeListingReply(c.message, EntryKind::File, kBuffer);
    EXPECT_EQ(d.result, c.result) << c.name;
    EXPECT_FALSE(d.body) << c.name;
  }
  EXPECT_EQ(decodeListingReply(listing(0, {"x"}), EntryKind::File, 50).result, FTERR_RECEIVE);
}

}  // namespace
}  // namespace zel::ftengine
