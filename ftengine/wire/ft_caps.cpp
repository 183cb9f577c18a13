#include "ftengine/wire/ft_caps.h"

#include <algorithm>
#include <cstring>

#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/fixed_text.h"
#include "ftengine/wire/ft_protocol.h"

namespace zel::ftengine {

namespace {
constexpr std::size_t kNameOffset = 25;
constexpr std::size_t kNameSize = 16;
constexpr std::size_t kDescriptionOffset = 41;
constexpr std::size_t kDescriptionSize = 132;
}  // namespace

FtCaps decodeCaps(std::span<const std::uint8_t, FT_CAPS_SIZE> record) {
  const std::uint8_t* p = record.data();
  FtCaps caps;
  caps.reserved = wire::loadU32(p);
  caps.capabilities = wire::loadU32(p + 4);
  caps.majorVersion = wire::loadU32(p + 8);
  caps.minorVersion = wire::loadU32(p + 12);
  caps.buildNumber = wire::loadU32(p + 16);
  caps.platform = wire::loadU32(p + 20);
  caps.systemType = p[24];
  caps.computerName = wire::readFixedText(record.subspan(kNameOffset, kNameSize));
  caps.description = wire::readFixedText(record.subspan(kDescriptionOffset, kDescriptionSize));
  return caps;
}

std::array<std::uint8_t, FT_CAPS_SIZE> encodeCaps(const FtCaps& caps) {
  std::array<std::uint8_t, FT_CAPS_SIZE> record{};
  std::uint8_t* p = record.data();
  wire::storeU32(p, caps.reserved);
  wire::storeU32(p + 4, caps.capabilities);
  wire::storeU32(p + 8, caps.majorVersion);
  wire::storeU32(p + 12, caps.minorVersion);
  wire::storeU32(p + 16, caps.buildNumber);
  wire::storeU32(p + 20, caps.platform);
  p[24] = caps.systemType;
  wire::writeFixedText(std::span(record).subspan(kNameOffset, kNameSize), caps.computerName);
  wire::writeFixedText(std::span(record).subspan(kDescriptionOffset, kDescriptionSize),
                       caps.description);
  return record;
}

PeerClass peerClassOf(const FtCaps& caps) {
  if (caps.buildNumber != 0) return PeerClass::Windows;
  if (caps.systemType == FT_SYSTEM_MAC_OS || caps.systemType == FT_SYSTEM_MAC_OS_X) {
    return PeerClass::Mac;
  }
  return PeerClass::UnixTime;
}

bool offers(const FtCaps& caps, std::uint8_t requestOp) {
  const std::uint32_t bit = capabilityBit(requestOp);
  return bit == 0 || (caps.capabilities & bit) != 0;
}

}  // namespace zel::ftengine
