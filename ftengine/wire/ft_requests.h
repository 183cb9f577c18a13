// Encoders of the requests the console sends. Each returns the whole message
// with its header (session tag at offset 3), or an empty vector when it
// cannot be built: the opcode does not use that layout, a string holds a NUL,
// or the message would not fit the 16-bit length.
//
// Requests whose string count includes the NUL carry one more byte after the
// last NUL (sent as 0), as the layouts prescribe.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace zel::ftengine {

using WireMessage = std::vector<std::uint8_t>;

inline constexpr std::size_t FT_FIND_RECORD_SIZE = 41;
inline constexpr std::size_t FT_FIND_REQUEST_SIZE = 60;

// Header-only requests (15 bytes).
WireMessage encodeOpenRequest(std::uint32_t session);
WireMessage encodeCloseRequest(std::uint32_t session);
// processId is sent only to peers that need it (platform 0, system type 3);
// pass 0 for the others.
WireMessage encodeExecStatusRequest(std::uint32_t session, std::uint32_t runId,
                                    std::uint32_t processId);
WireMessage encodeNotifyCancelRequest(std::uint32_t session, std::uint32_t notifyId);

// One path, count at 15, path at 17: FTM_DELETE (parameter: delete option),
// FTM_MKDIR, FTM_EXEC (command line; parameter: start parameter), FTM_ICON
// (parameter: icon flags), FTM_FOLDER_SIZE, FTM_DRIVE_INFO.
WireMessage encodePathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                              std::string_view path);

// Two paths under one count: FTM_RENAME (old, new; parameter 0) and FTM_COPY
// (source, destination; parameter: copy option).
WireMessage encodeTwoPathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                                 std::string_view first, std::string_view second);

// One path after a second parameter at 15: FTM_ENUM (listing mode, transfer
// tag), FTM_GET (transfer flags, transfer tag), FTM_NOTIFY (change filter,
// watch-subtree flag), FTM_ATTRIB (first and second parameter).
WireMessage encodeTaggedPathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                                    std::uint32_t second, std::string_view path);

// The 60-byte find request with the caller's search record at 19.
WireMessage encodeFindRequest(std::uint32_t session,
                              std::span<const std::uint8_t, FT_FIND_RECORD_SIZE> record);

// The upload's file description.
struct FileDescription {
  std::uint32_t flags = 0;  // transfer flags; 0 for an empty file
  std::uint32_t transferTag = 0;
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  std::uint64_t creationTime = 0;  // as they go on the wire (see file times)
  std::uint64_t lastAccessTime = 0;
  std::uint64_t lastWriteTime = 0;
  std::string_view remotePath;
};
WireMessage encodeSendRequest(std::uint32_t session, const FileDescription& file);

}  // namespace zel::ftengine
