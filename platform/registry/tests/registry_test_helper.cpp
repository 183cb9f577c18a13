// A child process for the cross-process registry tests. Prints nothing; the
// exit code tells the outcome.
//
//   registry_test_helper write-numbers KEY PREFIX COUNT
//       writes HKLM KEY values PREFIX0..PREFIX<COUNT-1> = 0..COUNT-1, and the
//       value "Shared" each time; exit 0 when every write succeeded
//   registry_test_helper set-number KEY NAME NUMBER
//   registry_test_helper write-as-nobody KEY NAME EXPECTED
//       as user 65534 when started as root: reads NAME (must be EXPECTED),
//       then writes it; exit 0 when the write failed with "access denied"
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry/registry.h"

namespace {

using zel::registry::Hive;
using zel::registry::Status;

constexpr int kUsage = 2;
constexpr int kWriteFailed = 3;
constexpr int kWrongValue = 4;
constexpr int kNoPrivilegeDrop = 5;
constexpr int kWriteSucceeded = 6;

uint32_t toNumber(const std::string& text) {
  return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 10));
}

int writeNumbers(const std::string& key, const std::string& prefix, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i) {
    if (zel::registry::writeNumber(Hive::kLocalMachine, key, prefix + std::to_string(i), i) !=
        Status::kOk) {
      return kWriteFailed;
    }
    if (zel::registry::writeText(Hive::kLocalMachine, key, "Shared", prefix) != Status::kOk) {
      return kWriteFailed;
    }
  }
  return 0;
}

int writeAsNobody(const std::string& key, const std::string& name, uint32_t expected) {
  if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return kNoPrivilegeDrop;
  if (zel::registry::readNumber(Hive::kLocalMachine, key, name) != expected) return kWrongValue;
  const Status status = zel::registry::writeNumber(Hive::kLocalMachine, key, name, expected + 1);
  if (status == Status::kOk) return kWriteSucceeded;
  if (status != Status::kAccessDenied) return kWriteFailed;
  if (zel::registry::readNumber(Hive::kLocalMachine, key, name) != expected) return kWrongValue;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 4 && args[0] == "write-numbers") {
    return writeNumbers(args[1], args[2], toNumber(args[3]));
  }
  if (args.size() == 4 && args[0] == "set-number") {
    const Status status =
        zel::registry::writeNumber(Hive::kLocalMachine, args[1], args[2], toNumber(args[3]));
    return status == Status::kOk ? 0 : kWriteFailed;
  }
  if (args.size() == 4 && args[0] == "write-as-nobody") {
    return writeAsNobody(args[1], args[2], toNumber(args[3]));
  }
  return kUsage;
}
