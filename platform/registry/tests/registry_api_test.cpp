#include "platform/registry/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>

#include "platform/registry/batch.h"
#include "platform/registry/hive_location.h"
#include "platform/registry/hive_text.h"
#include "platform/registry/tests/registry_dir_fixture.h"

namespace zel::registry {
namespace {

constexpr const char* kContainer = "SOFTWARE\\Omrex\\Korvane\\Remote Control\\Container";

class RegistryApiTest : public testing::RegistryDirTest {
 protected:
  // What the hive file says, read apart from the library's cache.
  KeyNode onDisk(Hive hive = Hive::kLocalMachine) {
    ParsedHive parsed = parseHiveText(readFile(hiveFile(hive)));
    EXPECT_TRUE(parsed.clean());
    return parsed.root;
  }
};

TEST_F(RegistryApiTest, EveryTypeReadsBackWithItsTypeAndBytes) {
  struct Case {
    const char* name;
    uint32_t type;
    Bytes data;
  };
  const Case cases[] = {
      {"Text", type::kString, textData("hello")},
      {"Expandable", type::kExpandString, textData("%HOME%/x")},
      {"Blob", type::kBinary, {0, 1, 2, 0xfe, 0xff}},
      {"Number", type::kDword, numberData(0xdeadbeef)},
      {"List", type::kMultiString, multiTextData({"a", "b c"})},
      {"Opaque", 11, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"Empty", type::kBinary, {}},
      {"", type::kString, textData("default")},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(setValue(Hive::kLocalMachine, kContainer, c.name, c.type, c.data), Status::kOk);
  }
  const KeyNode disk = onDisk();
  const KeyNode* stored = findKey(disk, *splitKeyPath(kContainer));
  ASSERT_NE(stored, nullptr);
  for (const Case& c : cases) {
    const std::optional<Value> value = queryValue(Hive::kLocalMachine, kContainer, c.name);
    ASSERT_TRUE(value) << c.name;
    EXPECT_EQ(value->type, c.type) << c.name;
    EXPECT_EQ(value->data, c.data) << c.name;
    ASSERT_NE(stored->findValue(c.name), nullptr) << c.name;
    EXPECT_EQ(stored->findValue(c.name)->data, c.data) << c.name;
  }
}

TEST_F(RegistryApiTest, ConvenienceReadersAndWriters) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, kContainer, "Color Depth", 0x104), Status::kOk);
  ASSERT_EQ(writeText(Hive::kLocalMachine, kContainer, "CoreServer", "core.example"), Status::kOk);
  ASSERT_EQ(writeMultiText(Hive::kLocalMachine, kContainer, "Addresses", {"10.1.2.3", "h"}),
            Status::kOk);
  ASSERT_EQ(writeMultiText(Hive::kLocalMachine, kContainer, "None", {}), Status::kOk);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, kContainer, "Color Depth"), 0x104u);
  EXPECT_EQ(readText(Hive::kLocalMachine, kContainer, "CoreServer"), "core.example");
  EXPECT_EQ(readMultiText(Hive::kLocalMachine, kContainer, "Addresses"),
            (std::vector<std::string>{"10.1.2.3", "h"}));
  EXPECT_EQ(readMultiText(Hive::kLocalMachine, kContainer, "None"), std::vector<std::string>{});
  // Readers of one type do not read another.
  EXPECT_EQ(readText(Hive::kLocalMachine, kContainer, "Color Depth"), std::nullopt);
  EXPECT_EQ(readMultiText(Hive::kLocalMachine, kContainer, "CoreServer"), std::nullopt);

  EXPECT_EQ(writeText(Hive::kLocalMachine, kContainer, "Bad", std::string_view("a\0b", 3)),
            Status::kInvalidArgument);
  EXPECT_EQ(writeMultiText(Hive::kLocalMachine, kContainer, "Bad", {"a", ""}),
            Status::kInvalidArgument);
}

TEST_F(RegistryApiTest, NumberReaderTakesOnlyAFourByteDword) {
  const std::string key = "SOFTWARE\\Rule";
  struct Case {
    const char* name;
    uint32_t type;
    Bytes data;
    std::optional<uint32_t> expected;
  };
  const Case cases[] = {
      {"dword", type::kDword, numberData(5), 5u},
      {"text five", type::kString, textData("5"), std::nullopt},
      {"binary of four", type::kBinary, {5, 0, 0, 0}, std::nullopt},
      {"multi of four", type::kMultiString, {5, 0, 0, 0}, std::nullopt},
      {"long dword", type::kDword, {5, 0, 0, 0, 0}, std::nullopt},
      {"short dword", type::kDword, {5, 0}, std::nullopt},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(setValue(Hive::kLocalMachine, key, c.name, c.type, c.data), Status::kOk);
  }
  for (const Case& c : cases) {
    EXPECT_EQ(readNumber(Hive::kLocalMachine, key, c.name), c.expected) << c.name;
  }
  EXPECT_EQ(readNumber(Hive::kLocalMachine, key, "missing value"), std::nullopt);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "SOFTWARE\\Missing", "dword"), std::nullopt);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "bad\\\\path", "dword"), std::nullopt);
}

TEST_F(RegistryApiTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Software\\Omrex", "AutoScroll", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "SOFTWARE\\OMREX", "AUTOSCROLL", 2), Status::kOk);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "software\\omrex", "autoscroll"), 2u);

  std::optional<Key> root = Key::open(Hive::kLocalMachine, "");
  ASSERT_TRUE(root);
  EXPECT_EQ(root->subkeyNames(), std::vector<std::string>{"Software"});
  std::optional<Key> key = Key::open(Hive::kLocalMachine, "SOFTWARE\\omrex");
  ASSERT_TRUE(key);
  ASSERT_EQ(key->values().size(), 1u);
  EXPECT_EQ(key->values()[0].name, "AutoScroll");
  EXPECT_EQ(key->queryValue("autoSCROLL")->name, "AutoScroll");
}

TEST_F(RegistryApiTest, EnumeratesSubkeysSortedAndValuesInTheOrderSet) {
  std::optional<Key> key = Key::create(Hive::kClassesRoot, "CLSID");
  ASSERT_TRUE(key);
  for (const char* name : {"{b}", "{C}", "{a}"})
    ASSERT_TRUE(key->createSubkey(name));
  for (const char* name : {"z", "y", "x"})
    ASSERT_EQ(key->writeNumber(name, 0), Status::kOk);
  EXPECT_EQ(key->subkeyNames(), (std::vector<std::string>{"{a}", "{b}", "{C}"}));
  std::vector<std::string> valueNames;
  for (const Value& value : key->values())
    valueNames.push_back(value.name);
  EXPECT_EQ(valueNames, (std::vector<std::string>{"z", "y", "x"}));
  // A subkey created with the name of an existing one in another case is the same key.
  ASSERT_TRUE(key->createSubkey("{A}"));
  EXPECT_EQ(key->subkeyNames().size(), 3u);
}

TEST_F(RegistryApiTest, OpenFailsForAMissingKeyAndCreateMakesParents) {
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "A\\B\\C"));
  std::optional<Key> created = Key::create(Hive::kLocalMachine, "A\\B\\C\\");
  ASSERT_TRUE(created);
  EXPECT_EQ(created->path(), "A\\B\\C");
  EXPECT_TRUE(Key::open(Hive::kLocalMachine, "A"));
  EXPECT_TRUE(Key::open(Hive::kLocalMachine, "a\\b"));
  EXPECT_TRUE(Key::open(Hive::kLocalMachine, "A")->openSubkey("B\\C"));
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "A")->openSubkey("C"));
  // Empty keys are kept in the file too.
  EXPECT_NE(findKey(onDisk(), {"A", "B", "C"}), nullptr);
}

TEST_F(RegistryApiTest, DeletingAKeyDeletesEverythingBelowIt) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Top\\Mid\\Low", "v", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Top\\Mid", "v", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Top\\Other", "v", 1), Status::kOk);
  std::optional<Key> low = Key::open(Hive::kLocalMachine, "Top\\Mid\\Low");
  ASSERT_TRUE(low);

  EXPECT_EQ(deleteKey(Hive::kLocalMachine, "top\\MID"), Status::kOk);
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "Top\\Mid"));
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "Top\\Mid\\Low"));
  EXPECT_EQ(Key::open(Hive::kLocalMachine, "Top")->subkeyNames(),
            std::vector<std::string>{"Other"});
  EXPECT_EQ(findKey(onDisk(), {"Top", "Mid"}), nullptr);

  // An open key of a deleted key sees it gone and is not brought back by a write.
  EXPECT_FALSE(low->exists());
  EXPECT_EQ(low->writeNumber("v", 2), Status::kNotFound);
  EXPECT_FALSE(low->createSubkey("Again"));
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "Top\\Mid"));

  EXPECT_EQ(deleteKey(Hive::kLocalMachine, "Top\\Mid"), Status::kNotFound);
  EXPECT_EQ(deleteKey(Hive::kLocalMachine, ""), Status::kInvalidArgument);
  EXPECT_EQ(Key::open(Hive::kLocalMachine, "Top")->deleteSubkey("Other"), Status::kOk);
  EXPECT_EQ(Key::open(Hive::kLocalMachine, "Top")->deleteSubkey(""), Status::kInvalidArgument);
}

TEST_F(RegistryApiTest, DeletingValues) {
  ASSERT_EQ(writeNumber(Hive::kCurrentUser, "K", "a", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kCurrentUser, "K", "b", 2), Status::kOk);
  EXPECT_EQ(deleteValue(Hive::kCurrentUser, "K", "A"), Status::kOk);
  EXPECT_EQ(deleteValue(Hive::kCurrentUser, "K", "a"), Status::kNotFound);
  EXPECT_EQ(deleteValue(Hive::kCurrentUser, "Missing", "b"), Status::kNotFound);
  EXPECT_EQ(readNumber(Hive::kCurrentUser, "K", "a"), std::nullopt);
  EXPECT_EQ(readNumber(Hive::kCurrentUser, "K", "b"), 2u);
}

TEST_F(RegistryApiTest, HivesAreSeparate) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kClassesRoot, "K", "v", 2), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kCurrentUser, "K", "v", 3), Status::kOk);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "K", "v"), 1u);
  EXPECT_EQ(readNumber(Hive::kClassesRoot, "K", "v"), 2u);
  EXPECT_EQ(readNumber(Hive::kCurrentUser, "K", "v"), 3u);
  EXPECT_EQ(fileNames(),
            (std::vector<std::string>{"HKCR.hive", "HKCR.hive.lock", "HKCU.hive", "HKCU.hive.lock",
                                      "HKLM.hive", "HKLM.hive.lock"}));
}

TEST_F(RegistryApiTest, MalformedPathsAndNamesAreRefused) {
  const std::string tooLong(kMaxKeyNameBytes + 1, 'k');
  for (const std::string& path : {std::string("\\Lead"), std::string("A\\\\B"), tooLong,
                                  std::string("Ctl\x01"), std::string("A\\\\")}) {
    EXPECT_EQ(createKey(Hive::kLocalMachine, path), Status::kInvalidArgument) << path;
    EXPECT_EQ(writeNumber(Hive::kLocalMachine, path, "v", 1), Status::kInvalidArgument) << path;
    EXPECT_FALSE(Key::open(Hive::kLocalMachine, path)) << path;
  }
  EXPECT_EQ(writeNumber(Hive::kLocalMachine, "K", std::string_view("a\0b", 3), 1),
            Status::kInvalidArgument);
  EXPECT_EQ(writeNumber(Hive::kLocalMachine, "K", std::string(kMaxValueNameBytes + 1, 'v'), 1),
            Status::kInvalidArgument);
  EXPECT_EQ(fileNames(), std::vector<std::string>{});
}

TEST_F(RegistryApiTest, UnchangedContentIsNotWrittenAgain) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  struct stat before {};
  ASSERT_EQ(::stat(hiveFile().c_str(), &before), 0);
  EXPECT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  EXPECT_EQ(createKey(Hive::kLocalMachine, "k"), Status::kOk);
  struct stat after {};
  ASSERT_EQ(::stat(hiveFile().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);
}

TEST_F(RegistryApiTest, ABatchMakesAllItsChangesInOneWrite) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Old", "v", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, kContainer, "Gone", 1), Status::kOk);
  Batch batch(Hive::kLocalMachine);
  batch.writeNumber(kContainer, "AutoScroll", 0);
  batch.writeText(kContainer, "CoreServer", "core");
  batch.writeMultiText(kContainer, "Addresses", {"a"});
  batch.setValue(kContainer, "Blob", type::kBinary, Bytes{1});
  batch.createKey(std::string(kContainer) + "\\HOTKEYS");
  batch.deleteValue(kContainer, "Gone");
  batch.deleteValue(kContainer, "Never there");
  batch.deleteKey("Old");
  batch.deleteKey("Never\\There");
  ASSERT_EQ(batch.commit(), Status::kOk);

  const KeyNode disk = onDisk();
  const KeyNode* container = findKey(disk, *splitKeyPath(kContainer));
  ASSERT_NE(container, nullptr);
  std::vector<std::string> names;
  for (const Value& value : container->values)
    names.push_back(value.name);
  EXPECT_EQ(names, (std::vector<std::string>{"AutoScroll", "CoreServer", "Addresses", "Blob"}));
  EXPECT_NE(container->findSubkey("HOTKEYS"), nullptr);
  EXPECT_EQ(disk.findSubkey("Old"), nullptr);
  // Committed changes are forgotten.
  EXPECT_EQ(batch.commit(), Status::kOk);
}

TEST_F(RegistryApiTest, AMalformedChangeKeepsTheWholeBatchFromBeingWritten) {
  struct Case {
    const char* what;
    std::function<void(Batch&)> spoil;
  };
  const Case cases[] = {
      {"bad path", [](Batch& b) { b.writeNumber("A\\\\B", "v", 1); }},
      {"bad name", [](Batch& b) { b.writeNumber("K", std::string_view("a\0b", 3), 1); }},
      {"text with NUL", [](Batch& b) { b.writeText("K", "t", std::string_view("a\0b", 3)); }},
      {"empty entry", [](Batch& b) { b.writeMultiText("K", "m", {""}); }},
      {"the root", [](Batch& b) { b.deleteKey(""); }},
  };
  for (const Case& c : cases) {
    Batch batch(Hive::kLocalMachine);
    batch.writeNumber("K", "first", 1);
    c.spoil(batch);
    batch.writeNumber("K", "last", 1);
    EXPECT_EQ(batch.commit(), Status::kInvalidArgument) << c.what;
    EXPECT_FALSE(std::filesystem::exists(hiveFile())) << c.what;
  }
}

TEST(HiveLocationTest, DefaultsWithoutTheOverride) {
  const std::string saved = ::getenv("ZEL_REGISTRY_DIR") ? ::getenv("ZEL_REGISTRY_DIR") : "";
  const char* home = ::getenv("HOME");
  const std::string savedHome = home ? home : "";
  ::unsetenv("ZEL_REGISTRY_DIR");
  ::setenv("XDG_CONFIG_HOME", "/somewhere/config", 1);
  EXPECT_EQ(locateHive(Hive::kLocalMachine)->file, "/var/lib/zel/registry/HKLM.hive");
  EXPECT_EQ(locateHive(Hive::kClassesRoot)->file, "/var/lib/zel/registry/HKCR.hive");
  EXPECT_EQ(locateHive(Hive::kCurrentUser)->file, "/somewhere/config/zel/registry/HKCU.hive");
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  ::setenv("HOME", "/home/operator", 1);
  EXPECT_EQ(locateHive(Hive::kCurrentUser)->file, "/home/operator/.config/zel/registry/HKCU.hive");
  ::unsetenv("XDG_CONFIG_HOME");
  if (home) {
    ::setenv("HOME", savedHome.c_str(), 1);
  } else {
    ::unsetenv("HOME");
  }
  if (!saved.empty()) ::setenv("ZEL_REGISTRY_DIR", saved.c_str(), 1);
}

}  // namespace
}  // namespace zel::registry
