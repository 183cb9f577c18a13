#include "platform/registry/hive_tree.h"

#include <algorithm>
#include <iterator>
#include <utility>

namespace zel::registry {

namespace {

unsigned char foldCase(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// First subkey whose name does not sort before name.
template <typename Subkeys>
auto lowerBound(Subkeys& subkeys, std::string_view name) {
  return std::lower_bound(
      subkeys.begin(), subkeys.end(), name,
      [](const KeyNode& node, std::string_view n) { return compareNames(node.name, n) < 0; });
}

}  // namespace

int compareNames(std::string_view a, std::string_view b) {
  const size_t common = std::min(a.size(), b.size());
  for (size_t i = 0; i < common; ++i) {
    const unsigned char x = foldCase(a[i]);
    const unsigned char y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool isValidKeyName(std::string_view name) {
  if (name.empty() || name.size() > kMaxKeyNameBytes) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == '\\' || u < 0x20 || u == 0x7f;
  });
}

bool isValidValueName(std::string_view name) {
  return name.size() <= kMaxValueNameBytes && name.find('\0') == std::string_view::npos;
}

std::optional<std::vector<std::string>> splitKeyPath(std::string_view path) {
  if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
  std::vector<std::string> names;
  if (path.empty()) return names;
  while (true) {
    const size_t cut = path.find('\\');
    const std::string_view name = path.substr(0, cut);
    if (!isValidKeyName(name) || names.size() == kMaxKeyDepth) return std::nullopt;
    names.emplace_back(name);
    if (cut == std::string_view::npos) return names;
    path.remove_prefix(cut + 1);
  }
}

std::string joinKeyPath(const std::vector<std::string>& names) {
  std::string path;
  for (const std::string& name : names) {
    if (!path.empty()) path += '\\';
    path += name;
  }
  return path;
}

const KeyNode* KeyNode::findSubkey(std::string_view subkeyName) const {
  auto it = lowerBound(subkeys, subkeyName);
  return (it != subkeys.end() && sameName(it->name, subkeyName)) ? &*it : nullptr;
}

KeyNode* KeyNode::findSubkey(std::string_view subkeyName) {
  auto it = lowerBound(subkeys, subkeyName);
  return (it != subkeys.end() && sameName(it->name, subkeyName)) ? &*it : nullptr;
}

KeyNode& KeyNode::subkey(std::string_view subkeyName, bool* created) {
  auto it = lowerBound(subkeys, subkeyName);
  const bool missing = it == subkeys.end() || !sameName(it->name, subkeyName);
  if (missing) {
    KeyNode node;
    node.name = std::string(subkeyName);
    it = subkeys.insert(it, std::move(node));
  }
  if (created) *created = missing;
  return *it;
}

bool KeyNode::removeSubkey(std::string_view subkeyName) {
  auto it = lowerBound(subkeys, subkeyName);
  if (it == subkeys.end() || !sameName(it->name, subkeyName)) return false;
  subkeys.erase(it);
  return true;
}

const Value* KeyNode::findValue(std::string_view valueName) const {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return sameName(v.name, valueName); });
  return it == values.end() ? nullptr : &*it;
}

bool KeyNode::setValue(Value value) {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return sameName(v.name, value.name); });
  if (it == values.end()) {
    values.push_back(std::move(value));
    return true;
  }
  if (it->type == value.type && it->data == value.data) return false;
  it->type = value.type;
  it->data = std::move(value.data);
  return true;
}

bool KeyNode::removeValue(std::string_view valueName) {
  auto it = std::find_if(values.begin(), values.end(),
                         [&](const Value& v) { return sameName(v.name, valueName); });
  if (it == values.end()) return false;
  values.erase(it);
  return true;
}

const KeyNode* findKey(const KeyNode& root, const std::vector<std::string>& names) {
  const KeyNode* node = &root;
  for (const std::string& name : names) {
    node = node->findSubkey(name);
    if (!node) return nullptr;
  }
  return node;
}

KeyNode* findKey(KeyNode& root, const std::vector<std::string>& names) {
  return const_cast<KeyNode*>(findKey(std::as_const(root), names));
}

KeyNode& createKey(KeyNode& root, const std::vector<std::string>& names, bool* created) {
  KeyNode* node = &root;
  bool any = false;
  for (const std::string& name : names) {
    bool made = false;
    node = &node->subkey(name, &made);
    any = any || made;
  }
  if (created) *created = any;
  return *node;
}

}  // namespace zel::registry
