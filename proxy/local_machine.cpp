#include "proxy/local_machine.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>

#include "platform/system/local_addresses.h"

namespace zel::proxy {

std::vector<uint32_t> hostNameAddresses() {
  std::array<char, 256> name{};
  if (gethostname(name.data(), name.size() - 1) != 0 || name[0] == '\0') return {};
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  if (getaddrinfo(name.data(), nullptr, &hints, &list) != 0) return {};
  std::vector<uint32_t> addresses;
  for (addrinfo* entry = list; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
    sockaddr_in in{};
    std::copy_n(reinterpret_cast<const uint8_t*>(entry->ai_addr), sizeof in,
                reinterpret_cast<uint8_t*>(&in));
    uint32_t address = ntohl(in.sin_addr.s_addr);
    if (std::find(addresses.begin(), addresses.end(), address) == addresses.end()) {
      addresses.push_back(address);
    }
  }
  freeaddrinfo(list);
  return addresses;
}

bool isLocalMachine(const shared::ClientAddress& address) {
  if (!address.isIp()) return false;
  shared::Ipv4 bytes = address.ipv4();
  uint32_t hostOrder = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                       (uint32_t{bytes[2]} << 8) | uint32_t{bytes[3]};
  if (system::isLocalIpv4Address(hostOrder)) return true;
  std::vector<uint32_t> resolved = hostNameAddresses();
  return std::find(resolved.begin(), resolved.end(), hostOrder) != resolved.end();
}

}  // namespace zel::proxy
