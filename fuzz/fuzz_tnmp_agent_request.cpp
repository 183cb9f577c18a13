// The reference agent's side of the request link: its frame reader over a
// socket pair, then its answers to every request it read.
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "refagent/agent_answers.h"
#include "refagent/agent_wire.h"

namespace {

void answerAll(const std::vector<uint8_t>& request) {
  zel::refagent::AgentProfile profile;
  zel::refagent::NegotiationSeen seen;
  zel::refagent::classifyRequest(request);
  zel::refagent::answerQuery(profile, request);
  zel::refagent::answerNegotiation(profile, request, seen);
  zel::refagent::answerEndSession(request);
  zel::refagent::answerOther(request);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Stays below the socket buffer so that the write never blocks.
  size = std::min<size_t>(size, 60000);
  answerAll(std::vector<uint8_t>(data, data + size));

  int fds[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return 0;
  int stop = eventfd(0, EFD_CLOEXEC);
  int one = 1 << 18;
  setsockopt(fds[0], SOL_SOCKET, SO_SNDBUF, &one, sizeof one);
  if (size > 0 && write(fds[0], data, size) < 0) size = 0;
  close(fds[0]);  // the reader sees the end after the bytes
  std::vector<uint8_t> request;
  while (zel::refagent::readRequest(fds[1], stop, request) == zel::refagent::ReadOutcome::Request) {
    answerAll(request);
  }
  close(fds[1]);
  close(stop);
  return 0;
}
