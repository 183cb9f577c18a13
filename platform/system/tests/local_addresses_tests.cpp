#include "platform/system/local_addresses.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zel::system {
namespace {

constexpr std::uint32_t kLoopback = 0x7F000001;   // 127.0.0.1
constexpr std::uint32_t kLoopback2 = 0x7F000002;  // 127.0.0.2, reachable, not assigned

TEST(LocalAddresses, AssignedAddressesOnly) {
  std::vector<std::uint32_t> addresses = localIpv4Addresses();
  EXPECT_NE(std::find(addresses.begin(), addresses.end(), kLoopback), addresses.end());
  EXPECT_EQ(std::find(addresses.begin(), addresses.end(), kLoopback2), addresses.end());
  EXPECT_TRUE(isLocalIpv4Address(kLoopback));
  EXPECT_FALSE(isLocalIpv4Address(kLoopback2));
  EXPECT_FALSE(isLocalIpv4Address(0x0A0B0C0D));  // 10.11.12.13
}

TEST(LocalAddresses, NoDuplicates) {
  std::vector<std::uint32_t> addresses = localIpv4Addresses();
  std::sort(addresses.begin(), addresses.end());
  EXPECT_EQ(std::adjacent_find(addresses.begin(), addresses.end()), addresses.end());
}

}  // namespace
}  // namespace zel::system
