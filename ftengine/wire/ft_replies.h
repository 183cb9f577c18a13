// Decoders of the agent's replies. Every decoder takes one whole message (as
// cut by cutMessage()) and length-checks it against its layout before it
// reads a field. The result of each is what the operation reports:
//   - the reply's status when the reply is well formed (0, a negative code or
//     a Win32 code sent by the agent);
//   - FTERR_RECEIVE when the reply is longer than the room of its exchange;
//   - FTERR_PROTOCOL when it is not the reply expected (other opcode, length
//     field not the message's size, too short for its status, or a success
//     reply too short for the data it must carry) or a record in it is
//     malformed;
//   - FTERR_NO_AGENT_MODULE for the 7-byte open reply.
// The body is present whenever the reply carries it, also when its status
// is not 0 (the open and execute replies are read either way).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "ftengine/wire/ft_caps.h"
#include "ftengine/wire/ft_entries.h"
#include "ftengine/wire/ft_status.h"

namespace zel::ftengine {

using WireBytes = std::span<const std::uint8_t>;

template <class Body>
struct Decoded {
  std::int32_t result = FT_OK;
  std::optional<Body> body;
};

// Checks the frame of a reply to requestOp: its opcode, that its length
// field is its size, that it holds the status, and that it fits the room.
// Returns FT_OK or the failure code.
std::int32_t checkReply(WireBytes reply, std::uint8_t requestOp, std::size_t room);

// Replies that carry only a status (room 12): FTM_DELETE, FTM_RENAME,
// FTM_MKDIR, FTM_NOTIFY_CANCEL, FTM_COPY.
std::int32_t decodeStatusReply(WireBytes reply, std::uint8_t requestOp);

// Replies of room 15 with a value at 11: FTM_NOTIFY (notification
// identifier), FTM_ATTRIB (attributes), FTM_SEND (for which the agent's
// transfer tag comes at offset 3).
struct ValueReply {
  std::uint32_t value = 0;
  std::uint32_t agentTag = 0;
};
Decoded<ValueReply> decodeValueReply(WireBytes reply, std::uint8_t requestOp);

// The open reply: status, then the capability record (at least 184 bytes).
Decoded<FtCaps> decodeOpenReply(WireBytes reply, std::size_t bufferSize);

// The close reply (opcode 130, room the buffer size): its status.
std::int32_t decodeCloseReply(WireBytes reply, std::size_t bufferSize);

// The download's reply (51 bytes).
struct GetReply {
  std::uint32_t agentTag = 0;
  std::uint32_t transferTag = 0;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t creationTime = 0;
  std::uint64_t lastAccessTime = 0;
  std::uint64_t lastWriteTime = 0;
};
Decoded<GetReply> decodeGetReply(WireBytes reply);

// The execute and execute-status replies: the record at 11-30.
struct ExecStatus {
  std::uint32_t running = 0;
  std::uint32_t runId = 0;
  std::uint32_t exitCode = 0;
  std::uint32_t processId = 0;
  std::uint32_t reserved = 0;
};
Decoded<ExecStatus> decodeExecReply(WireBytes reply, std::uint8_t requestOp,
                                    std::size_t bufferSize);

struct FolderSize {
  std::uint32_t folders = 0;
  std::uint32_t files = 0;
  std::uint64_t bytes = 0;
};
Decoded<FolderSize> decodeFolderSizeReply(WireBytes reply);

Decoded<DriveEntry> decodeDriveInfoReply(WireBytes reply);

// The icon reply: the packing flag, four sizes, and the image area (from 21
// up to the byte before the end).
struct IconReply {
  bool packed = false;
  std::array<std::uint16_t, 4> sizes{};  // colour 1, mask 1, colour 2, mask 2
  WireBytes image;
};
Decoded<IconReply> decodeIconReply(WireBytes reply, std::size_t bufferSize);

// One message of a listing stream (131 for FTM_ENUM, 145 for FTM_FIND).
enum class EntryKind : std::uint8_t { File, Drive };
struct ListingReply {
  std::int32_t status = 0;  // 0: the last message; FTERR_MORE: more follow
  std::vector<FileEntry> files;
  std::vector<DriveEntry> drives;
};
// result is FT_OK for a well-formed message of status 0 or FTERR_MORE, with
// every entry in the body; the agent's status for any other status; and
// FTERR_PROTOCOL for a message of another opcode or any malformed entry (no
// entry of such a message is delivered).
Decoded<ListingReply> decodeListingReply(WireBytes reply, EntryKind kind, std::size_t bufferSize);

}  // namespace zel::ftengine
