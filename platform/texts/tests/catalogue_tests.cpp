#include "platform/texts/catalogue.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace zel::texts {
namespace {

TEST(ParseCatalogue, ReadsNumberedTextsWithEscapes) {
  Catalogue catalogue = parseCatalogue(
      "\xEF\xBB\xBF# zellink, German\n"
      "6\tMarlvane\n"
      "\n"
      "   \t\n"
      "33\tMit dem Client-Computer verbunden.\r\n"
      "14\t%1!s! im Baum %2!s!\n"
      "40\tZeile eins\\nZeile zwei\\tTab \\\\ Ende\n"
      "41\t\n"
      "6\tMarlvane 2");
  EXPECT_EQ(catalogue.rejectedLines, 0u);
  ASSERT_EQ(catalogue.texts.size(), 5u);
  EXPECT_EQ(catalogue.texts[6], "Marlvane 2");  // the later line wins
  EXPECT_EQ(catalogue.texts[33], "Mit dem Client-Computer verbunden.");
  EXPECT_EQ(catalogue.texts[14], "%1!s! im Baum %2!s!");
  EXPECT_EQ(catalogue.texts[40], "Zeile eins\nZeile zwei\tTab \\ Ende");
  EXPECT_EQ(catalogue.texts[41], "");
}

TEST(ParseCatalogue, SkipsAndCountsMalformedLines) {
  struct Case {
    std::string line;
    const char* why;
  };
  const Case cases[] = {
      {"no tab here", "no tab"},
      {"x1\ttext", "number with a letter"},
      {"-1\ttext", "signed number"},
      {" 1\ttext", "space before the number"},
      {"65536\ttext", "number too large"},
      {"000001\ttext", "too many digits"},
      {"\ttext", "no number"},
      {"1\tbad \\q escape", "unknown escape"},
      {"1\tends in \\", "lone backslash"},
      {std::string("1\tnul \0 byte", 12), "NUL byte"},
      {"1\tbad \xC3 utf8", "malformed UTF-8"},
      {"1\t" + std::string(kMaxCatalogueTextBytes + 1, 'x'), "text too long"},
  };
  for (const Case& c : cases) {
    Catalogue catalogue = parseCatalogue("7\tgood\n" + c.line + "\n8\talso good\n");
    EXPECT_EQ(catalogue.rejectedLines, 1u) << c.why;
    EXPECT_EQ(catalogue.texts.size(), 2u) << c.why;
    EXPECT_EQ(catalogue.texts.count(1), 0u) << c.why;
  }
}

TEST(ParseCatalogue, EmptyInput) {
  EXPECT_TRUE(parseCatalogue("").texts.empty());
  EXPECT_TRUE(parseCatalogue("\n\n").texts.empty());
}

class CatalogueFile : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(testing::TempDir()) /
           ("catalogue-file-" + std::to_string(::getpid()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return dir_ / name;
  }
  std::filesystem::path dir_;
};

TEST_F(CatalogueFile, ReadsARegularFile) {
  auto catalogue = readCatalogueFile(write("ENUlink.cat", "6\tMarlvane\n"));
  ASSERT_TRUE(catalogue);
  EXPECT_EQ(catalogue->texts.at(6), "Marlvane");
}

TEST_F(CatalogueFile, RefusesWhatIsNotARegularFileOfSaneSize) {
  std::string reason;
  EXPECT_FALSE(readCatalogueFile(dir_ / "missing.cat", &reason));
  EXPECT_FALSE(reason.empty());
  std::filesystem::create_directory(dir_ / "folder.cat");
  EXPECT_FALSE(readCatalogueFile(dir_ / "folder.cat"));
  // A FIFO must neither block nor be read.
  ASSERT_EQ(::mkfifo((dir_ / "fifo.cat").c_str(), 0600), 0);
  EXPECT_FALSE(readCatalogueFile(dir_ / "fifo.cat", &reason));
  EXPECT_NE(reason.find("regular"), std::string::npos) << reason;
  EXPECT_FALSE(
      readCatalogueFile(write("big.cat", std::string(kMaxCatalogueBytes + 1, '#')), &reason));
  EXPECT_NE(reason.find("too large"), std::string::npos) << reason;
  EXPECT_TRUE(readCatalogueFile(write("limit.cat", std::string(kMaxCatalogueBytes, '#'))));
}

}  // namespace
}  // namespace zel::texts
