// The registry: hives of keys holding typed values, kept in files that every
// process of the machine (HKLM, HKCR) or of the user (HKCU) shares.
//
// Paths are key names joined by backslashes, relative to a hive or a key;
// names keep their case and are compared without regard to ASCII case; the
// value with the empty name is a key's default value. Nothing here throws or
// prints: a failed read gives "no value", a failed write a Status.
//
//   auto autoScroll = readNumber(Hive::kLocalMachine, kContainerKey, "AutoScroll").value_or(1);
//   writeNumber(Hive::kLocalMachine, kContainerKey, "AutoScroll", 0);  // creates the key
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/hive_tree.h"
#include "platform/registry/status.h"
#include "platform/registry/value_data.h"

namespace zel::registry {

class HiveFile;

// An open key. It names the key by its path: it sees later changes made by
// any process, and operations on it fail with kNotFound once the key has been
// deleted.
class Key {
 public:
  // The key at path; nullopt when it does not exist or path is malformed.
  static std::optional<Key> open(Hive hive, std::string_view path);
  // The key at path, created with its missing parents; nullopt on failure.
  static std::optional<Key> create(Hive hive, std::string_view path);

  Hive hive() const { return hive_; }
  // The path as opened, from the hive's root.
  std::string path() const { return joinKeyPath(names_); }
  // The path with each name spelled as stored; path() once the key is gone.
  std::string storedPath() const;
  bool exists() const;

  std::optional<Key> openSubkey(std::string_view relativePath) const;
  std::optional<Key> createSubkey(std::string_view relativePath) const;
  // Deletes the subkey at relativePath with everything below it.
  Status deleteSubkey(std::string_view relativePath) const;

  // Names as stored, sorted without regard to case; empty when the key is gone.
  std::vector<std::string> subkeyNames() const;
  // In the order the values were first set.
  std::vector<Value> values() const;
  std::optional<Value> queryValue(std::string_view name) const;
  Status setValue(std::string_view name, uint32_t type, ByteView data) const;
  Status deleteValue(std::string_view name) const;

  // This key and everything below it as it is now.
  std::optional<KeyNode> tree() const;

  // A REG_DWORD of exactly 4 bytes; anything else is "no value".
  std::optional<uint32_t> readNumber(std::string_view name) const;
  // A REG_SZ or REG_EXPAND_SZ, up to its first NUL (no expansion).
  std::optional<std::string> readText(std::string_view name) const;
  // A REG_MULTI_SZ's entries.
  std::optional<std::vector<std::string>> readMultiText(std::string_view name) const;
  Status writeNumber(std::string_view name, uint32_t number) const;
  // REG_SZ; text must not contain NUL.
  Status writeText(std::string_view name, std::string_view text) const;
  // REG_MULTI_SZ; entries must be non-empty and free of NUL.
  Status writeMultiText(std::string_view name, const std::vector<std::string>& entries) const;

 private:
  Key(Hive hive, std::shared_ptr<HiveFile> file, std::vector<std::string> names);
  const KeyNode* find(const KeyNode& root) const { return findKey(root, names_); }

  Hive hive_;
  std::shared_ptr<HiveFile> file_;
  std::vector<std::string> names_;
};

// Operations by hive and path, without a Key. Writers of values create the
// key when it is missing, in the same write.
Status createKey(Hive hive, std::string_view path);
Status deleteKey(Hive hive, std::string_view path);
std::optional<Value> queryValue(Hive hive, std::string_view keyPath, std::string_view name);
Status setValue(Hive hive, std::string_view keyPath, std::string_view name, uint32_t type,
                ByteView data);
Status deleteValue(Hive hive, std::string_view keyPath, std::string_view name);

std::optional<uint32_t> readNumber(Hive hive, std::string_view keyPath, std::string_view name);
std::optional<std::string> readText(Hive hive, std::string_view keyPath, std::string_view name);
std::optional<std::vector<std::string>> readMultiText(Hive hive, std::string_view keyPath,
                                                      std::string_view name);
Status writeNumber(Hive hive, std::string_view keyPath, std::string_view name, uint32_t number);
Status writeText(Hive hive, std::string_view keyPath, std::string_view name, std::string_view text);
Status writeMultiText(Hive hive, std::string_view keyPath, std::string_view name,
                      const std::vector<std::string>& entries);

}  // namespace zel::registry
