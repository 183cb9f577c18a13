// zelquery: opens the session-information channel of an agent through zellink
// (starting the proxy when needed), sends the agent query as a transaction,
// prints what the agent answered and the session's figures, then closes.
//
//   zelquery ADDRESS [--channel N] [--timeout MS]
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "shared/agent_requests.h"
#include "transport/zellink.h"

namespace {

void usage() {
  std::fprintf(stderr,
               "usage: zelquery ADDRESS [--channel N] [--timeout MS]\n"
               "  ADDRESS  agent address, e.g. 127.0.0.2, host:1761 or an address list a;b\n");
}

bool readNumber(const char* text, long min, long max, long& out) {
  errno = 0;
  char* end = nullptr;
  long value = std::strtol(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || value < min || value > max) return false;
  out = value;
  return true;
}

std::string errorText(int32_t code) {
  char text[512] = {};
  GetTNMPErrorMessage(code, text, sizeof text);
  return text;
}

int query(ClientHandle handle, int32_t timeoutMs) {
  std::vector<uint8_t> buffer(8192);
  std::vector<uint8_t> request = zel::shared::encodeAgentQuery();
  std::memcpy(buffer.data(), request.data(), request.size());
  int32_t length = MakeRequestToUser(handle, buffer.data(), static_cast<int32_t>(request.size()),
                                     static_cast<int32_t>(buffer.size()), timeoutMs);
  if (length <= 0) {
    std::fprintf(stderr, "zelquery: the agent did not answer the query\n");
    return 1;
  }
  auto reply = zel::shared::decodeAgentQueryReply(
      std::span<const uint8_t>(buffer.data(), static_cast<size_t>(length)));
  if (!reply) {
    std::fprintf(stderr, "zelquery: the agent's answer could not be read\n");
    return 1;
  }
  std::printf("agent answered (%d bytes)%s\n", length, reply->busy ? ": busy" : "");
  std::printf("  version        0x%04X\n", reply->version);
  std::printf("  OS type        %u\n", reply->osType);
  std::printf("  flags          0x%08X\n", reply->flags);
  std::printf("  code page      %u\n", reply->codePage);
  std::printf("  architecture   %u\n", reply->architecture);
  if (reply->inUseReported) std::printf("  in use         %u\n", reply->inUse);
  if (reply->hasNames) {
    std::printf("  machine        %s\n", reply->machineName.c_str());
    std::printf("  user           %s\n", reply->userName.c_str());
  }
  return 0;
}

void printSessionFigures(ClientHandle handle) {
  char address[64] = {};
  if (GetClientAddrString(handle, address, sizeof address) == 1) {
    std::printf("session with %s\n", address);
  }
  ZelSessionInfoRecord info{};
  if (GetSessionInfo(handle, &info) == 1) {
    std::printf("  session age    %u ms\n", info.elapsedMs);
    std::printf("  sends          %u (%u bytes)\n", info.sendRequests, info.bytesSent);
    std::printf("  deliveries     %u (%u bytes)\n", info.messagesDelivered, info.bytesDelivered);
  }
  uint32_t tick = 0;
  uint32_t flags = 0;
  char text[512];
  while (ReadLogMessage(handle, &tick, &flags, text, sizeof text) >= 0) {
    std::printf("  log [%08X] %s\n", flags, text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    usage();
    return 2;
  }
  const char* address = argv[1];
  long channel = 4;
  long timeoutMs = 10000;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (i + 1 >= argc) {
      usage();
      return 2;
    }
    const char* value = argv[++i];
    if (arg == "--channel" && readNumber(value, 0, 6, channel)) continue;
    if (arg == "--timeout" && readNumber(value, 1, 600000, timeoutMs)) continue;
    usage();
    return 2;
  }

  int32_t error = 0;
  ClientHandle handle = GetClientHandleEx(address, static_cast<int32_t>(channel), 0, &error);
  if (handle == nullptr) {
    std::fprintf(stderr, "zelquery: %s (error %d)\n", errorText(error).c_str(), error);
    return 1;
  }
  int result = query(handle, static_cast<int32_t>(timeoutMs));
  printSessionFigures(handle);
  CloseClientHandle(handle);
  return result;
}
