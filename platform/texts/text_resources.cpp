#include "platform/texts/text_resources.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "platform/texts/language.h"

namespace zel::texts {
namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view withoutDll(std::string_view suffix) {
  if (suffix.size() >= 4 && equalsIgnoringCase(suffix.substr(suffix.size() - 4), ".dll")) {
    suffix.remove_suffix(4);
  }
  return suffix;
}

bool isLanguage(std::string_view language) {
  return language.size() == 3 && std::all_of(language.begin(), language.end(), [](char c) {
           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
         });
}

// The file names in `directory` that match `exact` with its third character
// as a wildcard, sorted, the exact name left out.
std::vector<std::string> wildcardMatches(const std::filesystem::path& directory,
                                         std::string_view exact) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(directory, ec);
  for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name == exact || name.size() != exact.size()) continue;
    if (equalsIgnoringCase(std::string_view(name).substr(0, 2), exact.substr(0, 2)) &&
        equalsIgnoringCase(std::string_view(name).substr(3), exact.substr(3))) {
      names.push_back(std::move(name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The chosen catalogue and its contents.
std::optional<std::pair<std::filesystem::path, Catalogue>> chooseCatalogue(
    const std::filesystem::path& directory, std::string_view language, std::string_view suffix) {
  if (directory.empty() || !isLanguage(language)) return std::nullopt;
  std::string exact = catalogueFileName(language, suffix);
  if (std::optional<Catalogue> catalogue = readCatalogueFile(directory / exact)) {
    return std::make_pair(directory / exact, std::move(*catalogue));
  }
  for (const std::string& name : wildcardMatches(directory, exact)) {
    if (std::optional<Catalogue> catalogue = readCatalogueFile(directory / name)) {
      return std::make_pair(directory / name, std::move(*catalogue));
    }
  }
  return std::nullopt;
}

}  // namespace

std::string catalogueFileName(std::string_view language, std::string_view suffix) {
  std::string name(language);
  name += withoutDll(suffix);
  name += ".cat";
  return name;
}

std::optional<std::filesystem::path> findCatalogue(const std::filesystem::path& directory,
                                                   std::string_view language,
                                                   std::string_view suffix) {
  auto chosen = chooseCatalogue(directory, language, suffix);
  if (!chosen) return std::nullopt;
  return std::move(chosen->first);
}

TextResources TextResources::load(std::span<const BuiltinText> builtin,
                                  const std::filesystem::path& directory, std::string_view suffix,
                                  std::string_view language) {
  TextResources resources(builtin);
  if (auto chosen = chooseCatalogue(directory, language, suffix)) {
    resources.cataloguePath_ = std::move(chosen->first);
    resources.catalogue_ = std::move(chosen->second);
  }
  return resources;
}

TextResources TextResources::load(std::span<const BuiltinText> builtin,
                                  const std::filesystem::path& directory, std::string_view suffix) {
  return load(builtin, directory, suffix, userDefaultLanguage());
}

std::string_view TextResources::text(std::uint32_t number) const {
  if (catalogue_) {
    auto found = catalogue_->texts.find(number);
    if (found != catalogue_->texts.end()) return found->second;
  }
  for (const BuiltinText& entry : builtin_) {
    if (entry.number == number) return entry.text;
  }
  return {};
}

}  // namespace zel::texts
