// Accepted text forms of agent addresses, their limits and bad forms, with a
// host lookup of the test's own (no name service is used).
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "shared/client_address.h"

namespace zel::shared {
namespace {

// Knows a few names; like the system's lookup it also takes dotted texts.
std::optional<Ipv4> fakeLookup(const std::string& name) {
  static const std::map<std::string, Ipv4> known = {
      {"agent-host", {192, 168, 7, 9}},
      {"pc", {10, 1, 2, 3}},
      {std::string(160, 'h'), {10, 9, 9, 9}},
  };
  auto it = known.find(name);
  if (it != known.end()) return it->second;
  in_addr addr{};
  if (inet_aton(name.c_str(), &addr) != 0) {
    Ipv4 out;
    std::memcpy(out.data(), &addr, 4);
    return out;
  }
  return std::nullopt;
}

struct IpCase {
  std::string text;
  Ipv4 address;
  uint16_t port;
};

TEST(ClientAddressParse, IpForms) {
  const std::vector<IpCase> cases = {
      {"10.0.0.5", {10, 0, 0, 5}, 1761},
      {"255.255.255.255", {255, 255, 255, 255}, 1761},
      // A dotted address taken directly ignores a port suffix.
      {"10.0.0.5:1800", {10, 0, 0, 5}, 1761},
      // A fourth part of 0 goes the host-name way, which honours the port.
      {"10.0.0.0:1800", {10, 0, 0, 0}, 1800},
      {"10.0.0.0", {10, 0, 0, 0}, 1761},
      {"agent-host", {192, 168, 7, 9}, 1761},
      {"agent-host:1800", {192, 168, 7, 9}, 1800},
      {"agent-host:0080", {192, 168, 7, 9}, 80},
      {"pc:9999", {10, 1, 2, 3}, 9999},
      // Three parts are looked up as a name (the lookup reads them itself).
      {"10.1.7", {10, 1, 0, 7}, 1761},
      {"127.0.0.2", {127, 0, 0, 2}, 1761},
  };
  for (const auto& c : cases) {
    ClientAddress a = parseClientAddress(c.text, fakeLookup);
    ASSERT_TRUE(a.isValid()) << c.text;
    EXPECT_EQ(a.family, kFamilyIp) << c.text;
    EXPECT_EQ(a.kind, kAddressKindIp) << c.text;
    EXPECT_EQ(a.ipv4(), c.address) << c.text;
    EXPECT_EQ(a.port(), c.port) << c.text;
  }
}

TEST(ClientAddressParse, IpFieldsSitInSocketAddressOrder) {
  ClientAddress a = parseClientAddress("pc:1800", fakeLookup);
  const auto* raw = reinterpret_cast<const uint8_t*>(&a);
  EXPECT_EQ(raw[0], 2);  // family, little-endian u16
  EXPECT_EQ(raw[1], 0);
  EXPECT_EQ(raw[2], 1800 >> 8);  // port in network order
  EXPECT_EQ(raw[3], 1800 & 0xFF);
  EXPECT_EQ(raw[4], 10);
  EXPECT_EQ(raw[7], 3);
  EXPECT_EQ(raw[16], 1);  // kind
  EXPECT_EQ(raw[20], 1);  // valid
}

TEST(ClientAddressParse, IpxForms) {
  ClientAddress a = parseClientAddress("0000ABCD:00C0F0123456", fakeLookup);
  ASSERT_TRUE(a.isValid());
  EXPECT_EQ(a.family, kFamilyIpx);
  EXPECT_EQ(a.kind, kAddressKindIpx);
  EXPECT_EQ(a.ipxNetwork(), (std::array<uint8_t, 4>{0x00, 0x00, 0xAB, 0xCD}));
  EXPECT_EQ(a.ipxNode(), (std::array<uint8_t, 6>{0x00, 0xC0, 0xF0, 0x12, 0x34, 0x56}));
  EXPECT_EQ(a.ipxSocket(), (std::array<uint8_t, 2>{0x81, 0x38}));
  const auto* raw = reinterpret_cast<const uint8_t*>(&a);
  EXPECT_EQ(raw[2], 0x00);
  EXPECT_EQ(raw[5], 0xCD);
  EXPECT_EQ(raw[6], 0x00);
  EXPECT_EQ(raw[11], 0x56);
  EXPECT_EQ(raw[12], 0x81);
  EXPECT_EQ(raw[13], 0x38);

  // A socket number is stored as the number, without a byte swap.
  ClientAddress s = parseClientAddress("0000abcd:00c0f0123456#1234", fakeLookup);
  ASSERT_TRUE(s.isValid());
  uint16_t stored = 0;
  std::memcpy(&stored, reinterpret_cast<const uint8_t*>(&s) + 12, 2);
  EXPECT_EQ(stored, 1234);
  EXPECT_EQ(s.ipxNetwork(), a.ipxNetwork());  // lower case reads the same
}

TEST(ClientAddressParse, BadFormsAreInvalid) {
  const std::vector<std::string> bad = {
      "",
      "256.1.1.1",  // a dotted part above 255
      "10.0.0.256",
      "1.2.300",        // also with fewer parts
      "agent-host:80",  // ":80" is not five characters: taken as IPX
      "10.0.0.5:80",
      "agent-host:18a0",         // the port must be digits
      "agent-host:0000",         // port 0 cannot be connected to
      ":1800",                   // no name
      "unknown-host",            // the lookup fails
      "0000ABC:00C0F0123456",    // network of seven digits
      "0000ABCDE:00C0F012345",   // colon not the ninth character
      "0000ABCD:00C0F012345",    // node of eleven digits
      "0000ABCD:00C0F01234567",  // node of thirteen digits
      "0000ABCG:00C0F0123456",   // not hexadecimal
      "0000ABCD:00C0F0123456#",  // socket without digits
      "0000ABCD:00C0F0123456#65536",
      "0000ABCD:00C0F0123456x1",
      "0000ABCD:00C0F0123456#12a",
  };
  for (const auto& text : bad) {
    ClientAddress a = parseClientAddress(text, fakeLookup);
    EXPECT_FALSE(a.isValid()) << "'" << text << "'";
    EXPECT_EQ(a.valid, 0) << text;
  }
}

TEST(ClientAddressParse, TextLimits) {
  // Only 81 characters are looked at: a name with a port suffix past them
  // loses the suffix.
  std::string longName(78, 'a');
  std::optional<std::string> seen;
  auto recording = [&](const std::string& name) -> std::optional<Ipv4> {
    seen = name;
    return Ipv4{1, 2, 3, 4};
  };
  ClientAddress a = parseClientAddress(longName + ":1800", recording);
  // 83 characters cut to 81: "aaa...:18" -> ":18" makes it IPX, invalid.
  EXPECT_FALSE(a.isValid());
  EXPECT_FALSE(seen.has_value());

  std::string exact(76, 'b');
  ClientAddress b = parseClientAddress(exact + ":1800", recording);  // 81 characters
  ASSERT_TRUE(b.isValid());
  EXPECT_EQ(b.port(), 1800);
  EXPECT_EQ(*seen, exact);

  std::string tooLong(100, 'c');
  ClientAddress c = parseClientAddress(tooLong, recording);
  ASSERT_TRUE(c.isValid());
  EXPECT_EQ(seen->size(), kAddressTextLimit);
}

TEST(ClientAddressParse, NoResolverMeansNoHostNames) {
  EXPECT_FALSE(parseClientAddress("agent-host", HostResolver{}).isValid());
  EXPECT_TRUE(parseClientAddress("10.0.0.5", HostResolver{}).isValid());
}

TEST(ClientAddressParse, SystemLookupTakesDottedTexts) {
  // The machine's own lookup answers dotted texts without the network.
  ClientAddress a = parseClientAddress("10.0.0.0:1800");
  ASSERT_TRUE(a.isValid());
  EXPECT_EQ(a.ipv4(), (Ipv4{10, 0, 0, 0}));
  EXPECT_EQ(a.port(), 1800);
}

TEST(AddressList, SplitsAtSemicolonsAndSkipsEmptyItems) {
  EXPECT_EQ(splitAddressList("bad;10.0.0.5"), (std::vector<std::string>{"bad", "10.0.0.5"}));
  EXPECT_EQ(splitAddressList(";;a;;b;"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(splitAddressList("").empty());
  EXPECT_TRUE(splitAddressList(";;;").empty());
  // The list is cut at 256 characters.
  std::string list = std::string(250, 'x') + ";abcdefgh";
  auto items = splitAddressList(list);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1], "abcde");
}

TEST(AddressList, FirstParsableItemOfAListWins) {
  std::string chosen;
  for (const auto& item : splitAddressList("999.1.1.1;10.0.0.5")) {
    if (parseClientAddress(item, fakeLookup).isValid()) {
      chosen = item;
      break;
    }
  }
  EXPECT_EQ(chosen, "10.0.0.5");
}

TEST(ClientAddressFormat, FormsAndBufferLimits) {
  ClientAddress ip = ClientAddress::ip({10, 0, 0, 5}, 1761);
  ClientAddress ipx =
      ClientAddress::ipx({0x00, 0x00, 0xab, 0xcd}, {0, 0xc0, 0xf0, 0x12, 0x34, 0x56});
  EXPECT_EQ(formatClientAddress(ip), "10.0.0.5");
  EXPECT_EQ(formatClientAddress(ipx), "0000ABCD:00C0F0123456");
  EXPECT_EQ(formatClientAddress(ClientAddress{}), "");

  struct BufferCase {
    const ClientAddress* address;
    size_t size;
    bool written;
  };
  const std::vector<BufferCase> cases = {
      {&ip, 15, false}, {&ip, 16, true}, {&ipx, 21, false}, {&ipx, 22, true}, {&ip, 1, false},
  };
  for (const auto& c : cases) {
    char buffer[32];
    std::memset(buffer, 'z', sizeof buffer);
    EXPECT_EQ(formatClientAddress(*c.address, buffer, c.size), c.written) << c.size;
    if (!c.written) {
      EXPECT_EQ(buffer[0], '\0') << c.size;
    }
    EXPECT_EQ(buffer[c.size], 'z') << "wrote past the buffer of " << c.size;
  }
  // The longest IP text fits the smallest buffer allowed for it.
  char tight[16];
  ASSERT_TRUE(formatClientAddress(ClientAddress::ip({255, 255, 255, 255}, 1), tight, 16));
  EXPECT_STREQ(tight, "255.255.255.255");
  EXPECT_FALSE(formatClientAddress(ip, nullptr, 16));
}

TEST(ClientAddressCompare, SameAgentAndViewEndpoint) {
  ClientAddress a = ClientAddress::ip({10, 0, 0, 5}, 1761);
  ClientAddress b = a;
  b.setPort(1800);
  EXPECT_TRUE(sameAgent(a, a));
  EXPECT_FALSE(sameAgent(a, b));
  ClientAddress x = ClientAddress::ipx({1, 2, 3, 4}, {1, 2, 3, 4, 5, 6});
  ClientAddress y = ClientAddress::ipx({1, 2, 3, 4}, {1, 2, 3, 4, 5, 6}, {0x12, 0x34});
  EXPECT_TRUE(sameAgent(x, x));
  EXPECT_FALSE(sameAgent(x, y));
  EXPECT_FALSE(sameAgent(a, x));

  EXPECT_EQ(viewEndpoint(a).port(), 1762);
  EXPECT_EQ(viewEndpoint(a).ipv4(), a.ipv4());
  EXPECT_EQ(viewEndpoint(x).ipxSocket(), (std::array<uint8_t, 2>{0x82, 0x38}));
  EXPECT_EQ(viewEndpoint(x).ipxNode(), x.ipxNode());
}

}  // namespace
}  // namespace zel::shared
