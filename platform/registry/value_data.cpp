#include "platform/registry/value_data.h"

#include <algorithm>
#include <array>

#include "platform/registry/hive_tree.h"

namespace zel::registry {

namespace {

struct NamedType {
  std::string_view name;
  uint32_t code;
};

constexpr std::array<NamedType, 5> kNamedTypes{{
    {"sz", type::kString},
    {"expand_sz", type::kExpandString},
    {"binary", type::kBinary},
    {"dword", type::kDword},
    {"multi_sz", type::kMultiString},
}};

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool isHexSeparator(char c) {
  return c == ' ' || c == '\t' || c == ',' || c == ':';
}

}  // namespace

std::string_view typeName(uint32_t code) {
  for (const NamedType& t : kNamedTypes) {
    if (t.code == code) return t.name;
  }
  return {};
}

std::optional<uint32_t> parseType(std::string_view text) {
  std::string_view name = text;
  if (name.size() > 4 && sameName(name.substr(0, 4), "REG_")) name.remove_prefix(4);
  for (const NamedType& t : kNamedTypes) {
    if (sameName(t.name, name)) return t.code;
  }
  return parseNumber(text);
}

std::optional<uint32_t> parseNumber(std::string_view text) {
  uint32_t base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    const int digit = hexDigit(c);
    if (digit < 0 || static_cast<uint32_t>(digit) >= base) return std::nullopt;
    value = value * base + static_cast<uint32_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

Bytes numberData(uint32_t number) {
  return {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
          static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
}

std::optional<uint32_t> numberFromData(uint32_t code, ByteView data) {
  if (code != type::kDword || data.size() != 4) return std::nullopt;
  return static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
         static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
}

bool isValidText(std::string_view text) {
  return text.find('\0') == std::string_view::npos;
}

Bytes textData(std::string_view text) {
  Bytes data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::string textFromData(ByteView data) {
  auto end = std::find(data.begin(), data.end(), uint8_t{0});
  return std::string(data.begin(), end);
}

std::optional<std::string> exactTextFromData(ByteView data) {
  if (data.empty() || data.back() != 0) return std::nullopt;
  auto end = std::find(data.begin(), data.end(), uint8_t{0});
  if (end != data.end() - 1) return std::nullopt;
  return std::string(data.begin(), end);
}

bool isValidMultiTextEntry(std::string_view entry) {
  return !entry.empty() && entry.find('\0') == std::string_view::npos;
}

bool areValidMultiTextEntries(const std::vector<std::string>& entries) {
  return std::all_of(entries.begin(), entries.end(),
                     [](const std::string& entry) { return isValidMultiTextEntry(entry); });
}

Bytes multiTextData(const std::vector<std::string>& entries) {
  Bytes data;
  for (const std::string& entry : entries) {
    data.insert(data.end(), entry.begin(), entry.end());
    data.push_back(0);
  }
  data.push_back(0);
  return data;
}

std::vector<std::string> multiTextFromData(ByteView data) {
  std::vector<std::string> entries;
  auto it = data.begin();
  while (it != data.end()) {
    auto end = std::find(it, data.end(), uint8_t{0});
    if (end == it) break;
    entries.emplace_back(it, end);
    it = end == data.end() ? end : end + 1;
  }
  return entries;
}

std::optional<std::vector<std::string>> exactMultiTextFromData(ByteView data) {
  std::vector<std::string> entries = multiTextFromData(data);
  if (multiTextData(entries) != Bytes(data.begin(), data.end())) return std::nullopt;
  return entries;
}

std::string hexText(ByteView data) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(data.size() * 3);
  for (uint8_t byte : data) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

std::optional<Bytes> parseHex(std::string_view text) {
  Bytes data;
  size_t i = 0;
  while (i < text.size()) {
    if (isHexSeparator(text[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size()) return std::nullopt;
    const int high = hexDigit(text[i]);
    const int low = hexDigit(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    data.push_back(static_cast<uint8_t>(high << 4 | low));
    i += 2;
  }
  return data;
}

}  // namespace zel::registry
