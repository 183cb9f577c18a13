#include "ftengine/wire/ft_requests.h"

#include <cstring>

#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/ft_protocol.h"

namespace zel::ftengine {
namespace {

bool holdsNul(std::string_view s) {
  return s.find('\0') != std::string_view::npos;
}

// A message of `length` bytes with its header written; empty when too long.
WireMessage startMessage(std::size_t length, std::uint8_t op, std::uint32_t session,
                         std::int32_t status, std::uint32_t ref) {
  if (length > FT_MAX_MESSAGE) return {};
  WireMessage m(length, 0);
  writeHeader(m, FtHeader{op, static_cast<std::uint16_t>(length), session, status, ref});
  return m;
}

// Copies text and its NUL (already zero) to the message at offset.
void putText(WireMessage& m, std::size_t offset, std::string_view text) {
  std::memcpy(m.data() + offset, text.data(), text.size());
}

}  // namespace

WireMessage encodeOpenRequest(std::uint32_t session) {
  return startMessage(FT_HEADER_SIZE, FTM_OPEN, session, 0, 0);
}

WireMessage encodeCloseRequest(std::uint32_t session) {
  return startMessage(FT_HEADER_SIZE, FTM_CLOSE, session, 0, 0);
}

WireMessage encodeExecStatusRequest(std::uint32_t session, std::uint32_t runId,
                                    std::uint32_t processId) {
  return startMessage(FT_HEADER_SIZE, FTM_EXEC_STATUS, session, static_cast<std::int32_t>(runId),
                      processId);
}

WireMessage encodeNotifyCancelRequest(std::uint32_t session, std::uint32_t notifyId) {
  return startMessage(FT_HEADER_SIZE, FTM_NOTIFY_CANCEL, session,
                      static_cast<std::int32_t>(notifyId), 0);
}

WireMessage encodePathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                              std::string_view path) {
  switch (op) {
    case FTM_DELETE:
    case FTM_MKDIR:
    case FTM_EXEC:
    case FTM_ICON:
    case FTM_FOLDER_SIZE:
    case FTM_DRIVE_INFO:
      break;
    default:
      return {};
  }
  if (holdsNul(path)) return {};
  const std::size_t count = path.size() + 1;
  WireMessage m = startMessage(count + 18, op, session, parameter, 0);
  if (m.empty()) return m;
  wire::storeU16(m.data() + 15, static_cast<std::uint16_t>(count));
  putText(m, 17, path);
  return m;
}

WireMessage encodeTwoPathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                                 std::string_view first, std::string_view second) {
  if (op != FTM_RENAME && op != FTM_COPY) return {};
  if (holdsNul(first) || holdsNul(second)) return {};
  const std::size_t count = first.size() + 1 + second.size() + 1;
  WireMessage m = startMessage(count + 18, op, session, parameter, 0);
  if (m.empty()) return m;
  wire::storeU16(m.data() + 15, static_cast<std::uint16_t>(count));
  putText(m, 17, first);
  putText(m, 17 + first.size() + 1, second);
  return m;
}

WireMessage encodeTaggedPathRequest(std::uint8_t op, std::uint32_t session, std::int32_t parameter,
                                    std::uint32_t second, std::string_view path) {
  if (op != FTM_ENUM && op != FTM_GET && op != FTM_NOTIFY && op != FTM_ATTRIB) return {};
  if (holdsNul(path)) return {};
  const std::size_t count = path.size() + 1;
  WireMessage m = startMessage(count + 22, op, session, parameter, 0);
  if (m.empty()) return m;
  wire::storeU32(m.data() + 15, second);
  wire::storeU16(m.data() + 19, static_cast<std::uint16_t>(count));
  putText(m, 21, path);
  return m;
}

WireMessage encodeFindRequest(std::uint32_t session,
                              std::span<const std::uint8_t, FT_FIND_RECORD_SIZE> record) {
  WireMessage m = startMessage(FT_FIND_REQUEST_SIZE, FTM_FIND, session, 0, 0);
  std::memcpy(m.data() + 19, record.data(), record.size());
  return m;
}

WireMessage encodeSendRequest(std::uint32_t session, const FileDescription& file) {
  if (holdsNul(file.remotePath)) return {};
  // The count leaves the NUL out, and nothing follows the NUL.
  WireMessage m = startMessage(file.remotePath.size() + 58, FTM_SEND, session,
                               static_cast<std::int32_t>(file.flags), 0);
  if (m.empty()) return m;
  std::uint8_t* p = m.data();
  wire::storeU32(p + 15, file.transferTag);
  wire::storeU32(p + 19, file.attributes);
  wire::storeU64(p + 23, file.size);
  wire::storeU64(p + 31, file.creationTime);
  wire::storeU64(p + 39, file.lastAccessTime);
  wire::storeU64(p + 47, file.lastWriteTime);
  wire::storeU16(p + 55, static_cast<std::uint16_t>(file.remotePath.size()));
  putText(m, 57, file.remotePath);
  return m;
}

}  // namespace zel::ftengine
