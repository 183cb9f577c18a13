// The in-memory content of one hive: a tree of keys, each with typed values.
// Key and value names keep the case they were created with and are compared
// without regard to ASCII case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::registry {

inline constexpr size_t kMaxKeyNameBytes = 255;
inline constexpr size_t kMaxValueNameBytes = 16383;
// Deepest key below a hive's root; also bounds every recursion over the tree.
inline constexpr size_t kMaxKeyDepth = 512;

// <0, 0 or >0 as a sorts before, with or after b, ignoring ASCII case.
int compareNames(std::string_view a, std::string_view b);
inline bool sameName(std::string_view a, std::string_view b) {
  return compareNames(a, b) == 0;
}

// A key name is 1..255 bytes without backslash or control characters.
bool isValidKeyName(std::string_view name);
// A value name is at most 16383 bytes without NUL; the empty name is the
// key's default value.
bool isValidValueName(std::string_view name);

// Splits "A\B\C" into its key names; one trailing backslash is accepted and
// the empty path is the hive's root. Empty names, invalid names and paths
// deeper than kMaxKeyDepth give nullopt.
std::optional<std::vector<std::string>> splitKeyPath(std::string_view path);
std::string joinKeyPath(const std::vector<std::string>& names);

struct Value {
  std::string name;
  uint32_t type = 0;
  std::vector<uint8_t> data;

  bool operator==(const Value&) const = default;
};

struct KeyNode {
  std::string name;
  std::vector<Value> values;     // in the order they were first set
  std::vector<KeyNode> subkeys;  // sorted by name, ignoring case

  const KeyNode* findSubkey(std::string_view subkeyName) const;
  KeyNode* findSubkey(std::string_view subkeyName);
  // The subkey of that name, created when missing; created tells which.
  KeyNode& subkey(std::string_view subkeyName, bool* created = nullptr);
  bool removeSubkey(std::string_view subkeyName);

  const Value* findValue(std::string_view valueName) const;
  // Replaces a value of the same name (keeping its place and the stored
  // spelling of its name when only the case differs) or appends a new one.
  // Returns false when the value was already exactly so.
  bool setValue(Value value);
  bool removeValue(std::string_view valueName);

  bool operator==(const KeyNode&) const = default;
};

// The key at names below root, or nullptr when any of them is missing.
const KeyNode* findKey(const KeyNode& root, const std::vector<std::string>& names);
KeyNode* findKey(KeyNode& root, const std::vector<std::string>& names);
// The key at names below root, creating missing keys on the way.
KeyNode& createKey(KeyNode& root, const std::vector<std::string>& names, bool* created = nullptr);

}  // namespace zel::registry
