#include "platform/registry/tool/zelreg.h"

#include <fstream>
#include <optional>
#include <string_view>

#include "platform/registry/hive_text.h"
#include "platform/registry/registry.h"

namespace zel::registry::tool {

namespace {

constexpr std::string_view kUsage = R"(Usage: zelreg COMMAND KEY [OPTIONS]

Reads and writes the registry. KEY is a hive followed by a path, for example
HKLM\SOFTWARE\Omrex\Korvane\Remote Control\Container. Hives: HKLM, HKCR and
HKCU (or HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, HKEY_CURRENT_USER). Names are
compared without regard to case. ZEL_REGISTRY_DIR, when set, names the
directory of the hive files.

Commands:
  query KEY              show the key's values and subkeys
  query KEY -v NAME      show one value (-v "" is the key's default value)
  add KEY                create the key and its missing parents
  add KEY -v NAME [-t TYPE] [-d DATA] [-s SEP]
                         set a value, creating the key when it is missing
  delete KEY -v NAME     delete a value
  delete KEY             delete the key and everything below it
  export KEY [-o FILE]   write the key and everything below it in the format
                         of the hive files
  help                   show this text

Options:
  -v, --value NAME       the value's name
  -t, --type TYPE        REG_SZ (the default), REG_EXPAND_SZ, REG_MULTI_SZ,
                         REG_DWORD, REG_BINARY, or a type number
  -d, --data DATA        REG_DWORD: a decimal or 0x-hex number;
                         REG_SZ, REG_EXPAND_SZ: the text;
                         REG_MULTI_SZ: the entries separated by SEP;
                         REG_BINARY and type numbers: hex bytes ("01 02 ff")
  -s, --separator SEP    separator of REG_MULTI_SZ entries (default ";")
  -r, --raw              with query -v: print the data alone (a number, the
                         text, one entry per line, or hex bytes)
  -o, --output FILE      with export: write to FILE instead of standard output

Exit status: 0 on success, 1 when the operation failed, 2 for a wrong command
line; errors are one line on standard error.
)";

struct Command {
  std::string verb;
  std::string key;
  std::optional<std::string> valueName;
  std::optional<std::string> typeText;
  std::optional<std::string> data;
  std::optional<std::string> separator;
  std::optional<std::string> output;
  bool raw = false;
};

struct KeyName {
  Hive hive;
  std::string path;
  std::string shown;  // as printed: HKLM\path
};

// Reports one error line and gives the exit status for it.
class Errors {
 public:
  explicit Errors(std::ostream& err) : err_(err) {}
  int usage(std::string_view message) {
    err_ << "zelreg: " << message << " (see zelreg help)\n";
    return kExitUsage;
  }
  int failed(std::string_view message) {
    err_ << "zelreg: " << message << '\n';
    return kExitFailed;
  }

 private:
  std::ostream& err_;
};

std::string quoted(std::string_view text) {
  return quoteText(text);
}

// Reads the options after the verb; nullopt after reporting a usage error.
std::optional<Command> parseCommandLine(const std::vector<std::string>& args, Errors& errors,
                                        int& status) {
  Command command;
  command.verb = args.front();
  struct Option {
    std::string_view shortName, longName;
    std::optional<std::string> Command::*target;
  };
  const Option options[] = {
      {"-v", "--value", &Command::valueName}, {"-t", "--type", &Command::typeText},
      {"-d", "--data", &Command::data},       {"-s", "--separator", &Command::separator},
      {"-o", "--output", &Command::output},
  };
  bool haveKey = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-r" || arg == "--raw") {
      command.raw = true;
      continue;
    }
    const Option* option = nullptr;
    for (const Option& candidate : options) {
      if (arg == candidate.shortName || arg == candidate.longName) option = &candidate;
    }
    if (option) {
      if (i + 1 >= args.size()) {
        status = errors.usage("option " + arg + " needs an argument");
        return std::nullopt;
      }
      command.*(option->target) = args[++i];
      continue;
    }
    if (arg.size() > 1 && arg[0] == '-') {
      status = errors.usage("unknown option " + arg);
      return std::nullopt;
    }
    if (haveKey) {
      status = errors.usage("unexpected argument " + quoted(arg));
      return std::nullopt;
    }
    command.key = arg;
    haveKey = true;
  }
  if (!haveKey) {
    status = errors.usage("no KEY given");
    return std::nullopt;
  }
  return command;
}

std::optional<KeyName> parseKeyName(const std::string& text) {
  const size_t cut = text.find('\\');
  std::optional<Hive> hive = hiveFromName(std::string_view(text).substr(0, cut));
  if (!hive) return std::nullopt;
  std::string path = cut == std::string::npos ? std::string() : text.substr(cut + 1);
  std::optional<std::vector<std::string>> names = splitKeyPath(path);
  if (!names) return std::nullopt;
  path = joinKeyPath(*names);
  std::string shown(hiveShortName(*hive));
  if (!path.empty()) shown += '\\' + path;
  return KeyName{*hive, path, shown};
}

// HKLM\path with the names spelled as stored.
std::string shownAsStored(const Key& key) {
  const std::string path = key.storedPath();
  std::string shown(hiveShortName(key.hive()));
  return path.empty() ? shown : shown + '\\' + path;
}

void printRaw(const Value& value, std::ostream& out) {
  if (std::optional<uint32_t> number = numberFromData(value.type, value.data)) {
    out << *number << '\n';
  } else if (value.type == type::kString || value.type == type::kExpandString) {
    out << textFromData(value.data) << '\n';
  } else if (value.type == type::kMultiString) {
    for (const std::string& entry : multiTextFromData(value.data))
      out << entry << '\n';
  } else {
    out << hexText(value.data) << '\n';
  }
}

int query(const Command& command, const KeyName& key, std::ostream& out, Errors& errors) {
  std::optional<Key> open = Key::open(key.hive, key.path);
  if (!open) return errors.failed("key not found: " + key.shown);
  if (command.valueName) {
    std::optional<Value> value = open->queryValue(*command.valueName);
    if (!value) {
      return errors.failed("value not found: " + quoted(*command.valueName) + " in " + key.shown);
    }
    if (command.raw) {
      printRaw(*value, out);
    } else {
      out << formatValue(*value) << '\n';
    }
    return kExitOk;
  }
  std::optional<KeyNode> node = open->tree();
  if (!node) return errors.failed("key not found: " + key.shown);
  out << '[' << shownAsStored(*open) << "]\n";
  for (const Value& value : node->values)
    out << "  " << formatValue(value) << '\n';
  for (const KeyNode& subkey : node->subkeys)
    out << "  " << subkey.name << "\\\n";
  return kExitOk;
}

std::optional<std::vector<std::string>> splitEntries(std::string_view data,
                                                     std::string_view separator) {
  std::vector<std::string> entries;
  if (data.empty()) return entries;
  while (true) {
    const size_t cut = data.find(separator);
    std::string entry(data.substr(0, cut));
    if (!isValidMultiTextEntry(entry)) return std::nullopt;
    entries.push_back(std::move(entry));
    if (cut == std::string_view::npos) return entries;
    data.remove_prefix(cut + separator.size());
  }
}

// The bytes of DATA for the type; an error text when they do not fit it.
std::optional<Bytes> encodeData(uint32_t code, const Command& command, std::string& problem) {
  const std::string data = command.data.value_or("");
  switch (code) {
    case type::kDword: {
      std::optional<uint32_t> number = parseNumber(data);
      if (!number) problem = "not a 32-bit number: " + quoted(data);
      return number ? std::optional<Bytes>(numberData(*number)) : std::nullopt;
    }
    case type::kString:
    case type::kExpandString:
      return textData(data);
    case type::kMultiString: {
      const std::string separator = command.separator.value_or(";");
      if (separator.empty()) {
        problem = "the separator must not be empty";
        return std::nullopt;
      }
      std::optional<std::vector<std::string>> entries = splitEntries(data, separator);
      if (!entries) problem = "REG_MULTI_SZ entries must not be empty";
      return entries ? std::optional<Bytes>(multiTextData(*entries)) : std::nullopt;
    }
    default: {
      std::optional<Bytes> bytes = parseHex(data);
      if (!bytes) problem = "not hex bytes: " + quoted(data);
      return bytes;
    }
  }
}

int add(const Command& command, const KeyName& key, Errors& errors) {
  if (!command.valueName) {
    if (command.typeText || command.data || command.separator) {
      return errors.usage("-t, -d and -s need -v NAME");
    }
    const Status status = createKey(key.hive, key.path);
    if (status != Status::kOk) {
      return errors.failed("cannot create " + key.shown + ": " + std::string(describe(status)));
    }
    return kExitOk;
  }
  std::optional<uint32_t> code = parseType(command.typeText.value_or("REG_SZ"));
  if (!code) return errors.usage("unknown type " + quoted(*command.typeText));
  if (command.separator && *code != type::kMultiString) {
    return errors.usage("-s is for REG_MULTI_SZ only");
  }
  std::string problem;
  std::optional<Bytes> bytes = encodeData(*code, command, problem);
  if (!bytes) return errors.usage(problem);
  const Status status = setValue(key.hive, key.path, *command.valueName, *code, *bytes);
  if (status != Status::kOk) {
    return errors.failed("cannot set " + quoted(*command.valueName) + " in " + key.shown + ": " +
                         std::string(describe(status)));
  }
  return kExitOk;
}

int remove(const Command& command, const KeyName& key, Errors& errors) {
  if (command.valueName) {
    const Status status = deleteValue(key.hive, key.path, *command.valueName);
    if (status == Status::kNotFound) {
      return errors.failed("value not found: " + quoted(*command.valueName) + " in " + key.shown);
    }
    if (status != Status::kOk) {
      return errors.failed("cannot delete " + quoted(*command.valueName) + " in " + key.shown +
                           ": " + std::string(describe(status)));
    }
    return kExitOk;
  }
  if (key.path.empty()) return errors.usage("a hive's root key cannot be deleted");
  const Status status = deleteKey(key.hive, key.path);
  if (status == Status::kNotFound) return errors.failed("key not found: " + key.shown);
  if (status != Status::kOk) {
    return errors.failed("cannot delete " + key.shown + ": " + std::string(describe(status)));
  }
  return kExitOk;
}

int exportTree(const Command& command, const KeyName& key, std::ostream& out, Errors& errors) {
  std::optional<Key> open = Key::open(key.hive, key.path);
  std::optional<KeyNode> node = open ? open->tree() : std::nullopt;
  if (!node) return errors.failed("key not found: " + key.shown);
  const std::string path = open->storedPath();
  std::string text = "# zel registry export of " + shownAsStored(*open) + " (hive " +
                     std::string(hiveLongName(key.hive)) + ")\n";
  appendKeyTree(*node, path, text);
  if (!command.output) {
    out << text;
    return kExitOk;
  }
  std::ofstream file(*command.output, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  if (!file) return errors.failed("cannot write " + *command.output);
  return kExitOk;
}

}  // namespace

int runZelreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Errors errors(err);
  if (args.empty()) {
    err << kUsage;
    return kExitUsage;
  }
  const std::string& verb = args.front();
  if (verb == "help" || verb == "-h" || verb == "--help") {
    out << kUsage;
    return kExitOk;
  }
  if (verb != "query" && verb != "add" && verb != "delete" && verb != "export") {
    return errors.usage("unknown command " + quoted(verb));
  }
  int status = kExitOk;
  std::optional<Command> command = parseCommandLine(args, errors, status);
  if (!command) return status;
  std::optional<KeyName> key = parseKeyName(command->key);
  if (!key) return errors.usage("not a key: " + quoted(command->key));

  const bool writes = verb == "add";
  if (!writes && (command->typeText || command->data || command->separator)) {
    return errors.usage("-t, -d and -s are for add only");
  }
  if (command->raw && !(verb == "query" && command->valueName)) {
    return errors.usage("-r is for query -v only");
  }
  if (command->output && verb != "export") return errors.usage("-o is for export only");
  if (verb == "export" && command->valueName) return errors.usage("export takes no -v");

  if (verb == "query") return query(*command, *key, out, errors);
  if (verb == "add") return add(*command, *key, errors);
  if (verb == "delete") return remove(*command, *key, errors);
  return exportTree(*command, *key, out, errors);
}

}  // namespace zel::registry::tool
