#include "platform/registry/batch.h"

#include <utility>

#include "platform/registry/hive_file.h"
#include "platform/registry/key_edits.h"

namespace zel::registry {

namespace {

// Deleting something that is already gone leaves the wanted result.
Status goneIsFine(Status status) {
  return status == Status::kNotFound ? Status::kOk : status;
}

}  // namespace

std::optional<std::vector<std::string>> Batch::keyNames(std::string_view path) {
  std::optional<std::vector<std::string>> names = splitKeyPath(path);
  if (!names) malformed_ = true;
  return names;
}

void Batch::createKey(std::string_view path) {
  if (auto names = keyNames(path)) {
    add([names = std::move(*names)](KeyNode& root, bool& changed) {
      return editCreateKey(root, names, changed);
    });
  }
}

void Batch::deleteKey(std::string_view path) {
  auto names = keyNames(path);
  if (names && names->empty()) malformed_ = true;  // a hive's root stays
  if (names && !names->empty()) {
    add([names = std::move(*names)](KeyNode& root, bool& changed) {
      return goneIsFine(editDeleteKey(root, names, changed));
    });
  }
}

void Batch::setValue(std::string_view keyPath, std::string_view name, uint32_t type,
                     ByteView data) {
  auto names = keyNames(keyPath);
  if (!isValidValueName(name)) malformed_ = true;
  if (names && !malformed_) {
    add([names = std::move(*names),
         value = Value{std::string(name), type, Bytes(data.begin(), data.end())}](KeyNode& root,
                                                                                  bool& changed) {
      return editSetValue(root, names, value, true, changed);
    });
  }
}

void Batch::deleteValue(std::string_view keyPath, std::string_view name) {
  if (auto names = keyNames(keyPath)) {
    add([names = std::move(*names), name = std::string(name)](KeyNode& root, bool& changed) {
      return goneIsFine(editDeleteValue(root, names, name, changed));
    });
  }
}

void Batch::writeNumber(std::string_view keyPath, std::string_view name, uint32_t number) {
  setValue(keyPath, name, type::kDword, numberData(number));
}

void Batch::writeText(std::string_view keyPath, std::string_view name, std::string_view text) {
  if (!isValidText(text)) malformed_ = true;
  setValue(keyPath, name, type::kString, textData(text));
}

void Batch::writeMultiText(std::string_view keyPath, std::string_view name,
                           const std::vector<std::string>& entries) {
  if (!areValidMultiTextEntries(entries)) malformed_ = true;
  setValue(keyPath, name, type::kMultiString, multiTextData(entries));
}

Status Batch::commit() {
  std::vector<Edit> edits = std::exchange(edits_, {});
  if (std::exchange(malformed_, false)) return Status::kInvalidArgument;
  if (edits.empty()) return Status::kOk;
  std::shared_ptr<HiveFile> file = hiveFileFor(hive_);
  if (!file) return Status::kStoreError;
  return file->update([&](KeyNode& root, bool& changed) {
    for (const Edit& edit : edits) {
      if (Status status = edit(root, changed); status != Status::kOk) return status;
    }
    return Status::kOk;
  });
}

}  // namespace zel::registry
