#include "platform/registry/key_edits.h"

#include <utility>

namespace zel::registry {

Status editCreateKey(KeyNode& root, const KeyNames& names, bool& changed) {
  bool created = false;
  createKey(root, names, &created);
  changed = changed || created;
  return Status::kOk;
}

Status editDeleteKey(KeyNode& root, const KeyNames& names, bool& changed) {
  if (names.empty()) return Status::kInvalidArgument;  // a hive's root stays
  KeyNode* parent = findKey(root, KeyNames(names.begin(), names.end() - 1));
  if (!parent || !parent->removeSubkey(names.back())) return Status::kNotFound;
  changed = true;
  return Status::kOk;
}

Status editSetValue(KeyNode& root, const KeyNames& names, Value value, bool createMissingKey,
                    bool& changed) {
  KeyNode* key = findKey(root, names);
  if (!key && !createMissingKey) return Status::kNotFound;
  if (!key) {
    key = &createKey(root, names);
    changed = true;
  }
  if (key->setValue(std::move(value))) changed = true;
  return Status::kOk;
}

Status editDeleteValue(KeyNode& root, const KeyNames& names, std::string_view name, bool& changed) {
  KeyNode* key = findKey(root, names);
  if (!key || !key->removeValue(name)) return Status::kNotFound;
  changed = true;
  return Status::kOk;
}

}  // namespace zel::registry
