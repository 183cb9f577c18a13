// Several changes to one hive made in a single write of its file: all of
// them, or none when one of them is malformed or the write fails. Each write
// of the store costs an fsync, so code that saves many values at once (the
// settings of a window when it closes) should batch them.
//
//   Batch batch(Hive::kLocalMachine);
//   batch.writeNumber(kContainerKey, "AutoScroll", autoScroll);
//   batch.writeNumber(kContainerKey, "EOSLock", eosLock);
//   if (batch.commit() != Status::kOk) { /* the settings are lost, silently */ }
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry/hive.h"
#include "platform/registry/hive_tree.h"
#include "platform/registry/status.h"
#include "platform/registry/value_data.h"

namespace zel::registry {

class Batch {
 public:
  explicit Batch(Hive hive) : hive_(hive) {}

  // Changes are made in the order given. Writers of values create the key
  // when it is missing; deleting what does not exist is no failure.
  void createKey(std::string_view path);
  void deleteKey(std::string_view path);
  void setValue(std::string_view keyPath, std::string_view name, uint32_t type, ByteView data);
  void deleteValue(std::string_view keyPath, std::string_view name);
  void writeNumber(std::string_view keyPath, std::string_view name, uint32_t number);
  void writeText(std::string_view keyPath, std::string_view name, std::string_view text);
  void writeMultiText(std::string_view keyPath, std::string_view name,
                      const std::vector<std::string>& entries);

  // Makes the changes and forgets them. kInvalidArgument, without writing,
  // when one of them was malformed.
  Status commit();

 private:
  using Edit = std::function<Status(KeyNode& root, bool& changed)>;
  // The key names of path; records the problem when it is malformed.
  std::optional<std::vector<std::string>> keyNames(std::string_view path);
  void add(Edit edit) { edits_.push_back(std::move(edit)); }

  Hive hive_;
  bool malformed_ = false;
  std::vector<Edit> edits_;
};

}  // namespace zel::registry
