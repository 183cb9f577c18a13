// The user's default language as the three-letter abbreviation that names text
// catalogues ("ENU" for English (United States), "DEA" for German (Austria)):
// two letters for the language and one for the country or variant.
#pragma once

#include <string>
#include <string_view>

namespace zel::texts {

// The abbreviation for a POSIX locale name ("de_AT.UTF-8", "fr_CA@euro",
// "pt"). A known language in an unknown country gets the language's main
// abbreviation; "C", "POSIX", empty names and unknown languages give "ENU".
std::string languageAbbreviation(std::string_view localeName);

// The abbreviation of the user's default locale: ZEL_LANGUAGE when it holds
// three letters (upper-cased), otherwise the first set of LC_ALL, LC_MESSAGES
// and LANG, mapped by languageAbbreviation.
std::string userDefaultLanguage();

}  // namespace zel::texts
