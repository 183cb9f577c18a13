#include "ftengine/wire/ft_stream_messages.h"

#include "ftengine/pack/block_crc.h"
#include "ftengine/wire/byte_order.h"
#include "ftengine/wire/ft_protocol.h"

namespace zel::ftengine {

std::size_t finishDataBlock(std::span<std::uint8_t> block, std::size_t payloadSize,
                            const DataBlockFields& fields) {
  const std::size_t length = payloadSize + FT_DATA_OVERHEAD;
  if (length > FT_MAX_MESSAGE || length > block.size()) return 0;
  std::uint8_t* p = block.data();
  writeHeader(block, FtHeader{FTM_DATA, static_cast<std::uint16_t>(length), 0, fields.status,
                              fields.peerTag});
  wire::storeU32(p + 15, fields.flags);
  wire::storeU16(p + 19, fields.sequence);
  std::uint16_t crc = 0;
  if (fields.withCrc) crc = blockCrc16(block.subspan(FT_DATA_HEADER_SIZE, payloadSize));
  wire::storeU16(p + 21, crc);
  p[length - 1] = 0;
  return length;
}

namespace {

WireMessage shortMessage(std::size_t length, std::uint8_t op, std::uint32_t session,
                         std::int32_t status, std::uint32_t tag) {
  WireMessage m(length, 0);
  writeHeader(m, FtHeader{op, static_cast<std::uint16_t>(length), session, status, tag});
  return m;
}

}  // namespace

WireMessage encodeCancelBlock(std::uint32_t peerTag) {
  return shortMessage(FT_DATA_OVERHEAD, FTM_DATA, 0, FTERR_CANCELLED, peerTag);
}

WireMessage encodeKeepAlive(std::uint32_t peerTag) {
  return shortMessage(FT_HEADER_SIZE, FTM_KEEPALIVE, 0, 0, peerTag);
}

WireMessage encodeStatusMessage(std::uint32_t session, std::int32_t status, std::uint32_t peerTag) {
  return shortMessage(FT_HEADER_SIZE, FTM_STATUS, session, status, peerTag);
}

std::int32_t decodeStreamMessage(std::span<const std::uint8_t> message, StreamMessage& out) {
  if (message.size() < FT_HEADER_SIZE || wire::loadU16(message.data() + 1) != message.size()) {
    return FTERR_PROTOCOL;
  }
  const FtHeader h = readHeader(message);
  out = StreamMessage{};
  out.op = h.op;
  out.status = h.status;
  out.tag = h.ref;
  if (h.op == FTM_DATA) {
    if (message.size() < FT_DATA_OVERHEAD) return FTERR_PROTOCOL;
    const std::uint8_t* p = message.data();
    out.flags = wire::loadU32(p + 15);
    out.sequence = wire::loadU16(p + 19);
    out.crc = wire::loadU16(p + 21);
    out.payload = message.subspan(FT_DATA_HEADER_SIZE, message.size() - FT_DATA_OVERHEAD);
  }
  return FT_OK;
}

DataStreamChecker::Step DataStreamChecker::take(std::span<const std::uint8_t> message) {
  payload_ = {};
  if (failure_ != FT_OK || lastBlock_) {
    // Nothing belongs to a stream after its end.
    if (failure_ == FT_OK) failure_ = FTERR_UNEXPECTED;
    return Step::Failed;
  }
  StreamMessage m;
  if ((failure_ = decodeStreamMessage(message, m)) != FT_OK) return Step::Failed;
  if (m.op == FTM_KEEPALIVE) return Step::KeepAlive;
  if (m.status != FT_OK && m.status != FTERR_MORE) {
    failure_ = m.status;
    return Step::Failed;
  }
  if (m.op != FTM_DATA) {
    failure_ = FTERR_UNEXPECTED;
    return Step::Failed;
  }
  if (m.crc != 0 && blockCrc16(m.payload) != m.crc) {
    failure_ = FTERR_CRC;
    return Step::Failed;
  }
  if (m.sequence != nextSequence_) {
    failure_ = FTERR_SEQUENCE;
    return Step::Failed;
  }
  ++nextSequence_;
  flags_ = m.flags;
  payload_ = m.payload;
  lastBlock_ = m.status == FT_OK;
  return Step::Payload;
}

}  // namespace zel::ftengine
