// A second tool process for the transport tests. Commands:
//   open <address list> <channel>  opens a handle, prints "open <code>", then
//                                  obeys lines on standard input: "close"
//                                  closes it and prints "closed"; "exit" or
//                                  the end of input leaves without closing.
//   watch <ms>                     waits that long for the disconnect event
//                                  and prints "pulsed" or "quiet".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/kernel/event.h"
#include "platform/kernel/wait.h"
#include "shared/object_names.h"
#include "transport/zellink.h"

namespace {

int runOpen(const char* address, int32_t channel) {
  int32_t code = 99;
  ClientHandle handle = GetClientHandleEx(address, channel, 0, &code);
  std::printf("open %d\n", code);
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line == "close") {
      CloseClientHandle(handle);
      std::printf("closed\n");
      std::fflush(stdout);
    } else if (line == "exit") {
      break;
    }
  }
  std::_Exit(0);  // leaves like a crashed tool: nothing is closed
}

int runWatch(uint32_t milliseconds) {
  const zel::kernel::Handle event = zel::kernel::create_event(
      zel::kernel::EventReset::kManual, false, zel::shared::kDisconnectedEventName);
  std::printf("watching\n");
  std::fflush(stdout);
  const zel::kernel::WaitResult result = zel::kernel::wait_one(event, milliseconds);
  std::printf(result.status == zel::kernel::WaitStatus::kSignalled ? "pulsed\n" : "quiet\n");
  std::fflush(stdout);
  zel::kernel::close_handle(event);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "open") == 0) {
    return runOpen(argv[2], static_cast<int32_t>(std::atoi(argv[3])));
  }
  if (argc == 3 && std::strcmp(argv[1], "watch") == 0) {
    return runWatch(static_cast<uint32_t>(std::atoi(argv[2])));
  }
  std::fprintf(stderr, "usage: open <address> <channel> | watch <ms>\n");
  return 2;
}
