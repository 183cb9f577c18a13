// The 24-byte agent address shared by the transport library and the proxy,
// its text forms and address lists.
//
// The first 16 bytes are the socket address of the family as the sockets use
// it: for IP the port and IPv4 address in network byte order, for IPX the
// network number (4 bytes), node (6 bytes) and socket (as stored).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::shared {

inline constexpr uint16_t kFamilyIp = 2;
inline constexpr uint16_t kFamilyIpx = 6;
inline constexpr int32_t kAddressKindIp = 1;
inline constexpr int32_t kAddressKindIpx = 2;

inline constexpr uint16_t kDefaultRequestPort = 1761;
// Stored socket bytes 0x81 0x38: socket 0x8138 in network order.
inline constexpr std::array<uint8_t, 2> kDefaultIpxSocket = {0x81, 0x38};
inline constexpr std::array<uint8_t, 2> kViewIpxSocket = {0x82, 0x38};

// Only this many characters of an address text are looked at.
inline constexpr size_t kAddressTextLimit = 81;
// A host name is cut at this many characters before it is looked up.
inline constexpr size_t kHostNameLimit = 160;
// An address list is cut at this many characters before it is split.
inline constexpr size_t kAddressListLimit = 256;
// Formatted texts need buffers longer than these (the NUL included).
inline constexpr size_t kFormattedIpMax = 15;
inline constexpr size_t kFormattedIpxMax = 21;

using Ipv4 = std::array<uint8_t, 4>;  // network byte order

struct ClientAddress {
  uint16_t family = 0;
  uint8_t sockaddrBody[14] = {};
  int32_t kind = 0;
  int32_t valid = 0;

  bool isValid() const { return valid == 1; }
  bool isIp() const { return kind == kAddressKindIp; }
  bool isIpx() const { return kind == kAddressKindIpx; }

  // IP fields.
  uint16_t port() const;  // host byte order
  void setPort(uint16_t port);
  Ipv4 ipv4() const;
  void setIpv4(const Ipv4& address);

  // IPX fields, in the order they are written in the text.
  std::array<uint8_t, 4> ipxNetwork() const;
  std::array<uint8_t, 6> ipxNode() const;
  std::array<uint8_t, 2> ipxSocket() const;  // as stored
  void setIpxSocket(const std::array<uint8_t, 2>& socket);

  static ClientAddress ip(const Ipv4& address, uint16_t port);
  static ClientAddress ipx(const std::array<uint8_t, 4>& network,
                           const std::array<uint8_t, 6>& node,
                           const std::array<uint8_t, 2>& socket = kDefaultIpxSocket);
};

static_assert(sizeof(ClientAddress) == 24);
static_assert(offsetof(ClientAddress, family) == 0);
static_assert(offsetof(ClientAddress, sockaddrBody) == 2);
static_assert(offsetof(ClientAddress, kind) == 16);
static_assert(offsetof(ClientAddress, valid) == 20);

// Looks a host name up and gives its first IPv4 address. Tests pass their own
// so that nothing depends on the machine's name service.
using HostResolver = std::function<std::optional<Ipv4>(const std::string& name)>;

// The system's host lookup (which also accepts dotted texts).
std::optional<Ipv4> resolveWithSystem(const std::string& name);

// Parses one address text; the result is not valid when the text is not an
// accepted form or its host name does not resolve.
ClientAddress parseClientAddress(std::string_view text, const HostResolver& resolve);
ClientAddress parseClientAddress(std::string_view text);

// Splits an address list at ";", skipping empty items.
std::vector<std::string> splitAddressList(std::string_view list);

// "a.b.c.d" for IP, "NNNNNNNN:NNNNNNNNNNNN" (upper case) for IPX, empty for
// an address that is not valid.
std::string formatClientAddress(const ClientAddress& address);

// The formatted text into a C buffer of `size` bytes. The text is written
// only when the buffer is longer than the longest text of the kind;
// otherwise, and for an invalid address, the buffer receives an empty string.
// Returns true when the text was written.
bool formatClientAddress(const ClientAddress& address, char* buffer, size_t size);

// Whether two addresses name the same agent: same kind, and for IP the same
// address and port, for IPX the same network, node and socket.
bool sameAgent(const ClientAddress& a, const ClientAddress& b);

// The view link's endpoint: the port plus 1 for IP, socket 0x8238 for IPX.
ClientAddress viewEndpoint(const ClientAddress& requestEndpoint);

}  // namespace zel::shared
