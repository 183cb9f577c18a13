// The CRC-16 that guards the payload of every data block: polynomial 0x1021,
// most significant bit first, register starting at 1, each byte shifted in
// at the bottom after the top byte has been taken out, no final XOR.
// A block whose CRC field is 0 is not checked.
#pragma once

#include <cstdint>
#include <span>

namespace zel::ftengine {

std::uint16_t blockCrc16(std::span<const std::uint8_t> payload);

}  // namespace zel::ftengine
