// zelagent: runs the reference agent until interrupted.
//
//   zelagent [--address A] [--port P] [--version V] [--os-type T] [--flags F]
//            [--machine NAME] [--user NAME] [--busy] [--in-use N]
//            [--rights R] [--user-security S] [--code-page C]
//
// Numbers may be given in decimal or with 0x in hexadecimal.
#include <signal.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "refagent/reference_agent.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: zelagent [--address A] [--port P] [--version V] [--os-type T]\n"
               "                [--flags F] [--machine NAME] [--user NAME] [--busy]\n"
               "                [--in-use N] [--rights R] [--user-security S] [--code-page C]\n");
}

bool readNumber(const char* text, unsigned long max, unsigned long& out) {
  errno = 0;
  char* end = nullptr;
  unsigned long value = std::strtoul(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || value > max) return false;
  out = value;
  return true;
}

bool parse(int argc, char** argv, zel::refagent::AgentOptions& options) {
  auto& p = options.profile;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--busy") {
      p.busy = true;
      continue;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    unsigned long n = 0;
    if (arg == "--address") {
      options.address = value;
    } else if (arg == "--machine") {
      p.machineName = value;
    } else if (arg == "--user") {
      p.userName = value;
    } else if (!readNumber(value, 0xFFFFFFFFul, n)) {
      return false;
    } else if (arg == "--port" && n <= 0xFFFF) {
      options.port = static_cast<uint16_t>(n);
    } else if (arg == "--version" && n <= 0xFFFF) {
      p.version = static_cast<uint16_t>(n);
    } else if (arg == "--os-type" && n <= 0xFFFF) {
      p.osType = static_cast<uint16_t>(n);
    } else if (arg == "--flags") {
      p.flags = static_cast<uint32_t>(n);
    } else if (arg == "--in-use" && n <= 0xFFFF) {
      p.inUse = static_cast<uint16_t>(n);
    } else if (arg == "--rights") {
      p.rights = static_cast<uint32_t>(n);
    } else if (arg == "--user-security" && n <= 0xFF) {
      p.userSecurity = static_cast<uint8_t>(n);
    } else if (arg == "--code-page" && n <= 0xFFFF) {
      p.codePage = static_cast<uint16_t>(n);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  zel::refagent::AgentOptions options;
  if (!parse(argc, argv, options)) {
    usage();
    return 2;
  }
  // The signals are taken by sigwait below, so they are blocked before any
  // thread starts and every thread inherits the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  zel::refagent::ReferenceAgent agent(options);
  std::string error;
  if (!agent.start(&error)) {
    std::fprintf(stderr, "zelagent: cannot listen on %s:%u: %s\n", options.address.c_str(),
                 options.port, error.c_str());
    return 1;
  }
  std::printf("zelagent: listening on %s:%u\n", agent.address().c_str(), agent.port());
  std::fflush(stdout);
  int received = 0;
  sigwait(&signals, &received);
  agent.stop();
  std::printf("zelagent: stopped\n");
  return 0;
}
