#include "platform/system/local_addresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <algorithm>

namespace zel::system {

std::vector<std::uint32_t> localIpv4Addresses() {
  std::vector<std::uint32_t> addresses;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET) continue;
    sockaddr_in address{};
    std::copy_n(reinterpret_cast<const unsigned char*>(entry->ifa_addr), sizeof address,
                reinterpret_cast<unsigned char*>(&address));
    std::uint32_t value = ntohl(address.sin_addr.s_addr);
    if (std::find(addresses.begin(), addresses.end(), value) == addresses.end()) {
      addresses.push_back(value);
    }
  }
  freeifaddrs(list);
  return addresses;
}

bool isLocalIpv4Address(std::uint32_t hostOrderAddress) {
  std::vector<std::uint32_t> addresses = localIpv4Addresses();
  return std::find(addresses.begin(), addresses.end(), hostOrderAddress) != addresses.end();
}

}  // namespace zel::system
