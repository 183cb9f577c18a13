#include "platform/texts/language.h"

#include <cstdlib>

namespace zel::texts {
namespace {

struct CountryAbbreviation {
  std::string_view country;
  std::string_view abbreviation;
};

struct LanguageAbbreviation {
  std::string_view language;  // ISO 639 code, lower case
  std::string_view main;      // for the language alone or an unlisted country
  const CountryAbbreviation* countries;
  size_t countryCount;
};

constexpr CountryAbbreviation kEnglish[] = {
    {"US", "ENU"}, {"GB", "ENG"}, {"AU", "ENA"}, {"CA", "ENC"}, {"NZ", "ENZ"},
    {"IE", "ENI"}, {"ZA", "ENS"}, {"JM", "ENJ"}, {"BZ", "ENL"}, {"TT", "ENT"},
    {"ZW", "ENW"}, {"PH", "ENP"}, {"IN", "ENN"}, {"MY", "ENM"}, {"SG", "ENE"},
};
constexpr CountryAbbreviation kGerman[] = {
    {"DE", "DEU"}, {"AT", "DEA"}, {"CH", "DES"}, {"LU", "DEL"}, {"LI", "DEC"},
};
constexpr CountryAbbreviation kFrench[] = {
    {"FR", "FRA"}, {"BE", "FRB"}, {"CA", "FRC"}, {"CH", "FRS"}, {"LU", "FRL"}, {"MC", "FRM"},
};
constexpr CountryAbbreviation kSpanish[] = {
    {"ES", "ESP"}, {"MX", "ESM"}, {"GT", "ESG"}, {"CR", "ESC"}, {"PA", "ESA"},
    {"DO", "ESD"}, {"VE", "ESV"}, {"CO", "ESO"}, {"PE", "ESR"}, {"AR", "ESS"},
    {"EC", "ESF"}, {"CL", "ESL"}, {"UY", "ESY"}, {"PY", "ESZ"}, {"BO", "ESB"},
    {"SV", "ESE"}, {"HN", "ESH"}, {"NI", "ESI"}, {"PR", "ESU"}, {"US", "EST"},
};
constexpr CountryAbbreviation kItalian[] = {{"IT", "ITA"}, {"CH", "ITS"}};
constexpr CountryAbbreviation kDutch[] = {{"NL", "NLD"}, {"BE", "NLB"}};
constexpr CountryAbbreviation kPortuguese[] = {{"BR", "PTB"}, {"PT", "PTG"}};
constexpr CountryAbbreviation kSwedish[] = {{"SE", "SVE"}, {"FI", "SVF"}};
constexpr CountryAbbreviation kChinese[] = {
    {"CN", "CHS"}, {"TW", "CHT"}, {"HK", "ZHH"}, {"SG", "ZHI"}, {"MO", "ZHM"},
};
constexpr CountryAbbreviation kArabic[] = {
    {"SA", "ARA"}, {"IQ", "ARI"}, {"EG", "ARE"}, {"LY", "ARL"}, {"DZ", "ARG"}, {"MA", "ARM"},
    {"TN", "ART"}, {"OM", "ARO"}, {"YE", "ARY"}, {"SY", "ARS"}, {"JO", "ARJ"}, {"LB", "ARB"},
    {"KW", "ARK"}, {"AE", "ARU"}, {"BH", "ARH"}, {"QA", "ARQ"},
};

template <size_t N>
constexpr LanguageAbbreviation withCountries(std::string_view language, std::string_view main,
                                             const CountryAbbreviation (&countries)[N]) {
  return {language, main, countries, N};
}
constexpr LanguageAbbreviation only(std::string_view language, std::string_view main) {
  return {language, main, nullptr, 0};
}

constexpr LanguageAbbreviation kLanguages[] = {
    withCountries("en", "ENU", kEnglish),
    withCountries("de", "DEU", kGerman),
    withCountries("fr", "FRA", kFrench),
    withCountries("es", "ESP", kSpanish),
    withCountries("it", "ITA", kItalian),
    withCountries("nl", "NLD", kDutch),
    withCountries("pt", "PTB", kPortuguese),
    withCountries("sv", "SVE", kSwedish),
    withCountries("zh", "CHS", kChinese),
    withCountries("ar", "ARA", kArabic),
    only("ja", "JPN"),
    only("ko", "KOR"),
    only("ru", "RUS"),
    only("pl", "PLK"),
    only("cs", "CSY"),
    only("sk", "SKY"),
    only("hu", "HUN"),
    only("da", "DAN"),
    only("nb", "NOR"),
    only("no", "NOR"),
    only("nn", "NON"),
    only("fi", "FIN"),
    only("tr", "TRK"),
    only("el", "ELL"),
    only("he", "HEB"),
    only("iw", "HEB"),
    only("th", "THA"),
    only("uk", "UKR"),
    only("bg", "BGR"),
    only("ro", "ROM"),
    only("hr", "HRV"),
    only("sl", "SLV"),
    only("et", "ETI"),
    only("lv", "LVI"),
    only("lt", "LTH"),
    only("is", "ISL"),
    only("ca", "CAT"),
    only("eu", "EUQ"),
    only("id", "IND"),
    only("vi", "VIT"),
    only("hi", "HIN"),
    only("fa", "FAR"),
    only("af", "AFK"),
    only("ms", "MSL"),
};

constexpr std::string_view kDefault = "ENU";

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
bool isLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const char* nonEmptyEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::string languageAbbreviation(std::string_view localeName) {
  // language[_COUNTRY][.codeset][@modifier]
  size_t end = localeName.find_first_of(".@");
  std::string_view name = localeName.substr(0, end);
  size_t underscore = name.find('_');
  std::string language(name.substr(0, underscore));
  for (char& c : language)
    c = lower(c);
  std::string country;
  if (underscore != std::string_view::npos) {
    for (char c : name.substr(underscore + 1))
      country += upper(c);
  }
  for (const LanguageAbbreviation& entry : kLanguages) {
    if (entry.language != language) continue;
    for (size_t i = 0; i < entry.countryCount; ++i) {
      if (entry.countries[i].country == country) {
        return std::string(entry.countries[i].abbreviation);
      }
    }
    return std::string(entry.main);
  }
  return std::string(kDefault);
}

std::string userDefaultLanguage() {
  if (const char* forced = nonEmptyEnvironment("ZEL_LANGUAGE")) {
    std::string_view value(forced);
    if (value.size() == 3 && isLetter(value[0]) && isLetter(value[1]) && isLetter(value[2])) {
      std::string abbreviation(value);
      for (char& c : abbreviation)
        c = upper(c);
      return abbreviation;
    }
  }
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    if (const char* value = nonEmptyEnvironment(variable)) return languageAbbreviation(value);
  }
  return std::string(kDefault);
}

}  // namespace zel::texts
