#include "ftengine/wire/ft_protocol.h"

#include "ftengine/wire/byte_order.h"

namespace zel::ftengine {

using wire::loadI32;
using wire::loadU16;
using wire::loadU32;

void writeHeader(std::span<std::uint8_t> message, const FtHeader& header) {
  std::uint8_t* p = message.data();
  const std::size_t size = message.size();
  if (size >= 1) p[0] = header.op;
  if (size >= 3) wire::storeU16(p + 1, header.length);
  if (size >= FT_MIN_MESSAGE) wire::storeU32(p + 3, header.session);
  if (size >= 11) wire::storeI32(p + 7, header.status);
  if (size >= FT_HEADER_SIZE) wire::storeU32(p + 11, header.ref);
}

FtHeader readHeader(std::span<const std::uint8_t> message) {
  FtHeader h;
  const std::uint8_t* p = message.data();
  h.op = p[0];
  h.length = loadU16(p + 1);
  h.session = loadU32(p + 3);
  if (message.size() >= 11) h.status = loadI32(p + 7);
  if (message.size() >= FT_HEADER_SIZE) h.ref = loadU32(p + 11);
  return h;
}

std::uint32_t capabilityBit(std::uint8_t requestOp) {
  switch (requestOp) {
    case FTM_ENUM:
      return FTCAP_ENUM;
    case FTM_DELETE:
      return FTCAP_DELETE;
    case FTM_RENAME:
      return FTCAP_RENAME;
    case FTM_MKDIR:
      return FTCAP_MKDIR;
    case FTM_EXEC:
      return FTCAP_EXEC;
    case FTM_EXEC_STATUS:
      return FTCAP_EXEC_STATUS;
    case FTM_GET:
      return FTCAP_GET;
    case FTM_SEND:
      return FTCAP_SEND;
    case FTM_NOTIFY:
      return FTCAP_NOTIFY;
    case FTM_NOTIFY_CANCEL:
      return FTCAP_NOTIFY_CANCEL;
    case FTM_COPY:
      return FTCAP_COPY;
    case FTM_ICON:
      return FTCAP_ICON;
    case FTM_ATTRIB:
      return FTCAP_ATTRIB;
    case FTM_FIND:
      return FTCAP_FIND;
    case FTM_FOLDER_SIZE:
      return FTCAP_FOLDER_SIZE;
    case FTM_DRIVE_INFO:
      return FTCAP_DRIVE_INFO;
    default:
      return 0;
  }
}

std::size_t replyRoom(std::uint8_t requestOp, std::size_t bufferSize) {
  switch (requestOp) {
    case FTM_OPEN:
    case FTM_CLOSE:
    case FTM_ENUM:
    case FTM_EXEC:
    case FTM_EXEC_STATUS:
    case FTM_ICON:
    case FTM_FIND:
      return bufferSize;
    case FTM_DELETE:
    case FTM_RENAME:
    case FTM_MKDIR:
    case FTM_NOTIFY_CANCEL:
    case FTM_COPY:
      return 12;
    case FTM_GET:
      return 51;
    case FTM_SEND:
    case FTM_NOTIFY:
    case FTM_ATTRIB:
      return 15;
    case FTM_FOLDER_SIZE:
      return 27;
    case FTM_DRIVE_INFO:
      return 427;
    default:
      return 0;
  }
}

std::span<const std::uint8_t> cutMessage(std::span<const std::uint8_t> received) {
  if (received.size() < FT_MIN_MESSAGE) return {};
  const std::size_t length = loadU16(received.data() + 1);
  if (length < FT_MIN_MESSAGE || length > received.size()) return {};
  return received.first(length);
}

MessageRoute routeOf(std::span<const std::uint8_t> message) {
  MessageRoute route;
  if (message.size() < FT_MIN_MESSAGE) {
    route.target = RouteTarget::Refused;
    return route;
  }
  const std::uint8_t* p = message.data();
  const bool hasRef = message.size() >= FT_HEADER_SIZE;
  switch (p[0]) {
    case FTM_DATA:
    case FTM_STATUS:
    case FTM_KEEPALIVE:
    case replyOp(FTM_ENUM):
    case replyOp(FTM_GET):
    case replyOp(FTM_SEND):
      route.target = RouteTarget::Transfer;
      route.tag = hasRef ? loadU32(p + 11) : 0;
      break;
    case replyOp(FTM_CHANGE):
      route.target = RouteTarget::SessionChange;
      route.tag = hasRef ? loadU32(p + 3) : 0;
      route.value = hasRef ? loadU32(p + 11) : 0;
      break;
    case replyOp(FTM_OPEN):
    case replyOp(FTM_CLOSE):
    case replyOp(FTM_DELETE):
    case replyOp(FTM_RENAME):
    case replyOp(FTM_MKDIR):
    case replyOp(FTM_EXEC):
    case replyOp(FTM_EXEC_STATUS):
    case replyOp(FTM_NOTIFY):
    case replyOp(FTM_NOTIFY_CANCEL):
    case replyOp(FTM_COPY):
    case replyOp(FTM_ICON):
    case replyOp(FTM_ATTRIB):
    case replyOp(FTM_FIND):
    case replyOp(FTM_FOLDER_SIZE):
    case replyOp(FTM_DRIVE_INFO):
      route.target = RouteTarget::SessionQueue;
      route.tag = loadU32(p + 3);
      break;
    default:
      return route;  // Ignored
  }
  if (route.tag == 0) route.target = RouteTarget::Refused;
  return route;
}

}  // namespace zel::ftengine
