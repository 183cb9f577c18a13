// zelreg end to end: the real program, started as a child process.
#include <gtest/gtest.h>

#include "platform/registry/hive_text.h"
#include "platform/registry/registry.h"
#include "platform/registry/tests/child_process.h"
#include "platform/registry/tests/registry_dir_fixture.h"

namespace zel::registry {
namespace {

constexpr const char* kKey = "HKLM\\SOFTWARE\\Omrex\\Korvane\\Remote Control\\Container";
constexpr const char* kPath = "SOFTWARE\\Omrex\\Korvane\\Remote Control\\Container";

class ZelregTest : public testing::RegistryDirTest {
 protected:
  testing::ChildResult zelreg(const std::vector<std::string>& args) {
    return testing::runChild(testing::programBesideTest("zelreg"), args, scratch_);
  }

  // Runs zelreg and expects it to succeed; gives its output.
  std::string ok(const std::vector<std::string>& args) {
    const testing::ChildResult result = zelreg(args);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    return result.out;
  }
};

TEST_F(ZelregTest, AddedValuesAreReadByTheLibraryWithTheirTypes) {
  ok({"add", kKey, "-v", "Color Depth", "-t", "REG_DWORD", "-d", "0x104"});
  ok({"add", kKey, "-v", "AutoScroll", "-t", "dword", "-d", "1"});
  ok({"add", kKey, "-v", "CoreServer", "-d", "core.example"});
  ok({"add", kKey, "-v", "Path", "-t", "REG_EXPAND_SZ", "-d", "%HOME%"});
  ok({"add", kKey, "-v", "Addresses", "-t", "REG_MULTI_SZ", "-d", "10.1.2.3;host"});
  ok({"add", kKey, "-v", "Apps", "-t", "REG_MULTI_SZ", "-s", "|", "-d", "a;b|c"});
  ok({"add", kKey, "-v", "Blob", "-t", "REG_BINARY", "-d", "01 02 ff"});
  ok({"add", kKey, "-v", "Odd", "-t", "11", "-d", "0102"});
  ok({"add", kKey, "-v", "", "-d", "default"});

  EXPECT_EQ(readNumber(Hive::kLocalMachine, kPath, "Color Depth"), 0x104u);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, kPath, "AutoScroll"), 1u);
  EXPECT_EQ(readText(Hive::kLocalMachine, kPath, "CoreServer"), "core.example");
  EXPECT_EQ(queryValue(Hive::kLocalMachine, kPath, "Path")->type, type::kExpandString);
  EXPECT_EQ(readMultiText(Hive::kLocalMachine, kPath, "Addresses"),
            (std::vector<std::string>{"10.1.2.3", "host"}));
  EXPECT_EQ(readMultiText(Hive::kLocalMachine, kPath, "Apps"),
            (std::vector<std::string>{"a;b", "c"}));
  EXPECT_EQ(queryValue(Hive::kLocalMachine, kPath, "Blob")->data, (Bytes{1, 2, 0xff}));
  EXPECT_EQ(queryValue(Hive::kLocalMachine, kPath, "Odd")->type, 11u);
  EXPECT_EQ(readText(Hive::kLocalMachine, kPath, ""), "default");
}

TEST_F(ZelregTest, QueryShowsValuesAndSubkeys) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, kPath, "AutoScroll", 1), Status::kOk);
  ASSERT_EQ(writeMultiText(Hive::kLocalMachine, kPath, "Addresses", {"a", "b"}), Status::kOk);
  ASSERT_EQ(createKey(Hive::kLocalMachine, std::string(kPath) + "\\HOTKEYS"), Status::kOk);
  EXPECT_EQ(ok({"query", "hklm\\software\\omrex\\korvane\\remote control\\container"}),
            "[HKLM\\SOFTWARE\\Omrex\\Korvane\\Remote Control\\Container]\n"
            "  \"AutoScroll\" = dword 1\n"
            "  \"Addresses\" = multi_sz \"a\" \"b\"\n"
            "  HOTKEYS\\\n");
  EXPECT_EQ(ok({"query", kKey, "-v", "autoscroll"}), "\"AutoScroll\" = dword 1\n");
  EXPECT_EQ(ok({"query", kKey, "--value", "AutoScroll", "--raw"}), "1\n");
  EXPECT_EQ(ok({"query", kKey, "-v", "Addresses", "-r"}), "a\nb\n");
  EXPECT_EQ(ok({"query", "HKEY_LOCAL_MACHINE"}), "[HKLM]\n  SOFTWARE\\\n");
}

TEST_F(ZelregTest, DeletesValuesAndKeys) {
  ASSERT_EQ(writeNumber(Hive::kCurrentUser, "Top\\Mid\\Low", "v", 1), Status::kOk);
  ASSERT_EQ(writeNumber(Hive::kCurrentUser, "Top", "v", 1), Status::kOk);
  ok({"delete", "HKCU\\Top", "-v", "v"});
  EXPECT_FALSE(queryValue(Hive::kCurrentUser, "Top", "v"));
  ok({"delete", "HKCU\\Top\\Mid"});
  EXPECT_FALSE(Key::open(Hive::kCurrentUser, "Top\\Mid"));
  EXPECT_TRUE(Key::open(Hive::kCurrentUser, "Top"));
  ok({"add", "HKCR\\CLSID\\{X}"});
  EXPECT_TRUE(Key::open(Hive::kClassesRoot, "CLSID\\{x}"));
}

TEST_F(ZelregTest, ExportWritesAHiveFileOfTheKeyTree) {
  ASSERT_EQ(writeText(Hive::kClassesRoot, "CLSID\\{A}", "", "Thing"), Status::kOk);
  ASSERT_EQ(
      writeText(Hive::kClassesRoot, "CLSID\\{A}\\InprocServer32", "ThreadingModel", "Apartment"),
      Status::kOk);
  ASSERT_EQ(writeText(Hive::kClassesRoot, "Other", "x", "y"), Status::kOk);
  const std::string text = ok({"export", "HKCR\\clsid"});
  EXPECT_EQ(text,
            "# zel registry export of HKCR\\CLSID (hive HKEY_CLASSES_ROOT)\n"
            "\n"
            "[CLSID\\{A}]\n"
            "\"\" = sz \"Thing\"\n"
            "\n"
            "[CLSID\\{A}\\InprocServer32]\n"
            "\"ThreadingModel\" = sz \"Apartment\"\n");
  ok({"export", "HKCR", "-o", (scratch_ / "all.hive").string()});
  const ParsedHive all = parseHiveText(readFile(scratch_ / "all.hive"));
  EXPECT_TRUE(all.clean());
  EXPECT_EQ(all.root, *Key::open(Hive::kClassesRoot, "")->tree());
}

TEST_F(ZelregTest, FailuresGiveOneLineAndANonZeroExit) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
  };
  const Case cases[] = {
      {{"query", "HKLM\\Missing"}, 1},
      {{"query", "HKLM\\K", "-v", "missing"}, 1},
      {{"delete", "HKLM\\K", "-v", "missing"}, 1},
      {{"delete", "HKLM\\Missing"}, 1},
      {{"export", "HKLM\\Missing"}, 1},
      {{"frobnicate", "HKLM\\K"}, 2},
      {{"query"}, 2},
      {{"query", "HKXX\\K"}, 2},
      {{"query", "HKLM\\a\\\\b"}, 2},
      {{"query", "HKLM\\K", "extra"}, 2},
      {{"query", "HKLM\\K", "-v"}, 2},
      {{"query", "HKLM\\K", "--bogus"}, 2},
      {{"add", "HKLM\\K", "-v", "n", "-t", "REG_DWORD", "-d", "4294967296"}, 2},
      {{"add", "HKLM\\K", "-v", "n", "-t", "REG_DWORD", "-d", "twelve"}, 2},
      {{"add", "HKLM\\K", "-v", "n", "-t", "REG_BINARY", "-d", "0g"}, 2},
      {{"add", "HKLM\\K", "-v", "n", "-t", "REG_WHAT"}, 2},
      {{"add", "HKLM\\K", "-v", "n", "-t", "REG_MULTI_SZ", "-d", "a;;b"}, 2},
      {{"add", "HKLM\\K", "-d", "no name"}, 2},
      {{"delete", "HKLM"}, 2},
      {{"query", "HKLM\\K", "-d", "1"}, 2},
  };
  for (const Case& c : cases) {
    const testing::ChildResult result = zelreg(c.args);
    std::string shown;
    for (const std::string& arg : c.args)
      shown += " " + arg;
    EXPECT_EQ(result.exitCode, c.exitCode) << shown;
    EXPECT_EQ(result.out, "") << shown;
    ASSERT_FALSE(result.err.empty()) << shown;
    EXPECT_EQ(result.err.rfind("zelreg: ", 0), 0u) << shown << ": " << result.err;
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << shown << ": " << result.err;
  }
  // Nothing was changed by the failed commands.
  EXPECT_EQ(Key::open(Hive::kLocalMachine, "K")->values().size(), 1u);
}

TEST_F(ZelregTest, UsageText) {
  const testing::ChildResult none = zelreg({});
  EXPECT_EQ(none.exitCode, 2);
  EXPECT_NE(none.err.find("Usage: zelreg COMMAND KEY"), std::string::npos);
  const std::string help = ok({"help"});
  for (const char* word : {"query", "add", "delete", "export", "REG_MULTI_SZ", "-s, --separator"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

TEST_F(ZelregTest, AWriteThatCannotBeMadeFailsWithOneLine) {
  ::setenv("ZEL_REGISTRY_DIR", "/proc/self", 1);
  const testing::ChildResult result = zelreg({"add", "HKLM\\K", "-v", "n", "-d", "x"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.rfind("zelreg: cannot set \"n\" in HKLM\\K: ", 0), 0u) << result.err;
}

}  // namespace
}  // namespace zel::registry
