#include "platform/texts/text_resources.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zel::texts {
namespace {

constexpr BuiltinText kBuiltin[] = {
    {6, "Marlvane"},
    {33, "Connected to the client machine."},
    {34, "The client machine is already being accessed from another console."},
};

class ModuleDirectory : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("text-resources-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  TextResources load(std::string_view language) {
    return TextResources::load(kBuiltin, dir_, "link.dll", language);
  }
  std::filesystem::path dir_;
};

TEST(CatalogueFileName, FromLanguageAndSuffix) {
  EXPECT_EQ(catalogueFileName("ENU", "link.dll"), "ENUlink.cat");
  EXPECT_EQ(catalogueFileName("DEU", "relay.DLL"), "DEUrelay.cat");
  EXPECT_EQ(catalogueFileName("FRA", "stats"), "FRAstats.cat");
}

TEST_F(ModuleDirectory, NoCatalogueMeansBuiltinTexts) {
  TextResources texts = load("DEU");
  EXPECT_TRUE(texts.cataloguePath().empty());
  EXPECT_EQ(texts.text(33), "Connected to the client machine.");
  EXPECT_EQ(texts.text(999), "");
}

TEST_F(ModuleDirectory, SameLanguageOtherCountryIsTaken) {
  write("DEAlink.cat", "33\tMit dem Client verbunden.\n");
  TextResources texts = load("DEU");
  EXPECT_EQ(texts.cataloguePath(), dir_ / "DEAlink.cat");
  EXPECT_EQ(texts.text(33), "Mit dem Client verbunden.");
}

TEST_F(ModuleDirectory, ExactLanguagePreferredOverWildcard) {
  write("DEAlink.cat", "33\taustrian\n");
  write("DESlink.cat", "33\tswiss\n");
  write("DEUlink.cat", "33\tgerman\n");
  EXPECT_EQ(load("DEU").text(33), "german");
  EXPECT_EQ(load("DES").text(33), "swiss");
  // With no exact file, the first match by name.
  EXPECT_EQ(load("DEL").text(33), "austrian");
}

TEST_F(ModuleDirectory, OnlyTheModulesOwnSuffixAndTheFirstTwoLettersMatch) {
  write("DEUrelay.cat", "33\twrong module\n");
  write("DAUlink.cat", "33\twrong language\n");
  write("DEUlink.cat.bak", "33\tnot a catalogue\n");
  write("DEUUlink.cat", "33\tnot three letters\n");
  EXPECT_TRUE(load("DEU").cataloguePath().empty());
}

TEST_F(ModuleDirectory, WildcardIgnoresCaseAndSkipsWhatCannotBeRead) {
  std::filesystem::create_directory(dir_ / "DEAlink.cat");  // a folder, not a file
  write("deslink.cat", "33\tswiss\n");
  TextResources texts = load("DEU");
  EXPECT_EQ(texts.cataloguePath(), dir_ / "deslink.cat");
  EXPECT_EQ(texts.text(33), "swiss");
}

TEST_F(ModuleDirectory, ExactNameThatIsAFolderFallsThrough) {
  std::filesystem::create_directory(dir_ / "DEUlink.cat");
  write("DEAlink.cat", "33\taustrian\n");
  EXPECT_EQ(load("DEU").text(33), "austrian");
}

TEST_F(ModuleDirectory, TextMissingFromTheCatalogueFallsBack) {
  write("FRAlink.cat", "33\tConnect\xC3\xA9 \xC3\xA0 la machine cliente.\nbroken line\n");
  TextResources texts = load("FRA");
  EXPECT_EQ(texts.text(33), "Connect\xC3\xA9 \xC3\xA0 la machine cliente.");
  EXPECT_EQ(texts.text(34), "The client machine is already being accessed from another console.");
  EXPECT_EQ(texts.text(6), "Marlvane");
}

TEST_F(ModuleDirectory, InvalidLanguageOrDirectoryUsesBuiltins) {
  write("DEUlink.cat", "33\tgerman\n");
  EXPECT_TRUE(load("").cataloguePath().empty());
  EXPECT_TRUE(load("../DEU").cataloguePath().empty());
  EXPECT_TRUE(TextResources::load(kBuiltin, {}, "link.dll", "DEU").cataloguePath().empty());
  EXPECT_TRUE(
      TextResources::load(kBuiltin, dir_ / "nope", "link.dll", "DEU").cataloguePath().empty());
}

TEST_F(ModuleDirectory, TextsStayValidWhenTheResourcesMove) {
  write("DEUlink.cat", "33\tgerman\n");
  TextResources first = load("DEU");
  std::string_view text = first.text(33);
  TextResources moved = std::move(first);
  EXPECT_EQ(text, "german");
  EXPECT_EQ(moved.text(33).data(), text.data());
}

TEST_F(ModuleDirectory, FindCatalogueReportsTheChoice) {
  EXPECT_FALSE(findCatalogue(dir_, "DEU", "link.dll"));
  write("DEAlink.cat", "33\taustrian\n");
  EXPECT_EQ(findCatalogue(dir_, "DEU", "link.dll"), dir_ / "DEAlink.cat");
}

}  // namespace
}  // namespace zel::texts
