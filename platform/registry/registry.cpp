#include "platform/registry/registry.h"

#include <utility>

#include "platform/registry/hive_file.h"
#include "platform/registry/key_edits.h"

namespace zel::registry {

namespace {

// A key's place: the hive's file and the key's names from the hive's root.
struct Place {
  std::shared_ptr<HiveFile> file;
  std::vector<std::string> names;
};

std::optional<std::vector<std::string>> appendPath(std::vector<std::string> names,
                                                   std::string_view relativePath) {
  std::optional<std::vector<std::string>> more = splitKeyPath(relativePath);
  if (!more || names.size() + more->size() > kMaxKeyDepth) return std::nullopt;
  for (std::string& name : *more)
    names.push_back(std::move(name));
  return names;
}

std::optional<Place> place(Hive hive, std::string_view path) {
  std::optional<std::vector<std::string>> names = splitKeyPath(path);
  if (!names) return std::nullopt;
  std::shared_ptr<HiveFile> file = hiveFileFor(hive);
  if (!file) return std::nullopt;
  return Place{std::move(file), std::move(*names)};
}

// Why place() failed.
Status placeFailure(Hive hive, std::string_view path) {
  return splitKeyPath(path) ? (hiveFileFor(hive) ? Status::kOk : Status::kStoreError)
                            : Status::kInvalidArgument;
}

bool exists(const Place& at) {
  return findKey(*at.file->snapshot(), at.names) != nullptr;
}

Status makeKey(const Place& at) {
  if (exists(at)) return Status::kOk;
  return at.file->update(
      [&](KeyNode& root, bool& changed) { return editCreateKey(root, at.names, changed); });
}

Status removeKey(const Place& at) {
  return at.file->update(
      [&](KeyNode& root, bool& changed) { return editDeleteKey(root, at.names, changed); });
}

std::optional<Value> query(const Place& at, std::string_view name) {
  const std::shared_ptr<const KeyNode> root = at.file->snapshot();
  const KeyNode* key = findKey(*root, at.names);
  if (!key) return std::nullopt;
  const Value* value = key->findValue(name);
  if (!value) return std::nullopt;
  return *value;
}

Status store(const Place& at, std::string_view name, uint32_t type, ByteView data,
             bool createMissingKey) {
  if (!isValidValueName(name)) return Status::kInvalidArgument;
  return at.file->update([&](KeyNode& root, bool& changed) {
    return editSetValue(root, at.names,
                        Value{std::string(name), type, Bytes(data.begin(), data.end())},
                        createMissingKey, changed);
  });
}

Status removeValue(const Place& at, std::string_view name) {
  return at.file->update(
      [&](KeyNode& root, bool& changed) { return editDeleteValue(root, at.names, name, changed); });
}

std::optional<std::string> textOf(const std::optional<Value>& value) {
  if (!value || (value->type != type::kString && value->type != type::kExpandString)) {
    return std::nullopt;
  }
  return textFromData(value->data);
}

std::optional<std::vector<std::string>> entriesOf(const std::optional<Value>& value) {
  if (!value || value->type != type::kMultiString) return std::nullopt;
  return multiTextFromData(value->data);
}

std::optional<uint32_t> numberOf(const std::optional<Value>& value) {
  if (!value) return std::nullopt;
  return numberFromData(value->type, value->data);
}

}  // namespace

std::string_view describe(Status status) {
  switch (status) {
    case Status::kOk:
      return "success";
    case Status::kNotFound:
      return "not found";
    case Status::kInvalidArgument:
      return "invalid argument";
    case Status::kAccessDenied:
      return "access denied";
    case Status::kStoreError:
      return "the registry store could not be read or written";
  }
  return "unknown error";
}

// --- Key ---------------------------------------------------------------------

Key::Key(Hive hive, std::shared_ptr<HiveFile> file, std::vector<std::string> names)
    : hive_(hive), file_(std::move(file)), names_(std::move(names)) {}

std::optional<Key> Key::open(Hive hive, std::string_view path) {
  std::optional<Place> at = place(hive, path);
  if (!at || !registry::exists(*at)) return std::nullopt;
  return Key(hive, std::move(at->file), std::move(at->names));
}

std::optional<Key> Key::create(Hive hive, std::string_view path) {
  std::optional<Place> at = place(hive, path);
  if (!at || makeKey(*at) != Status::kOk) return std::nullopt;
  return Key(hive, std::move(at->file), std::move(at->names));
}

std::string Key::storedPath() const {
  const std::shared_ptr<const KeyNode> root = file_->snapshot();
  std::vector<std::string> stored;
  const KeyNode* node = root.get();
  for (const std::string& name : names_) {
    node = node->findSubkey(name);
    if (!node) return path();
    stored.push_back(node->name);
  }
  return joinKeyPath(stored);
}

bool Key::exists() const {
  return find(*file_->snapshot()) != nullptr;
}

std::optional<Key> Key::openSubkey(std::string_view relativePath) const {
  std::optional<std::vector<std::string>> names = appendPath(names_, relativePath);
  if (!names || !findKey(*file_->snapshot(), *names)) return std::nullopt;
  return Key(hive_, file_, std::move(*names));
}

std::optional<Key> Key::createSubkey(std::string_view relativePath) const {
  std::optional<std::vector<std::string>> names = appendPath(names_, relativePath);
  if (!names) return std::nullopt;
  // Only below a key that still exists, as an open key would allow.
  Status status = file_->update([&](KeyNode& root, bool& changed) {
    if (!find(root)) return Status::kNotFound;
    return editCreateKey(root, *names, changed);
  });
  if (status != Status::kOk) return std::nullopt;
  return Key(hive_, file_, std::move(*names));
}

Status Key::deleteSubkey(std::string_view relativePath) const {
  std::optional<std::vector<std::string>> names = appendPath(names_, relativePath);
  if (!names || names->size() == names_.size()) return Status::kInvalidArgument;
  return removeKey(Place{file_, std::move(*names)});
}

std::vector<std::string> Key::subkeyNames() const {
  std::vector<std::string> names;
  const std::shared_ptr<const KeyNode> root = file_->snapshot();
  if (const KeyNode* key = find(*root)) {
    for (const KeyNode& subkey : key->subkeys)
      names.push_back(subkey.name);
  }
  return names;
}

std::vector<Value> Key::values() const {
  const std::shared_ptr<const KeyNode> root = file_->snapshot();
  const KeyNode* key = find(*root);
  return key ? key->values : std::vector<Value>{};
}

std::optional<Value> Key::queryValue(std::string_view name) const {
  return query(Place{file_, names_}, name);
}

Status Key::setValue(std::string_view name, uint32_t type, ByteView data) const {
  return store(Place{file_, names_}, name, type, data, false);
}

Status Key::deleteValue(std::string_view name) const {
  return removeValue(Place{file_, names_}, name);
}

std::optional<KeyNode> Key::tree() const {
  const std::shared_ptr<const KeyNode> root = file_->snapshot();
  const KeyNode* key = find(*root);
  if (!key) return std::nullopt;
  return *key;
}

std::optional<uint32_t> Key::readNumber(std::string_view name) const {
  return numberOf(queryValue(name));
}

std::optional<std::string> Key::readText(std::string_view name) const {
  return textOf(queryValue(name));
}

std::optional<std::vector<std::string>> Key::readMultiText(std::string_view name) const {
  return entriesOf(queryValue(name));
}

Status Key::writeNumber(std::string_view name, uint32_t number) const {
  return setValue(name, type::kDword, numberData(number));
}

Status Key::writeText(std::string_view name, std::string_view text) const {
  if (!isValidText(text)) return Status::kInvalidArgument;
  return setValue(name, type::kString, textData(text));
}

Status Key::writeMultiText(std::string_view name, const std::vector<std::string>& entries) const {
  if (!areValidMultiTextEntries(entries)) return Status::kInvalidArgument;
  return setValue(name, type::kMultiString, multiTextData(entries));
}

// --- By hive and path ----------------------------------------------------------

Status createKey(Hive hive, std::string_view path) {
  std::optional<Place> at = place(hive, path);
  return at ? makeKey(*at) : placeFailure(hive, path);
}

Status deleteKey(Hive hive, std::string_view path) {
  std::optional<Place> at = place(hive, path);
  return at ? removeKey(*at) : placeFailure(hive, path);
}

std::optional<Value> queryValue(Hive hive, std::string_view keyPath, std::string_view name) {
  std::optional<Place> at = place(hive, keyPath);
  if (!at) return std::nullopt;
  return query(*at, name);
}

Status setValue(Hive hive, std::string_view keyPath, std::string_view name, uint32_t type,
                ByteView data) {
  std::optional<Place> at = place(hive, keyPath);
  return at ? store(*at, name, type, data, true) : placeFailure(hive, keyPath);
}

Status deleteValue(Hive hive, std::string_view keyPath, std::string_view name) {
  std::optional<Place> at = place(hive, keyPath);
  return at ? removeValue(*at, name) : placeFailure(hive, keyPath);
}

std::optional<uint32_t> readNumber(Hive hive, std::string_view keyPath, std::string_view name) {
  return numberOf(queryValue(hive, keyPath, name));
}

std::optional<std::string> readText(Hive hive, std::string_view keyPath, std::string_view name) {
  return textOf(queryValue(hive, keyPath, name));
}

std::optional<std::vector<std::string>> readMultiText(Hive hive, std::string_view keyPath,
                                                      std::string_view name) {
  return entriesOf(queryValue(hive, keyPath, name));
}

Status writeNumber(Hive hive, std::string_view keyPath, std::string_view name, uint32_t number) {
  return setValue(hive, keyPath, name, type::kDword, numberData(number));
}

Status writeText(Hive hive, std::string_view keyPath, std::string_view name,
                 std::string_view text) {
  if (!isValidText(text)) return Status::kInvalidArgument;
  return setValue(hive, keyPath, name, type::kString, textData(text));
}

Status writeMultiText(Hive hive, std::string_view keyPath, std::string_view name,
                      const std::vector<std::string>& entries) {
  if (!areValidMultiTextEntries(entries)) return Status::kInvalidArgument;
  return setValue(hive, keyPath, name, type::kMultiString, multiTextData(entries));
}

}  // namespace zel::registry
