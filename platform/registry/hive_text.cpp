#include "platform/registry/hive_text.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/registry/value_data.h"

namespace zel::registry {

namespace {

bool isSpace(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back()))
    s.remove_suffix(1);
  return s;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads one value line from left to right.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : line_(line) {}

  bool atEnd() const { return pos_ >= line_.size(); }
  char peek() const { return line_[pos_]; }
  void skipSpace() {
    while (!atEnd() && isSpace(peek()))
      ++pos_;
  }
  bool consume(char c) {
    if (atEnd() || peek() != c) return false;
    ++pos_;
    return true;
  }
  std::string_view rest() const { return line_.substr(pos_); }

  // Letters, digits and underscores.
  std::string_view word() {
    const size_t start = pos_;
    while (!atEnd()) {
      const char c = peek();
      const bool wordChar =
          (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
      if (!wordChar) break;
      ++pos_;
    }
    return line_.substr(start, pos_ - start);
  }

  std::optional<std::string> quoted() {
    if (!consume('"')) return std::nullopt;
    std::string text;
    while (!atEnd()) {
      const char c = line_[pos_++];
      const auto u = static_cast<unsigned char>(c);
      if (c == '"') return text;
      if (u < 0x20 || u == 0x7f) return std::nullopt;
      if (c != '\\') {
        text += c;
        continue;
      }
      if (atEnd()) return std::nullopt;
      const char e = line_[pos_++];
      switch (e) {
        case '\\':
          text += '\\';
          break;
        case '"':
          text += '"';
          break;
        case 'n':
          text += '\n';
          break;
        case 'r':
          text += '\r';
          break;
        case 't':
          text += '\t';
          break;
        case 'x': {
          if (pos_ + 2 > line_.size()) return std::nullopt;
          const int high = hexDigit(line_[pos_]);
          const int low = hexDigit(line_[pos_ + 1]);
          if (high < 0 || low < 0) return std::nullopt;
          text += static_cast<char>(high << 4 | low);
          pos_ += 2;
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

 private:
  std::string_view line_;
  size_t pos_ = 0;
};

struct NameLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return compareNames(a, b) < 0;
  }
};

// The tree being read, indexed by name so that a file of many keys and values
// in any order is read in O(n log n); a name met again merges with the first.
struct ReadingKey {
  std::string name;
  std::vector<Value> values;
  std::map<std::string, size_t, NameLess> valueIndex;  // into values
  std::map<std::string, std::unique_ptr<ReadingKey>, NameLess> subkeys;

  ReadingKey& descendant(const std::vector<std::string>& names) {
    ReadingKey* key = this;
    for (const std::string& subkeyName : names) {
      std::unique_ptr<ReadingKey>& subkey = key->subkeys[subkeyName];
      if (!subkey) {
        subkey = std::make_unique<ReadingKey>();
        subkey->name = subkeyName;
      }
      key = subkey.get();
    }
    return *key;
  }

  // A later value of a name replaces the earlier one in its place.
  void setValue(Value value) {
    const auto [it, added] = valueIndex.try_emplace(value.name, values.size());
    if (added) {
      values.push_back(std::move(value));
    } else {
      values[it->second].type = value.type;
      values[it->second].data = std::move(value.data);
    }
  }

  // Recursion is bounded by the depth limit of key paths.
  KeyNode toKeyNode() && {
    KeyNode node;
    node.name = std::move(name);
    node.values = std::move(values);
    node.subkeys.reserve(subkeys.size());
    for (auto& entry : subkeys)
      node.subkeys.push_back(std::move(*entry.second).toKeyNode());
    return node;
  }
};

bool isTextType(uint32_t code) {
  return code == type::kString || code == type::kExpandString;
}

// The data after the type; the reader stands just after the type word.
std::optional<Bytes> readData(LineReader& in, uint32_t code) {
  in.skipSpace();
  if (in.atEnd()) {
    if (code == type::kMultiString) return multiTextData({});
    return std::nullopt;
  }
  if (in.peek() == '"') {
    std::vector<std::string> texts;
    while (!in.atEnd()) {
      std::optional<std::string> text = in.quoted();
      if (!text) return std::nullopt;
      texts.push_back(std::move(*text));
      in.skipSpace();
    }
    if (isTextType(code) && texts.size() == 1) return textData(texts.front());
    if (code != type::kMultiString) return std::nullopt;
    // Built by hand: entries read from a file may be empty or hold NULs.
    Bytes data;
    for (const std::string& text : texts) {
      data.insert(data.end(), text.begin(), text.end());
      data.push_back(0);
    }
    data.push_back(0);
    return data;
  }
  const std::string_view form = in.word();
  if (form == "hex") {
    const std::string_view bytes = in.rest();
    if (!bytes.empty() && !isSpace(bytes.front())) return std::nullopt;
    return parseHex(bytes);
  }
  if (code != type::kDword || !in.rest().empty()) return std::nullopt;
  std::optional<uint32_t> number = parseNumber(form);
  if (!number) return std::nullopt;
  return numberData(*number);
}

std::optional<Value> readValueLine(std::string_view line) {
  LineReader in(line);
  Value value;
  std::optional<std::string> name = in.quoted();
  if (!name || !isValidValueName(*name)) return std::nullopt;
  value.name = std::move(*name);
  in.skipSpace();
  if (!in.consume('=')) return std::nullopt;
  in.skipSpace();
  std::optional<uint32_t> code = parseType(in.word());
  if (!code) return std::nullopt;
  value.type = *code;
  std::optional<Bytes> data = readData(in, value.type);
  if (!data) return std::nullopt;
  value.data = std::move(*data);
  return value;
}

std::string formatData(const Value& value) {
  if (std::optional<uint32_t> number = numberFromData(value.type, value.data)) {
    return std::to_string(*number);
  }
  if (isTextType(value.type)) {
    if (std::optional<std::string> text = exactTextFromData(value.data)) return quoteText(*text);
  }
  if (value.type == type::kMultiString) {
    if (std::optional<std::vector<std::string>> entries = exactMultiTextFromData(value.data)) {
      std::string out;
      for (const std::string& entry : *entries) {
        if (!out.empty()) out += ' ';
        out += quoteText(entry);
      }
      return out;
    }
  }
  return value.data.empty() ? "hex" : "hex " + hexText(value.data);
}

}  // namespace

std::string quoteText(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20 || u == 0x7f) {
          out += "\\x";
          out += kDigits[u >> 4];
          out += kDigits[u & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string formatValue(const Value& value) {
  const std::string_view name = typeName(value.type);
  const std::string typeText = name.empty() ? std::to_string(value.type) : std::string(name);
  std::string line = quoteText(value.name) + " = " + typeText;
  const std::string data = formatData(value);
  if (!data.empty()) line += ' ' + data;
  return line;
}

void appendKeyTree(const KeyNode& node, const std::string& path, std::string& out) {
  // A key without values is implied by its subkeys; the root always exists.
  if (!node.values.empty() || (node.subkeys.empty() && !path.empty())) {
    if (!out.empty() && out.back() == '\n') out += '\n';
    out += '[' + path + "]\n";
    for (const Value& value : node.values)
      out += formatValue(value) + '\n';
  }
  for (const KeyNode& child : node.subkeys) {
    appendKeyTree(child, path.empty() ? child.name : path + '\\' + child.name, out);
  }
}

std::string formatHiveText(const KeyNode& root, std::string_view headerComment) {
  std::string out;
  while (!headerComment.empty()) {
    const size_t cut = headerComment.find('\n');
    out += "# ";
    out += headerComment.substr(0, cut);
    out += '\n';
    headerComment.remove_prefix(cut == std::string_view::npos ? headerComment.size() : cut + 1);
  }
  appendKeyTree(root, "", out);
  return out;
}

ParsedHive parseHiveText(std::string_view text) {
  ParsedHive parsed;
  parsed.endsInNewline = text.empty() || text.back() == '\n';
  ReadingKey root;
  ReadingKey* current = &root;
  while (!text.empty()) {
    const size_t cut = text.find('\n');
    std::string_view line = text.substr(0, cut);
    text.remove_prefix(cut == std::string_view::npos ? text.size() : cut + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = trim(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      std::optional<std::vector<std::string>> names;
      if (line.size() >= 2 && line.back() == ']') {
        names = splitKeyPath(line.substr(1, line.size() - 2));
      }
      current = names ? &root.descendant(*names) : nullptr;
      if (!names) ++parsed.badLines;
      continue;
    }
    std::optional<Value> value;
    if (line.front() == '"' && current) value = readValueLine(line);
    if (value) {
      current->setValue(std::move(*value));
    } else {
      ++parsed.badLines;
    }
  }
  parsed.root = std::move(root).toKeyNode();
  return parsed;
}

}  // namespace zel::registry
