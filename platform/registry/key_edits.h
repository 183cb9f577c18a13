// The changes that writers make to a hive's tree, shared by the single
// operations and by batches. Each sets changed when it changed the tree.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive_tree.h"
#include "platform/registry/status.h"

namespace zel::registry {

using KeyNames = std::vector<std::string>;

Status editCreateKey(KeyNode& root, const KeyNames& names, bool& changed);
// kNotFound when the key is missing; kInvalidArgument for the root.
Status editDeleteKey(KeyNode& root, const KeyNames& names, bool& changed);
// kNotFound when the key is missing and createMissingKey is false.
Status editSetValue(KeyNode& root, const KeyNames& names, Value value, bool createMissingKey,
                    bool& changed);
// kNotFound when the key or the value is missing.
Status editDeleteValue(KeyNode& root, const KeyNames& names, std::string_view name, bool& changed);

}  // namespace zel::registry
