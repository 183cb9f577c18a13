#include "ftengine/wire/ft_replies.h"

#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/ft_protocol.h"

namespace zel::ftengine {

using wire::loadI32;
using wire::loadU16;
using wire::loadU32;
using wire::loadU64;

namespace {

constexpr std::size_t kStatusEnd = 11;  // a reply holds at least its status

std::int32_t statusOf(WireBytes reply) {
  return loadI32(reply.data() + 7);
}

// The common tail of the decoders with a body: a reply too short for the
// body is an error only when it claims success.
template <class Body>
Decoded<Body> shortOrStatus(WireBytes reply) {
  Decoded<Body> d;
  d.result = statusOf(reply) == FT_OK ? FTERR_PROTOCOL : statusOf(reply);
  return d;
}

}  // namespace

std::int32_t checkReply(WireBytes reply, std::uint8_t requestOp, std::size_t room) {
  if (reply.size() < kStatusEnd) return FTERR_PROTOCOL;
  if (loadU16(reply.data() + 1) != reply.size()) return FTERR_PROTOCOL;
  if (reply.size() > room) return FTERR_RECEIVE;
  if (reply[0] != replyOp(requestOp)) return FTERR_PROTOCOL;
  return FT_OK;
}

std::int32_t decodeStatusReply(WireBytes reply, std::uint8_t requestOp) {
  if (replyRoom(requestOp, 0) != 12) return FTERR_PROTOCOL;
  std::int32_t check = checkReply(reply, requestOp, 12);
  return check != FT_OK ? check : statusOf(reply);
}

Decoded<ValueReply> decodeValueReply(WireBytes reply, std::uint8_t requestOp) {
  Decoded<ValueReply> d;
  if (requestOp != FTM_NOTIFY && requestOp != FTM_ATTRIB && requestOp != FTM_SEND) {
    d.result = FTERR_PROTOCOL;
    return d;
  }
  if ((d.result = checkReply(reply, requestOp, 15)) != FT_OK) return d;
  if (reply.size() < 15) return shortOrStatus<ValueReply>(reply);
  d.result = statusOf(reply);
  d.body = ValueReply{loadU32(reply.data() + 11), loadU32(reply.data() + 3)};
  return d;
}

Decoded<FtCaps> decodeOpenReply(WireBytes reply, std::size_t bufferSize) {
  Decoded<FtCaps> d;
  if (reply.size() == FT_MIN_MESSAGE && loadU16(reply.data() + 1) == FT_MIN_MESSAGE &&
      reply[0] == replyOp(FTM_OPEN)) {
    d.result = FTERR_NO_AGENT_MODULE;
    return d;
  }
  if ((d.result = checkReply(reply, FTM_OPEN, bufferSize)) != FT_OK) return d;
  if (reply.size() < 11 + FT_CAPS_SIZE) {
    d.result = FTERR_PROTOCOL;  // neither the short answer nor a whole record
    return d;
  }
  d.result = statusOf(reply);
  d.body = decodeCaps(reply.subspan(11).first<FT_CAPS_SIZE>());
  return d;
}

std::int32_t decodeCloseReply(WireBytes reply, std::size_t bufferSize) {
  std::int32_t check = checkReply(reply, FTM_CLOSE, bufferSize);
  return check != FT_OK ? check : statusOf(reply);
}

Decoded<GetReply> decodeGetReply(WireBytes reply) {
  Decoded<GetReply> d;
  if ((d.result = checkReply(reply, FTM_GET, 51)) != FT_OK) return d;
  if (reply.size() < 51) return shortOrStatus<GetReply>(reply);
  const std::uint8_t* p = reply.data();
  d.result = statusOf(reply);
  d.body = GetReply{loadU32(p + 3),  loadU32(p + 11), loadU32(p + 15), loadU64(p + 19),
                    loadU64(p + 27), loadU64(p + 35), loadU64(p + 43)};
  return d;
}

Decoded<ExecStatus> decodeExecReply(WireBytes reply, std::uint8_t requestOp,
                                    std::size_t bufferSize) {
  Decoded<ExecStatus> d;
  if (requestOp != FTM_EXEC && requestOp != FTM_EXEC_STATUS) {
    d.result = FTERR_PROTOCOL;
    return d;
  }
  if ((d.result = checkReply(reply, requestOp, bufferSize)) != FT_OK) return d;
  if (reply.size() < 31) return shortOrStatus<ExecStatus>(reply);
  const std::uint8_t* p = reply.data();
  d.result = statusOf(reply);
  d.body = ExecStatus{loadU32(p + 11), loadU32(p + 15), loadU32(p + 19), loadU32(p + 23),
                      loadU32(p + 27)};
  return d;
}

Decoded<FolderSize> decodeFolderSizeReply(WireBytes reply) {
  Decoded<FolderSize> d;
  if ((d.result = checkReply(reply, FTM_FOLDER_SIZE, 27)) != FT_OK) return d;
  if (reply.size() < 27) return shortOrStatus<FolderSize>(reply);
  const std::uint8_t* p = reply.data();
  d.result = statusOf(reply);
  d.body = FolderSize{loadU32(p + 11), loadU32(p + 15), loadU64(p + 19)};
  return d;
}

Decoded<DriveEntry> decodeDriveInfoReply(WireBytes reply) {
  Decoded<DriveEntry> d;
  if ((d.result = checkReply(reply, FTM_DRIVE_INFO, 427)) != FT_OK) return d;
  DriveEntry entry;
  if (decodeDriveEntry(reply.subspan(kStatusEnd), entry) == 0) {
    return shortOrStatus<DriveEntry>(reply);
  }
  d.result = statusOf(reply);
  d.body = std::move(entry);
  return d;
}

Decoded<IconReply> decodeIconReply(WireBytes reply, std::size_t bufferSize) {
  Decoded<IconReply> d;
  if ((d.result = checkReply(reply, FTM_ICON, bufferSize)) != FT_OK) return d;
  // Header, flag, four sizes and the undefined last byte.
  if (reply.size() < 22) return shortOrStatus<IconReply>(reply);
  const std::uint8_t* p = reply.data();
  IconReply icon;
  icon.packed = loadU16(p + 11) == 1;
  for (int i = 0; i < 4; ++i)
    icon.sizes[i] = loadU16(p + 13 + 2 * i);
  icon.image = reply.subspan(21, reply.size() - 22);
  d.result = statusOf(reply);
  d.body = icon;
  return d;
}

Decoded<ListingReply> decodeListingReply(WireBytes reply, EntryKind kind, std::size_t bufferSize) {
  Decoded<ListingReply> d;
  if (reply.size() < kStatusEnd || loadU16(reply.data() + 1) != reply.size()) {
    d.result = FTERR_PROTOCOL;
    return d;
  }
  if (reply.size() > bufferSize) {
    d.result = FTERR_RECEIVE;
    return d;
  }
  if (reply[0] != replyOp(FTM_ENUM) && reply[0] != replyOp(FTM_FIND)) {
    d.result = FTERR_PROTOCOL;
    return d;
  }
  const std::int32_t status = statusOf(reply);
  if (status != FT_OK && status != FTERR_MORE) {
    d.result = status;
    return d;
  }
  // Entries fill the bytes from 19 up to the undefined last byte, exactly.
  if (reply.size() < 20) {
    d.result = FTERR_PROTOCOL;
    return d;
  }
  ListingReply listing;
  listing.status = status;
  WireBytes rest = reply.subspan(19, reply.size() - 20);
  while (!rest.empty()) {
    std::size_t used;
    if (kind == EntryKind::File) {
      FileEntry entry;
      used = decodeFileEntry(rest, entry);
      if (used != 0) listing.files.push_back(std::move(entry));
    } else {
      DriveEntry entry;
      used = decodeDriveEntry(rest, entry);
      if (used != 0) listing.drives.push_back(std::move(entry));
    }
    if (used == 0) {
      d.result = FTERR_PROTOCOL;
      return d;
    }
    rest = rest.subspan(used);
  }
  d.result = FT_OK;
  d.body = std::move(listing);
  return d;
}

}  // namespace zel::ftengine
