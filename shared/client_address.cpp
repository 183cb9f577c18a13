#include "shared/client_address.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstring>

namespace zel::shared {

namespace {

constexpr size_t kIpxNetworkDigits = 8;
constexpr size_t kIpxNodeDigits = 12;
constexpr size_t kPortSuffixLength = 5;  // ":" and four digits

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads 2 * out.size() hexadecimal digits into out; false on any other
// character.
template <size_t N>
bool readHexBytes(std::string_view digits, std::array<uint8_t, N>& out) {
  if (digits.size() != 2 * N) return false;
  for (size_t i = 0; i < N; ++i) {
    int hi = hexValue(digits[2 * i]);
    int lo = hexValue(digits[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<uint8_t>(hi * 16 + lo);
  }
  return true;
}

// A decimal number made only of digits, not above `max`.
std::optional<uint32_t> readDecimal(std::string_view digits, uint32_t max) {
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    if (!isDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<uint32_t>(c - '0');
    if (value > max) return std::nullopt;
  }
  return value;
}

ClientAddress parseIpx(std::string_view text) {
  std::array<uint8_t, 4> network{};
  std::array<uint8_t, 6> node{};
  if (text.size() < kIpxNetworkDigits + 1 + kIpxNodeDigits || text[kIpxNetworkDigits] != ':') {
    return {};
  }
  if (!readHexBytes(text.substr(0, kIpxNetworkDigits), network) ||
      !readHexBytes(text.substr(kIpxNetworkDigits + 1, kIpxNodeDigits), node)) {
    return {};
  }
  std::string_view rest = text.substr(kIpxNetworkDigits + 1 + kIpxNodeDigits);
  std::array<uint8_t, 2> socket = kDefaultIpxSocket;
  if (!rest.empty()) {
    if (rest[0] != '#') return {};
    auto number = readDecimal(rest.substr(1), 0xFFFF);
    if (!number) return {};
    // The number goes into the field as it is, without a byte swap.
    socket = {static_cast<uint8_t>(*number & 0xFF), static_cast<uint8_t>(*number >> 8)};
  }
  return ClientAddress::ipx(network, node, socket);
}

enum class DottedResult { Address, NotDotted, Invalid };

// A text of digits, "." and ":" whose "."-separated parts are each read as a
// decimal number (the digits a part starts with). Four parts with a fourth
// part other than 0 are an address; any part above 255 makes the text
// invalid; everything else goes the host-name way.
DottedResult parseDotted(std::string_view text, Ipv4& out) {
  for (char c : text) {
    if (!isDigit(c) && c != '.' && c != ':') return DottedResult::NotDotted;
  }
  std::vector<uint32_t> parts;
  bool emptyPart = false;
  size_t start = 0;
  while (true) {
    size_t dot = text.find('.', start);
    std::string_view part =
        text.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
    size_t digits = 0;
    while (digits < part.size() && isDigit(part[digits]))
      ++digits;
    if (digits == 0) {
      emptyPart = true;
      parts.push_back(0);
    } else {
      auto value = readDecimal(part.substr(0, digits), 255);
      if (!value) return DottedResult::Invalid;
      parts.push_back(*value);
    }
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  if (emptyPart || parts.size() != 4 || parts[3] == 0) return DottedResult::NotDotted;
  for (size_t i = 0; i < 4; ++i)
    out[i] = static_cast<uint8_t>(parts[i]);
  return DottedResult::Address;
}

ClientAddress parseHostName(std::string_view text, const HostResolver& resolve) {
  uint16_t port = kDefaultRequestPort;
  size_t colon = text.find(':');
  std::string_view name = text.substr(0, colon);
  if (colon != std::string_view::npos) {
    // The kind rule admits only ":" followed by four characters here.
    auto number = readDecimal(text.substr(colon + 1), 0xFFFF);
    if (!number || *number == 0) return {};
    port = static_cast<uint16_t>(*number);
  }
  if (name.size() > kHostNameLimit) name = name.substr(0, kHostNameLimit);
  if (name.empty() || !resolve) return {};
  auto resolved = resolve(std::string(name));
  if (!resolved) return {};
  return ClientAddress::ip(*resolved, port);
}

}  // namespace

uint16_t ClientAddress::port() const {
  return static_cast<uint16_t>((sockaddrBody[0] << 8) | sockaddrBody[1]);
}

void ClientAddress::setPort(uint16_t value) {
  sockaddrBody[0] = static_cast<uint8_t>(value >> 8);
  sockaddrBody[1] = static_cast<uint8_t>(value);
}

Ipv4 ClientAddress::ipv4() const {
  return {sockaddrBody[2], sockaddrBody[3], sockaddrBody[4], sockaddrBody[5]};
}

void ClientAddress::setIpv4(const Ipv4& address) {
  std::memcpy(&sockaddrBody[2], address.data(), address.size());
}

std::array<uint8_t, 4> ClientAddress::ipxNetwork() const {
  return {sockaddrBody[0], sockaddrBody[1], sockaddrBody[2], sockaddrBody[3]};
}

std::array<uint8_t, 6> ClientAddress::ipxNode() const {
  std::array<uint8_t, 6> node{};
  std::memcpy(node.data(), &sockaddrBody[4], node.size());
  return node;
}

std::array<uint8_t, 2> ClientAddress::ipxSocket() const {
  return {sockaddrBody[10], sockaddrBody[11]};
}

void ClientAddress::setIpxSocket(const std::array<uint8_t, 2>& socket) {
  sockaddrBody[10] = socket[0];
  sockaddrBody[11] = socket[1];
}

ClientAddress ClientAddress::ip(const Ipv4& address, uint16_t port) {
  ClientAddress a;
  a.family = kFamilyIp;
  a.setPort(port);
  a.setIpv4(address);
  a.kind = kAddressKindIp;
  a.valid = 1;
  return a;
}

ClientAddress ClientAddress::ipx(const std::array<uint8_t, 4>& network,
                                 const std::array<uint8_t, 6>& node,
                                 const std::array<uint8_t, 2>& socket) {
  ClientAddress a;
  a.family = kFamilyIpx;
  std::memcpy(&a.sockaddrBody[0], network.data(), network.size());
  std::memcpy(&a.sockaddrBody[4], node.data(), node.size());
  a.setIpxSocket(socket);
  a.kind = kAddressKindIpx;
  a.valid = 1;
  return a;
}

std::optional<Ipv4> resolveWithSystem(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(name.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) {
    return std::nullopt;
  }
  std::optional<Ipv4> result;
  for (addrinfo* ai = found; ai != nullptr; ai = ai->ai_next) {
    if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in sin;
      std::memcpy(&sin, ai->ai_addr, sizeof sin);
      Ipv4 address;
      std::memcpy(address.data(), &sin.sin_addr, address.size());
      result = address;
      break;
    }
  }
  freeaddrinfo(found);
  return result;
}

ClientAddress parseClientAddress(std::string_view text, const HostResolver& resolve) {
  if (text.size() > kAddressTextLimit) text = text.substr(0, kAddressTextLimit);
  size_t colon = text.find(':');
  if (colon != std::string_view::npos && text.size() - colon != kPortSuffixLength) {
    return parseIpx(text);
  }
  Ipv4 dotted{};
  switch (parseDotted(text, dotted)) {
    case DottedResult::Address:
      // The port of a directly taken dotted address is always the default.
      return ClientAddress::ip(dotted, kDefaultRequestPort);
    case DottedResult::Invalid:
      return {};
    case DottedResult::NotDotted:
      break;
  }
  return parseHostName(text, resolve);
}

ClientAddress parseClientAddress(std::string_view text) {
  return parseClientAddress(text, resolveWithSystem);
}

std::vector<std::string> splitAddressList(std::string_view list) {
  if (list.size() > kAddressListLimit) list = list.substr(0, kAddressListLimit);
  std::vector<std::string> items;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string_view::npos) end = list.size();
    if (end > start) items.emplace_back(list.substr(start, end - start));
    start = end + 1;
  }
  return items;
}

std::string formatClientAddress(const ClientAddress& address) {
  char text[32];
  return formatClientAddress(address, text, sizeof text) ? std::string(text) : std::string();
}

bool formatClientAddress(const ClientAddress& address, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return false;
  buffer[0] = '\0';
  if (!address.isValid()) return false;
  if (address.isIp()) {
    if (size <= kFormattedIpMax) return false;
    Ipv4 ip = address.ipv4();
    std::snprintf(buffer, size, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
    return true;
  }
  if (address.isIpx()) {
    if (size <= kFormattedIpxMax) return false;
    auto net = address.ipxNetwork();
    auto node = address.ipxNode();
    std::snprintf(buffer, size, "%02X%02X%02X%02X:%02X%02X%02X%02X%02X%02X", net[0], net[1], net[2],
                  net[3], node[0], node[1], node[2], node[3], node[4], node[5]);
    return true;
  }
  return false;
}

bool sameAgent(const ClientAddress& a, const ClientAddress& b) {
  if (a.kind != b.kind) return false;
  if (a.isIp()) return a.ipv4() == b.ipv4() && a.port() == b.port();
  if (a.isIpx()) return std::memcmp(a.sockaddrBody, b.sockaddrBody, 12) == 0;
  return false;
}

ClientAddress viewEndpoint(const ClientAddress& requestEndpoint) {
  ClientAddress view = requestEndpoint;
  if (view.isIp()) {
    view.setPort(static_cast<uint16_t>(view.port() + 1));
  } else if (view.isIpx()) {
    view.setIpxSocket(kViewIpxSocket);
  }
  return view;
}

}  // namespace zel::shared
