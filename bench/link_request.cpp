// Round trips of an agent query: through zellink and the proxy
// (MakeRequestToUser) and, as the baseline, over a TCP connection of this
// process straight to the same reference agent.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "refagent/reference_agent.h"
#include "shared/agent_requests.h"
#include "shared/tnmp_exchange.h"
#include "transport/zellink.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWarmUp = 200;
constexpr int kRounds = 5000;
constexpr const char* kAddress = "127.78.0.2";

double medianMicroseconds(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

template <typename RoundTrip>
std::vector<double> measure(RoundTrip&& roundTrip) {
  std::vector<double> samples;
  samples.reserve(kRounds);
  for (int i = 0; i < kWarmUp + kRounds; ++i) {
    const auto start = Clock::now();
    if (!roundTrip()) {
      std::fprintf(stderr, "round trip %d failed\n", i);
      std::exit(1);
    }
    const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
    if (i >= kWarmUp) samples.push_back(spent.count());
  }
  return samples;
}

int connectDirect() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(1761);
  inet_pton(AF_INET, kAddress, &address.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return -1;
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
  return fd;
}

}  // namespace

int main() {
  zel::refagent::AgentOptions options;
  options.address = kAddress;
  zel::refagent::ReferenceAgent agent(options);
  std::string error;
  if (!agent.start(&error)) {
    std::fprintf(stderr, "agent: %s\n", error.c_str());
    return 1;
  }
  const std::vector<uint8_t> query = zel::shared::encodeAgentQuery();

  int32_t code = 0;
  ClientHandle handle = GetClientHandleEx(kAddress, ZEL_CHANNEL_CHAT, 0, &code);
  if (handle == nullptr) {
    std::fprintf(stderr, "open failed: %d\n", code);
    return 1;
  }
  std::vector<uint8_t> buffer(8192);
  const std::vector<double> throughProxy = measure([&] {
    std::copy(query.begin(), query.end(), buffer.begin());
    return MakeRequestToUser(handle, buffer.data(), static_cast<int32_t>(query.size()),
                             static_cast<int32_t>(buffer.size()), 10000) > 0;
  });
  CloseClientHandle(handle);

  const int fd = connectDirect();
  if (fd < 0) {
    std::fprintf(stderr, "direct connect failed\n");
    return 1;
  }
  std::vector<uint8_t> reply(8192);
  const std::vector<double> direct = measure([&] {
    return zel::shared::exchangeTnmp(fd, query, reply, 10000).status ==
           zel::shared::TnmpExchangeStatus::Ok;
  });
  close(fd);

  const double proxied = medianMicroseconds(throughProxy);
  const double baseline = medianMicroseconds(direct);
  std::printf("agent query round trip, %d rounds each\n", kRounds);
  std::printf("  direct TCP:          median %8.1f us\n", baseline);
  std::printf("  zellink + zelrelay:  median %8.1f us\n", proxied);
  std::printf("  ratio: %.2fx (goal at most 1.5x)\n", proxied / baseline);
  return 0;
}
