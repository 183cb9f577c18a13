// Runs every decoder of the file-transfer messages over arbitrary bytes: the
// input is cut into messages by their length fields, as a receiver does, and
// each message goes through routing, every reply decoder, the listing
// decoder for both entry kinds, the icon image unpacker and bitmap records,
// and the data-stream checker.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "ftengine/wire/ft_icon_image.h"
#include "ftengine/wire/ft_protocol.h"
#include "ftengine/wire/ft_replies.h"
#include "ftengine/wire/ft_stream_messages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using namespace zel::ftengine;

void checkSpanInside(std::span<const std::uint8_t> inner, std::span<const std::uint8_t> outer) {
  if (inner.empty()) return;
  if (inner.data() < outer.data() || inner.data() + inner.size() > outer.data() + outer.size()) {
    std::abort();
  }
}

void decodeAll(std::span<const std::uint8_t> m, DataStreamChecker& checker) {
  (void)routeOf(m);
  for (std::uint8_t op : {FTM_DELETE, FTM_RENAME, FTM_MKDIR, FTM_NOTIFY_CANCEL, FTM_COPY}) {
    (void)decodeStatusReply(m, op);
  }
  for (std::uint8_t op : {FTM_NOTIFY, FTM_ATTRIB, FTM_SEND})
    (void)decodeValueReply(m, op);
  (void)decodeOpenReply(m, 32768);
  (void)decodeCloseReply(m, 32768);
  (void)decodeGetReply(m);
  (void)decodeExecReply(m, FTM_EXEC, 32768);
  (void)decodeExecReply(m, FTM_EXEC_STATUS, 32768);
  (void)decodeFolderSizeReply(m);
  auto drive = decodeDriveInfoReply(m);
  if (drive.body) checkSpanInside(drive.body->record, m);
  auto icon = decodeIconReply(m, 32768);
  if (icon.body) {
    checkSpanInside(icon.body->image, m);
    IconImage image = unpackIconImage(icon.body->image);
    if (image.bytes.size() > FT_ICON_IMAGE_LIMIT) std::abort();
    std::span<const std::uint8_t> area(image.bytes);
    for (int i = 0; i < 4; ++i) {
      IconBitmap bmp;
      std::size_t used = decodeIconBitmap(area, bmp);
      if (used == 0) break;
      checkSpanInside(bmp.pixels, area);
      area = area.subspan(used);
    }
  }
  auto files = decodeListingReply(m, EntryKind::File, 32768);
  if (files.body) {
    for (const auto& e : files.body->files)
      checkSpanInside(e.record, m);
  }
  auto drives = decodeListingReply(m, EntryKind::Drive, 32768);
  if (drives.body) {
    for (const auto& e : drives.body->drives)
      checkSpanInside(e.record, m);
  }
  if (checker.take(m) == DataStreamChecker::Step::Payload) checkSpanInside(checker.payload(), m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> rest(data, size);
  DataStreamChecker checker;
  // The whole input once as it is, then message by message.
  decodeAll(rest, checker);
  while (true) {
    std::span<const std::uint8_t> m = cutMessage(rest);
    if (m.empty()) break;
    decodeAll(m, checker);
    rest = rest.subspan(m.size());
  }
  return 0;
}
