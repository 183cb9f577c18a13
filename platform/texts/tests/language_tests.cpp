#include "platform/texts/language.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace zel::texts {
namespace {

TEST(LanguageAbbreviation, CommonLocales) {
  struct Case {
    const char* locale;
    const char* abbreviation;
  };
  const Case cases[] = {
      {"en_US", "ENU"}, {"en_GB.UTF-8", "ENG"}, {"de_DE", "DEU"},
      {"de_AT", "DEA"}, {"de_CH.utf8", "DES"},  {"fr_FR@euro", "FRA"},
      {"fr_CA", "FRC"}, {"es_ES", "ESP"},       {"es_MX", "ESM"},
      {"it_IT", "ITA"}, {"ja_JP.eucJP", "JPN"}, {"nl_NL", "NLD"},
      {"pt_BR", "PTB"}, {"pt_PT", "PTG"},       {"sv_SE", "SVE"},
      {"zh_TW", "CHT"}, {"zh_CN", "CHS"},       {"ko_KR", "KOR"},
      {"ru_RU", "RUS"}, {"pl_PL", "PLK"},       {"cs_CZ", "CSY"},
      {"da_DK", "DAN"}, {"nb_NO", "NOR"},       {"fi_FI", "FIN"},
      {"tr_TR", "TRK"}, {"el_GR", "ELL"},       {"he_IL", "HEB"},
      {"de", "DEU"},    {"de_BE", "DEU"},       {"DE_at", "DEA"},
      {"C", "ENU"},     {"C.UTF-8", "ENU"},     {"POSIX", "ENU"},
      {"", "ENU"},      {"xx_YY", "ENU"},       {"sr_RS@latin", "ENU"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(languageAbbreviation(c.locale), c.abbreviation) << c.locale;
}

// Sets the locale variables for one test and restores them afterwards.
class LocaleEnvironment : public testing::Test {
 protected:
  static constexpr const char* kNames[] = {"ZEL_LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

  void SetUp() override {
    for (const char* name : kNames) {
      const char* value = std::getenv(name);
      saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  static void set(const char* name, const char* value) { setenv(name, value, 1); }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(LocaleEnvironment, NothingSetMeansEnglish) {
  EXPECT_EQ(userDefaultLanguage(), "ENU");
}

TEST_F(LocaleEnvironment, PosixPrecedence) {
  set("LANG", "fr_FR.UTF-8");
  EXPECT_EQ(userDefaultLanguage(), "FRA");
  set("LC_MESSAGES", "de_AT.UTF-8");
  EXPECT_EQ(userDefaultLanguage(), "DEA");
  set("LC_ALL", "ja_JP.UTF-8");
  EXPECT_EQ(userDefaultLanguage(), "JPN");
  set("LC_ALL", "");  // an empty variable counts as unset
  EXPECT_EQ(userDefaultLanguage(), "DEA");
}

TEST_F(LocaleEnvironment, OverrideWinsWhenItIsThreeLetters) {
  set("LC_ALL", "fr_FR");
  set("ZEL_LANGUAGE", "deu");
  EXPECT_EQ(userDefaultLanguage(), "DEU");
  for (const char* bad : {"DE", "DEUT", "D3U", "../"}) {
    set("ZEL_LANGUAGE", bad);
    EXPECT_EQ(userDefaultLanguage(), "FRA") << bad;
  }
}

}  // namespace
}  // namespace zel::texts
