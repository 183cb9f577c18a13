// Text catalogues: the translated texts of one module in one language, kept
// in a data file beside the module.
//
// File format (UTF-8, at most 1 MiB):
//   - an optional byte-order mark at the start;
//   - one text per line: the text's number (decimal, 0..65535, no sign or
//     spaces), one tab, the text; lines end with "\n" or "\r\n";
//   - in the text, "\n", "\t", "\r" and "\\" stand for a line break, a tab, a
//     carriage return and a backslash; no other backslash sequence is allowed;
//   - empty lines, lines of spaces and tabs only, and lines starting with "#"
//     are ignored;
//   - a later line for the same number replaces the earlier one.
// A line that breaks these rules (bad number, no tab, unknown escape, a NUL
// byte, malformed UTF-8, a text over 8191 bytes) is skipped and counted; the
// rest of the file is still used. A catalogue is data from a file: nothing in
// it is trusted and nothing in it runs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace zel::texts {

inline constexpr size_t kMaxCatalogueBytes = 1024 * 1024;
inline constexpr size_t kMaxCatalogueTextBytes = 8191;

struct Catalogue {
  std::map<std::uint32_t, std::string> texts;
  size_t rejectedLines = 0;
};

Catalogue parseCatalogue(std::string_view bytes);

// Reads and parses the catalogue file at `path`. Fails (with `reason`) when the
// path is not a regular file, cannot be read, or is larger than
// kMaxCatalogueBytes.
std::optional<Catalogue> readCatalogueFile(const std::filesystem::path& path,
                                           std::string* reason = nullptr);

}  // namespace zel::texts
