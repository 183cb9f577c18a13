// The message catalogue of the file-transfer protocol: opcodes, capability
// bits, transfer flags, the common header, the room each reply may take, and
// where a received message is to be routed.
//
// Every message starts with the 15-byte header: op (1), length (2, the whole
// message), session tag (4), status (4, signed), ref (4, a transfer tag or a
// value). All integers are little-endian and nothing is padded. A reply
// carries its request's opcode plus FTM_REPLY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zel::ftengine {

inline constexpr std::uint8_t FTM_OPEN = 1;
inline constexpr std::uint8_t FTM_CLOSE = 2;
inline constexpr std::uint8_t FTM_ENUM = 3;
inline constexpr std::uint8_t FTM_DELETE = 4;
inline constexpr std::uint8_t FTM_RENAME = 5;
inline constexpr std::uint8_t FTM_MKDIR = 6;
inline constexpr std::uint8_t FTM_EXEC = 7;
inline constexpr std::uint8_t FTM_EXEC_STATUS = 8;
inline constexpr std::uint8_t FTM_GET = 9;
inline constexpr std::uint8_t FTM_SEND = 10;
inline constexpr std::uint8_t FTM_NOTIFY = 11;
inline constexpr std::uint8_t FTM_NOTIFY_CANCEL = 12;
inline constexpr std::uint8_t FTM_COPY = 13;
inline constexpr std::uint8_t FTM_ICON = 14;
inline constexpr std::uint8_t FTM_ATTRIB = 15;
inline constexpr std::uint8_t FTM_CHANGE = 16;  // agent to console, always as a reply (144)
inline constexpr std::uint8_t FTM_FIND = 17;
inline constexpr std::uint8_t FTM_FOLDER_SIZE = 18;
inline constexpr std::uint8_t FTM_DATA = 19;
inline constexpr std::uint8_t FTM_STATUS = 20;
inline constexpr std::uint8_t FTM_KEEPALIVE = 21;
inline constexpr std::uint8_t FTM_DRIVE_INFO = 22;
inline constexpr std::uint8_t FTM_REPLY = 0x80;

constexpr std::uint8_t replyOp(std::uint8_t requestOp) {
  return static_cast<std::uint8_t>(requestOp | FTM_REPLY);
}

// Capability bits of the agent (the capability record's second field).
inline constexpr std::uint32_t FTCAP_ENUM = 0x1;
inline constexpr std::uint32_t FTCAP_ATTRIB = 0x8;
inline constexpr std::uint32_t FTCAP_DELETE = 0x10;
inline constexpr std::uint32_t FTCAP_RENAME = 0x20;
inline constexpr std::uint32_t FTCAP_MKDIR = 0x40;
inline constexpr std::uint32_t FTCAP_EXEC = 0x80;
inline constexpr std::uint32_t FTCAP_EXEC_STATUS = 0x100;
inline constexpr std::uint32_t FTCAP_NOTIFY = 0x200;
inline constexpr std::uint32_t FTCAP_NOTIFY_CANCEL = 0x400;
inline constexpr std::uint32_t FTCAP_COPY = 0x800;
inline constexpr std::uint32_t FTCAP_ICON = 0x1000;
inline constexpr std::uint32_t FTCAP_GET = 0x2000;
inline constexpr std::uint32_t FTCAP_SEND = 0x4000;
inline constexpr std::uint32_t FTCAP_FIND = 0x8000;
inline constexpr std::uint32_t FTCAP_FOLDER_SIZE = 0x10000;
inline constexpr std::uint32_t FTCAP_DRIVE_INFO = 0x20000;

// Transfer flags, carried in requests and data blocks.
inline constexpr std::uint32_t FTF_COMPRESS = 2;
inline constexpr std::uint32_t FTF_TEXT = 4;

inline constexpr std::size_t FT_HEADER_SIZE = 15;
// The largest message the 16-bit length field can describe.
inline constexpr std::size_t FT_MAX_MESSAGE = 0xFFFF;
// The shortest message the engine looks at: op, length and session tag. The
// agent answers an open request with exactly this much when its file-transfer
// module is not loaded.
inline constexpr std::size_t FT_MIN_MESSAGE = 7;

struct FtHeader {
  std::uint8_t op = 0;
  std::uint16_t length = 0;
  std::uint32_t session = 0;
  std::int32_t status = 0;
  std::uint32_t ref = 0;
};

// Writes the header at the start of message; of a message shorter than the
// header only the fields that fit.
void writeHeader(std::span<std::uint8_t> message, const FtHeader& header);

// Reads the header fields that the message holds; fields beyond its length
// read as 0. message must be at least FT_MIN_MESSAGE bytes.
FtHeader readHeader(std::span<const std::uint8_t> message);

// The capability bit an operation needs, or 0 when it needs none.
std::uint32_t capabilityBit(std::uint8_t requestOp);

// The largest reply an exchange for requestOp accepts: the session buffer
// size for the open, close, listing, execute and icon replies, a fixed size
// for the others, 0 for messages that have no reply.
std::size_t replyRoom(std::uint8_t requestOp, std::size_t bufferSize);

// Cuts one message off the front of received bytes by its length field.
// Returns the message, or an empty span when the bytes do not hold a whole
// message (length below FT_MIN_MESSAGE or beyond the bytes received).
std::span<const std::uint8_t> cutMessage(std::span<const std::uint8_t> received);

// Where a received message goes.
enum class RouteTarget : std::uint8_t {
  Transfer,       // the queue of the transfer named by the tag at offset 11
  SessionQueue,   // the reply queue of the session named by the tag at offset 3
  SessionChange,  // the change callback of the session named at offset 3
  Refused,        // a routed message whose tag is 0 or lies beyond the message
  Ignored,        // an opcode that nobody receives
};

struct MessageRoute {
  RouteTarget target = RouteTarget::Ignored;
  std::uint32_t tag = 0;    // the transfer or session tag
  std::uint32_t value = 0;  // for SessionChange: the notification identifier
};

// Decides the route of one message cut by cutMessage().
MessageRoute routeOf(std::span<const std::uint8_t> message);

}  // namespace zel::ftengine
