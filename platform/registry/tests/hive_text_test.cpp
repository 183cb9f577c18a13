#include "platform/registry/hive_text.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/registry/value_data.h"

namespace zel::registry {
namespace {

KeyNode sampleTree() {
  KeyNode root;
  KeyNode& container = createKey(root, {"SOFTWARE", "Omrex", "Container"});
  container.setValue({"AutoScroll", type::kDword, numberData(1)});
  container.setValue({"", type::kString, textData("default \"text\"")});
  container.setValue({"Addresses", type::kMultiString, multiTextData({"10.1.2.3", "host"})});
  container.setValue({"Picture", type::kBinary, {1, 2, 0xff}});
  container.setValue({"Odd", 11, {0, 1}});
  createKey(root, {"SOFTWARE", "Omrex", "Container", "HOTKEYS"});
  return root;
}

TEST(HiveTextTest, WritesKeysWithTheirValuesInReadableLines) {
  EXPECT_EQ(formatHiveText(sampleTree(), "hive HKLM"),
            "# hive HKLM\n"
            "\n"
            "[SOFTWARE\\Omrex\\Container]\n"
            "\"AutoScroll\" = dword 1\n"
            "\"\" = sz \"default \\\"text\\\"\"\n"
            "\"Addresses\" = multi_sz \"10.1.2.3\" \"host\"\n"
            "\"Picture\" = binary hex 01 02 ff\n"
            "\"Odd\" = 11 hex 00 01\n"
            "\n"
            "[SOFTWARE\\Omrex\\Container\\HOTKEYS]\n");
}

TEST(HiveTextTest, WrittenTreeParsesBackCleanly) {
  const KeyNode tree = sampleTree();
  const ParsedHive parsed = parseHiveText(formatHiveText(tree, "x"));
  EXPECT_TRUE(parsed.clean());
  EXPECT_EQ(parsed.root, tree);
}

TEST(HiveTextTest, ReadsWhatAnOperatorMightWrite) {
  const ParsedHive parsed = parseHiveText(
      "; a comment\r\n"
      "  [Software\\Test\\]  \r\n"
      "\t\"Hex\"=REG_DWORD 0x10\n"
      "\"Dec\" = 4 16\n"
      "\"Text\" = REG_EXPAND_SZ \"%HOME%\\\\x\"\n"
      "\"Empty list\" = multi_sz\n"
      "\"Joined\" = multi_sz \"a\"\"b\"\n"
      "\"Raw\" = sz hex 61 62\n"
      "\"Nothing\" = binary hex\n"
      "\"Escapes\" = sz \"\\t\\n\\r\\x01\\x7F\"\n");
  EXPECT_TRUE(parsed.clean()) << parsed.badLines;
  const KeyNode* key = findKey(parsed.root, {"SOFTWARE", "TEST"});
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->name, "Test");
  EXPECT_EQ(key->findValue("hex")->data, numberData(16));
  EXPECT_EQ(key->findValue("dec")->data, numberData(16));
  EXPECT_EQ(key->findValue("text")->type, type::kExpandString);
  EXPECT_EQ(key->findValue("text")->data, textData("%HOME%\\x"));
  EXPECT_EQ(key->findValue("empty list")->data, multiTextData({}));
  EXPECT_EQ(key->findValue("joined")->data, multiTextData({"a", "b"}));
  EXPECT_EQ(key->findValue("raw")->data, (Bytes{'a', 'b'}));
  EXPECT_EQ(key->findValue("nothing")->data, Bytes{});
  EXPECT_EQ(key->findValue("escapes")->data, textData("\t\n\r\x01\x7f"));
}

TEST(HiveTextTest, SkipsAndCountsLinesThatCannotBeRead) {
  const char* badLines[] = {
      "\"a\" = dword 4294967296",   // too large
      "\"a\" = dword 1 2",          // trailing text
      "\"a\" = dword",              // no data
      "\"a\" = sz \"x\" \"y\"",     // two texts for one
      "\"a\" = sz \"unterminated",  // no closing quote
      "\"a\" = sz \"bad \\q escape\"",
      "\"a\" = sz \"bad \\x4\"",
      "\"a\" = binary 01 02",  // hex data without "hex"
      "\"a\" = binary hex 1",  // odd digit count
      "\"a\" = binary hex01",
      "\"a\" = \"x\"",  // no type
      "\"a\" = nosuchtype \"x\"",
      "\"a\" dword 1",        // no "="
      "a = dword 1",          // unquoted name
      "\"a\x01\" = dword 1",  // raw control character
      "just words",
  };
  for (const char* line : badLines) {
    const ParsedHive parsed = parseHiveText(std::string("[K]\n") + line + "\n\"ok\" = dword 7\n");
    EXPECT_EQ(parsed.badLines, 1u) << line;
    const KeyNode* key = findKey(parsed.root, {"K"});
    ASSERT_NE(key, nullptr) << line;
    EXPECT_EQ(key->values.size(), 1u) << line;
    EXPECT_NE(key->findValue("ok"), nullptr) << line;
  }
}

TEST(HiveTextTest, ValuesAfterAnUnreadableKeyLineBelongToNoKey) {
  const ParsedHive parsed = parseHiveText(
      "[Good]\n\"a\" = dword 1\n[Bad\\\\Path]\n\"b\" = dword 2\n[Good]\n\"c\" = dword 3\n");
  EXPECT_EQ(parsed.badLines, 2u);
  const KeyNode* good = findKey(parsed.root, {"Good"});
  ASSERT_NE(good, nullptr);
  EXPECT_EQ(good->values.size(), 2u);
  EXPECT_EQ(good->findValue("b"), nullptr);
  EXPECT_EQ(parsed.root.subkeys.size(), 1u);
}

TEST(HiveTextTest, ACutLastLineMakesTheFileUnclean) {
  const std::string text = formatHiveText(sampleTree(), "");
  EXPECT_TRUE(parseHiveText(text).clean());
  const ParsedHive cut = parseHiveText(text.substr(0, text.size() - 1));
  EXPECT_EQ(cut.badLines, 0u);
  EXPECT_FALSE(cut.clean());
}

TEST(HiveTextTest, OddNamesAndDataRoundTrip) {
  KeyNode root;
  KeyNode& key = createKey(root, {"[brackets]", " spaced ", "#not a comment", "caf\xc3\xa9"});
  key.setValue({"quote\" back\\slash", type::kString, textData("line\nbreak")});
  key.setValue({"tab\tand\x7f", type::kString, Bytes{'n', 'o', ' ', 'n', 'u', 'l'}});
  key.setValue({"inner nul", type::kString, Bytes{'a', 0, 'b', 0}});
  key.setValue({"empty entry", type::kMultiString, Bytes{'a', 0, 0, 'b', 0, 0}});
  key.setValue({"short dword", type::kDword, Bytes{1, 2}});
  key.setValue({"max type", 0xffffffff, Bytes{}});
  root.setValue({"at the root", type::kDword, numberData(3)});
  const std::string text = formatHiveText(root, "");
  const ParsedHive parsed = parseHiveText(text);
  EXPECT_TRUE(parsed.clean()) << text;
  EXPECT_EQ(parsed.root, root) << text;
}

TEST(HiveTextTest, KeysDeeperThanTheLimitAreRefused) {
  std::string deepest;
  for (size_t i = 0; i < kMaxKeyDepth; ++i)
    deepest += i == 0 ? "k" : "\\k";
  EXPECT_TRUE(parseHiveText("[" + deepest + "]\n").clean());
  EXPECT_EQ(parseHiveText("[" + deepest + "\\k]\n").badLines, 1u);
}

TEST(HiveTextTest, LaterValueOfTheSameNameWins) {
  const ParsedHive parsed = parseHiveText("[k]\n\"A\" = dword 1\n[K]\n\"a\" = dword 2\n");
  EXPECT_TRUE(parsed.clean());
  const KeyNode* key = findKey(parsed.root, {"k"});
  ASSERT_NE(key, nullptr);
  ASSERT_EQ(key->values.size(), 1u);
  EXPECT_EQ(key->values[0].name, "A");
  EXPECT_EQ(key->values[0].data, numberData(2));
}

// A quadratic reader would not finish within the test's time-out.
TEST(HiveTextTest, ManyKeysAndValuesInAnyOrderAreReadWhole) {
  constexpr int kCount = 100000;
  std::string text = "[Values]\n";
  for (int i = 0; i < kCount; ++i)
    text += "\"v" + std::to_string(i) + "\" = dword 1\n";
  for (int i = kCount; i > 0; --i)
    text += "[Keys\\k" + std::to_string(i) + "]\n";
  const ParsedHive parsed = parseHiveText(text);
  EXPECT_TRUE(parsed.clean());
  EXPECT_EQ(findKey(parsed.root, {"Values"})->values.size(), static_cast<size_t>(kCount));
  const KeyNode* keys = findKey(parsed.root, {"Keys"});
  ASSERT_EQ(keys->subkeys.size(), static_cast<size_t>(kCount));
  EXPECT_EQ(keys->subkeys.front().name, "k1");
  EXPECT_TRUE(std::is_sorted(
      keys->subkeys.begin(), keys->subkeys.end(),
      [](const KeyNode& a, const KeyNode& b) { return compareNames(a.name, b.name) < 0; }));
}

}  // namespace
}  // namespace zel::registry
