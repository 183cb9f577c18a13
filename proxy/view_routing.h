// Where a body received on the view link goes. A body that starts with the
// routing byte 0xBD names its channel in byte 3; any other body belongs to
// channel 0. Channel 4 carries records for the proxy itself, chosen by the
// sub-code in byte 4:
//   1     names update: u16 record length at bytes 1..2, then from byte 5 the
//         agent's machine name and the logged-on user's name, each ended by
//         NUL; bytes after the record go to channel 4;
//   3, 4  log records: a sequence of records (0xBD, u16 length, channel 4,
//         sub-code, two spare bytes, u32 message flags, text ended by NUL)
//         that ends at a record whose channel byte is not 4 or at the end of
//         the body;
//   other dropped.
// Bodies naming channel 7 or more, and routed bodies too short to hold their
// channel byte (or channel 4's sub-code), are dropped.
//
// Nothing is read outside the body: a length field that points past the end
// is cut to the body, a string without its NUL ends at its record's end, and
// a log record whose length cannot hold its header ends the sequence.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zel::proxy {

inline constexpr uint8_t kRoutingByte = 0xBD;

struct AgentLogRecord {
  uint32_t flags = 0;
  std::string text;
};

struct RoutedBody {
  enum class Kind {
    kChannel,      // `body` goes to `channel`
    kNamesUpdate,  // `machineName`, `userName`; `body` (may be empty) to channel 4
    kLogRecords,   // `records` go into the session log
    kDropped,
  };
  Kind kind = Kind::kDropped;
  int channel = 0;
  std::span<const uint8_t> body;
  std::string machineName;
  std::string userName;
  std::vector<AgentLogRecord> records;
};

RoutedBody routeViewBody(std::span<const uint8_t> body);

}  // namespace zel::proxy
