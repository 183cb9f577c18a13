// The IPv4 addresses of this machine, so that a session to the console's own
// machine can be refused.
#pragma once

#include <cstdint>
#include <vector>

namespace zel::system {

// Every IPv4 address assigned to one of this machine's network interfaces
// (loopback included), in host byte order (127.0.0.1 is 0x7F000001), without
// duplicates. Only assigned addresses count: 127.0.0.2 reaches this machine
// but is not one of its addresses unless an interface holds it.
std::vector<std::uint32_t> localIpv4Addresses();

// True when `hostOrderAddress` is one of localIpv4Addresses().
bool isLocalIpv4Address(std::uint32_t hostOrderAddress);

}  // namespace zel::system
