#include "ftengine/wire/ft_file_time.h"

#include <ctime>
#include <limits>

#include "ftengine/wire/byte_order.h"

namespace zel::ftengine {

std::optional<std::int64_t> unixSecondsOf(std::uint64_t fileTime) {
  if (fileTime < FT_FILETIME_UNIX_EPOCH) return std::nullopt;
  return static_cast<std::int64_t>((fileTime - FT_FILETIME_UNIX_EPOCH) / FT_FILETIME_PER_SECOND);
}

std::uint64_t fileTimeOf(std::int64_t unixSeconds) {
  return FT_FILETIME_UNIX_EPOCH + static_cast<std::uint64_t>(unixSeconds) * FT_FILETIME_PER_SECOND;
}

std::uint64_t toUnixPeerTime(std::uint64_t fileTime) {
  const auto utc = unixSecondsOf(fileTime);
  if (!utc) return fileTime;
  const std::time_t t = static_cast<std::time_t>(*utc);
  std::tm fields{};
  if (gmtime_r(&t, &fields) == nullptr) return fileTime;
  fields.tm_isdst = 0;
  const std::time_t local = mktime(&fields);
  if (local < 0 || local > static_cast<std::time_t>(std::numeric_limits<std::uint32_t>::max())) {
    return fileTime;
  }
  return (fileTime & 0xFFFFFFFF00000000ull) | static_cast<std::uint32_t>(local);
}

std::uint64_t fromUnixPeerTime(std::uint64_t wireTime) {
  const std::time_t t = static_cast<std::time_t>(wireTime & 0xFFFFFFFFu);
  std::tm fields{};
  if (localtime_r(&t, &fields) == nullptr) return wireTime;
  const std::time_t asUtc = timegm(&fields);
  if (asUtc < 0) return wireTime;
  return fileTimeOf(asUtc);
}

void convertEntryTimesFromUnixPeer(std::span<std::uint8_t> fileEntryRecord) {
  if (fileEntryRecord.size() < 28) return;
  for (std::size_t offset : {4u, 12u, 20u}) {
    std::uint8_t* p = fileEntryRecord.data() + offset;
    wire::storeU64(p, fromUnixPeerTime(wire::loadU64(p)));
  }
}

}  // namespace zel::ftengine
