// The message catalogue: routing of received messages, rooms, capability
// bits, the capability record and peer classes, cutting messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ftengine/tests/wire_test_bytes.h"
#include "ftengine/wire/ft_caps.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {
namespace {

using testing::header;

struct RouteCase {
  std::uint8_t op;
  RouteTarget target;
};

TEST(Routing, EveryOpcodeGoesWhereItBelongs) {
  const std::vector<RouteCase> cases = {
      {19, RouteTarget::Transfer},      {20, RouteTarget::Transfer},
      {21, RouteTarget::Transfer},      {131, RouteTarget::Transfer},
      {137, RouteTarget::Transfer},     {138, RouteTarget::Transfer},
      {129, RouteTarget::SessionQueue}, {130, RouteTarget::SessionQueue},
      {132, RouteTarget::SessionQueue}, {133, RouteTarget::SessionQueue},
      {134, RouteTarget::SessionQueue}, {135, RouteTarget::SessionQueue},
      {136, RouteTarget::SessionQueue}, {139, RouteTarget::SessionQueue},
      {140, RouteTarget::SessionQueue}, {141, RouteTarget::SessionQueue},
      {142, RouteTarget::SessionQueue}, {143, RouteTarget::SessionQueue},
      {145, RouteTarget::SessionQueue}, {146, RouteTarget::SessionQueue},
      {150, RouteTarget::SessionQueue}, {144, RouteTarget::SessionChange},
  };
  for (const auto& c : cases) {
    auto m = header(c.op, 0x1000, 0, 0x2000).done();
    MessageRoute r = routeOf(m);
    EXPECT_EQ(r.target, c.target) << int(c.op);
    std::uint32_t wanted = c.target == RouteTarget::Transfer ? 0x2000 : 0x1000;
    EXPECT_EQ(r.tag, wanted) << int(c.op);
    if (c.target == RouteTarget::SessionChange) {
      EXPECT_EQ(r.value, 0x2000u);
    }
  }
  for (int op : {0, 1, 16, 22, 23, 128, 144 + 3, 151, 255}) {
    EXPECT_EQ(routeOf(header(static_cast<std::uint8_t>(op), 1, 0, 1).done()).target,
              RouteTarget::Ignored)
        << op;
  }
}

TEST(Routing, TagZeroOrMissingIsRefused) {
  EXPECT_EQ(routeOf(header(19, 5, 0, 0).done()).target, RouteTarget::Refused);
  EXPECT_EQ(routeOf(header(132, 0, 0, 5).done()).target, RouteTarget::Refused);
  // A 7-byte open reply still names its session; a transfer message that
  // short names none.
  auto shortOpen = testing::HandMessage().u8(129).u16(7).u32(5).done();
  EXPECT_EQ(routeOf(shortOpen).target, RouteTarget::SessionQueue);
  auto shortData = testing::HandMessage().u8(19).u16(11).u32(5).i32(0).done();
  EXPECT_EQ(routeOf(shortData).target, RouteTarget::Refused);
  auto shortChange = testing::HandMessage().u8(144).u16(11).u32(5).i32(0).done();
  EXPECT_EQ(routeOf(shortChange).target, RouteTarget::Refused);
  EXPECT_EQ(routeOf({}).target, RouteTarget::Refused);
}

TEST(CutMessage, TakesTheLengthFieldAndRefusesWhatDoesNotFit) {
  auto m = header(132, 1, 0, 0).done();
  std::vector<std::uint8_t> two = m;
  two.insert(two.end(), m.begin(), m.end());
  EXPECT_EQ(cutMessage(two).size(), 15u);
  EXPECT_TRUE(cutMessage(std::span(m).first(14)).empty());  // length beyond the bytes
  auto tiny = testing::HandMessage().u8(132).u16(6).u32(1).raw();
  EXPECT_TRUE(cutMessage(tiny).empty());  // length below the smallest message
  EXPECT_TRUE(cutMessage(std::span(m).first(2)).empty());
}

TEST(Rooms, PerOpcode) {
  EXPECT_EQ(replyRoom(FTM_OPEN, 32768), 32768u);
  EXPECT_EQ(replyRoom(FTM_ENUM, 32768), 32768u);
  EXPECT_EQ(replyRoom(FTM_ICON, 32768), 32768u);
  for (auto op : {FTM_DELETE, FTM_RENAME, FTM_MKDIR, FTM_NOTIFY_CANCEL, FTM_COPY}) {
    EXPECT_EQ(replyRoom(op, 32768), 12u);
  }
  for (auto op : {FTM_SEND, FTM_NOTIFY, FTM_ATTRIB}) {
    EXPECT_EQ(replyRoom(op, 32768), 15u);
  }
  EXPECT_EQ(replyRoom(FTM_GET, 32768), 51u);
  EXPECT_EQ(replyRoom(FTM_FOLDER_SIZE, 32768), 27u);
  EXPECT_EQ(replyRoom(FTM_DRIVE_INFO, 32768), 427u);
  EXPECT_EQ(replyRoom(FTM_DATA, 32768), 0u);
  EXPECT_EQ(replyRoom(FTM_CHANGE, 32768), 0u);
}

TEST(Capabilities, BitsPerOperation) {
  EXPECT_EQ(capabilityBit(FTM_OPEN), 0u);
  EXPECT_EQ(capabilityBit(FTM_DATA), 0u);
  EXPECT_EQ(capabilityBit(FTM_ENUM), 0x1u);
  EXPECT_EQ(capabilityBit(FTM_ATTRIB), 0x8u);
  EXPECT_EQ(capabilityBit(FTM_GET), 0x2000u);
  EXPECT_EQ(capabilityBit(FTM_SEND), 0x4000u);
  EXPECT_EQ(capabilityBit(FTM_DRIVE_INFO), 0x20000u);
  FtCaps caps;
  caps.capabilities = FTCAP_GET | FTCAP_ENUM;
  EXPECT_TRUE(offers(caps, FTM_GET));
  EXPECT_TRUE(offers(caps, FTM_OPEN));
  EXPECT_FALSE(offers(caps, FTM_SEND));
  EXPECT_FALSE(offers(FtCaps{}, FTM_DELETE));
}

TEST(CapsRecord, FieldsAtTheirOffsets) {
  auto bytes = testing::HandMessage()
                   .u32(0xDEAD)
                   .u32(0x3FFF9)
                   .u32(5)
                   .u32(1)
                   .u32(2600)
                   .u32(2)
                   .u8(2)
                   .text("MACHINE")
                   .zeros(9)
                   .text("Service Pack 3")
                   .zeros(118)
                   .raw();
  ASSERT_EQ(bytes.size(), FT_CAPS_SIZE);
  FtCaps caps = decodeCaps(std::span(bytes).first<FT_CAPS_SIZE>());
  EXPECT_EQ(caps.reserved, 0xDEADu);
  EXPECT_EQ(caps.capabilities, 0x3FFF9u);
  EXPECT_EQ(caps.majorVersion, 5u);
  EXPECT_EQ(caps.minorVersion, 1u);
  EXPECT_EQ(caps.buildNumber, 2600u);
  EXPECT_EQ(caps.platform, FT_PLATFORM_NT);
  EXPECT_EQ(caps.systemType, 2);
  EXPECT_EQ(caps.computerName, "MACHINE");
  EXPECT_EQ(caps.description, "Service Pack 3");
  auto again = encodeCaps(caps);
  EXPECT_EQ(std::vector<std::uint8_t>(again.begin(), again.end()), bytes);
}

TEST(CapsRecord, TextsWithoutNulStayInsideTheirFields) {
  std::vector<std::uint8_t> bytes(FT_CAPS_SIZE, 'x');
  FtCaps caps = decodeCaps(std::span(bytes).first<FT_CAPS_SIZE>());
  EXPECT_EQ(caps.computerName, std::string(16, 'x'));
  EXPECT_EQ(caps.description, std::string(132, 'x'));
  caps.computerName = std::string(40, 'n');
  auto out = encodeCaps(caps);
  EXPECT_EQ(out[25 + 15], 0);  // cut to leave the NUL
  EXPECT_EQ(out[41], 'x');
}

TEST(PeerClass, FromBuildAndSystemType) {
  struct Case {
    std::uint32_t build;
    std::uint8_t type;
    PeerClass cls;
  };
  for (const Case& c : {Case{2600, 3, PeerClass::Windows}, Case{1, 18, PeerClass::Windows},
                        Case{0, 3, PeerClass::Mac}, Case{0, 18, PeerClass::Mac},
                        Case{0, 2, PeerClass::UnixTime}, Case{0, 0, PeerClass::UnixTime}}) {
    FtCaps caps;
    caps.buildNumber = c.build;
    caps.systemType = c.type;
    EXPECT_EQ(peerClassOf(caps), c.cls) << c.build << "/" << int(c.type);
  }
}

TEST(StatusNames, EveryOwnCodeHasItsName) {
  const std::vector<std::pair<std::int32_t, std::string>> names = {
      {0, "FT_OK"},
      {-2, "FTERR_MORE"},
      {-3, "FTERR_CANCELLED"},
      {-5, "FTERR_TIMEOUT"},
      {-6, "FTERR_NO_MEMORY"},
      {-7, "FTERR_BAD_SESSION"},
      {-9, "FTERR_RECEIVE"},
      {-10, "FTERR_PROTOCOL"},
      {-14, "FTERR_REFUSED"},
      {-15, "FTERR_WRITE_TIMEOUT"},
      {-18, "FTERR_EXCEPTION"},
      {-21, "FTERR_SEND"},
      {-23, "FTERR_NOT_SUPPORTED"},
      {-24, "FTERR_UNEXPECTED"},
      {-25, "FTERR_NO_AGENT_MODULE"},
      {-27, "FTERR_CRC"},
      {-28, "FTERR_SEQUENCE"},
  };
  for (const auto& [code, name] : names) {
    ASSERT_NE(statusName(code), nullptr) << code;
    EXPECT_EQ(statusName(code), name);
  }
  for (std::int32_t other : {-1, -4, -8, -11, -26, -29, 5, 6, 32}) {
    EXPECT_EQ(statusName(other), nullptr) << other;
  }
}

}  // namespace
}  // namespace zel::ftengine

namespace zel::ftengine {
namespace {

TEST(Header, WritesAndReadsOnlyTheFieldsThatFit) {
  std::vector<std::uint8_t> full(15);
  writeHeader(full, FtHeader{129, 15, 0x01020304, -2, 0xA0B0C0D0});
  EXPECT_EQ(full, (std::vector<std::uint8_t>{129, 15, 0, 4, 3, 2, 1, 0xFE, 0xFF, 0xFF, 0xFF, 0xD0,
                                             0xC0, 0xB0, 0xA0}));
  FtHeader back = readHeader(full);
  EXPECT_EQ(back.session, 0x01020304u);
  EXPECT_EQ(back.status, -2);
  EXPECT_EQ(back.ref, 0xA0B0C0D0u);
  std::vector<std::uint8_t> seven(7);
  writeHeader(seven, FtHeader{129, 7, 5, 1, 1});  // no room for status and ref
  FtHeader shortBack = readHeader(seven);
  EXPECT_EQ(shortBack.session, 5u);
  EXPECT_EQ(shortBack.status, 0);
  EXPECT_EQ(shortBack.ref, 0u);
}

}  // namespace
}  // namespace zel::ftengine
