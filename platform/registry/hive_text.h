// The text form of a hive, as stored in its file and printed by zelreg.
//
//   # comment (also lines starting with ';')
//   [SOFTWARE\Omrex\Korvane\Remote Control\Container]
//   "AutoScroll" = dword 1
//   "" = sz "the key's default value"
//   "Addresses" = multi_sz "10.1.2.3" "host"
//   "Picture" = binary hex 01 02 ff
//   "Odd" = 11 hex 00 00 00 00 00 00 00 00
//
// A "[path]" line names a key by its full path from the hive's root ("[]" is
// the root) and creates it with its parents; the value lines after it belong
// to that key. Keys without values that have subkeys are not written: their
// subkeys imply them. A value line is the
// quoted name, "=", the type (a name or a number) and the data: "hex" and
// bytes for any type, a number for a 4-byte dword, one quoted text for sz and
// expand_sz (stored with its NUL), quoted texts for multi_sz (nothing after
// the type is the empty list). Quoted texts escape \\ \" \n \r \t and \xHH.
//
// Parsing never fails: a line that cannot be read is skipped and counted,
// together with the value lines of a key header that cannot be read.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/registry/hive_tree.h"

namespace zel::registry {

struct ParsedHive {
  KeyNode root;
  size_t badLines = 0;
  bool endsInNewline = true;  // false for a file cut in the middle of a line

  bool clean() const { return badLines == 0 && endsInNewline; }
};

ParsedHive parseHiveText(std::string_view text);

// A whole hive file: comment lines (one per line of headerComment, which may
// be empty), then every key of root.
std::string formatHiveText(const KeyNode& root, std::string_view headerComment);

// node and every key below it, node being at path from the hive's root.
void appendKeyTree(const KeyNode& node, const std::string& path, std::string& out);
// One value line without its line end.
std::string formatValue(const Value& value);
std::string quoteText(std::string_view text);

}  // namespace zel::registry
