// The texts of one module: its built-in table, and the catalogue in the user's
// language when one is installed beside the module.
//
// The catalogue of a module is the file "<LLL><suffix>.cat" in the module's
// directory, where <LLL> is the three-letter language abbreviation and
// <suffix> the module's fixed suffix without ".dll": for zellink (suffix
// "link.dll") in English (United States) that is "ENUlink.cat". The choice:
//   1. the file for the exact abbreviation, if it is a regular file that can be
//      read;
//   2. otherwise the first (by name) readable regular file that matches with
//      the third letter as a wildcard ("DE?link.cat"), the name compared
//      without regard to case;
//   3. otherwise none: the built-in texts alone.
// A text that the chosen catalogue lacks is taken from the built-in table, and
// a text that neither has is empty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/texts/catalogue.h"

namespace zel::texts {

struct BuiltinText {
  std::uint32_t number;
  std::string_view text;
};

// "ENU" + "link.dll" -> "ENUlink.cat".
std::string catalogueFileName(std::string_view language, std::string_view suffix);

// The catalogue that the rule above picks, without reading the built-ins.
std::optional<std::filesystem::path> findCatalogue(const std::filesystem::path& directory,
                                                   std::string_view language,
                                                   std::string_view suffix);

class TextResources {
 public:
  TextResources() = default;
  // Built-in texts only. The table is referred to, not copied: it must outlive
  // this object (in practice it is a constant table of the module).
  explicit TextResources(std::span<const BuiltinText> builtin) : builtin_(builtin) {}

  // The built-in texts and the catalogue for `language` in `directory`.
  static TextResources load(std::span<const BuiltinText> builtin,
                            const std::filesystem::path& directory, std::string_view suffix,
                            std::string_view language);
  // The same for the user's default language (userDefaultLanguage()).
  static TextResources load(std::span<const BuiltinText> builtin,
                            const std::filesystem::path& directory, std::string_view suffix);

  // The text numbered `number`; valid as long as this object.
  std::string_view text(std::uint32_t number) const;

  // The catalogue in use; empty when only the built-in texts are.
  const std::filesystem::path& cataloguePath() const { return cataloguePath_; }

 private:
  std::span<const BuiltinText> builtin_;
  std::optional<Catalogue> catalogue_;
  std::filesystem::path cataloguePath_;
};

}  // namespace zel::texts
