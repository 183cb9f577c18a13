// Several real processes sharing one hive file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/registry/hive_text.h"
#include "platform/registry/registry.h"
#include "platform/registry/tests/child_process.h"
#include "platform/registry/tests/registry_dir_fixture.h"

namespace zel::registry {
namespace {

class CrossProcessTest : public testing::RegistryDirTest {
 protected:
  const std::filesystem::path helper_ = testing::programBesideTest("registry_test_helper");
};

TEST_F(CrossProcessTest, WritersAtOnceLoseNoCompletedWrite) {
  constexpr int kWriters = 4;
  constexpr int kWrites = 40;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid =
        testing::startChild(helper_, {"write-numbers", "SOFTWARE\\Busy",
                                      "w" + std::to_string(w) + "_", std::to_string(kWrites)});
    ASSERT_GT(pid, 0);
    children.push_back(pid);
  }
  // Meanwhile the file, read at any moment, is whole, and a write once seen
  // stays there.
  size_t seen = 0;
  for (int i = 0; i < 100; ++i) {
    const std::string text = readFile(hiveFile());
    if (text.empty()) continue;  // not written yet
    const ParsedHive now = parseHiveText(text);
    ASSERT_TRUE(now.clean()) << text;
    const KeyNode* busy = findKey(now.root, {"SOFTWARE", "Busy"});
    const size_t count = busy ? busy->values.size() : 0;
    EXPECT_GE(count, seen);
    seen = count;
  }
  for (pid_t pid : children)
    EXPECT_EQ(testing::waitChild(pid), 0);

  const ParsedHive parsed = parseHiveText(readFile(hiveFile()));
  EXPECT_TRUE(parsed.clean());
  const KeyNode* busy = findKey(parsed.root, {"SOFTWARE", "Busy"});
  ASSERT_NE(busy, nullptr);
  EXPECT_EQ(busy->values.size(), static_cast<size_t>(kWriters * kWrites + 1));
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kWrites; ++i) {
      const std::string name = "w" + std::to_string(w) + "_" + std::to_string(i);
      EXPECT_EQ(readNumber(Hive::kLocalMachine, "SOFTWARE\\Busy", name), static_cast<uint32_t>(i))
          << name;
    }
  }
  EXPECT_TRUE(readText(Hive::kLocalMachine, "SOFTWARE\\Busy", "Shared"));
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"HKLM.hive", "HKLM.hive.lock"}));
}

TEST_F(CrossProcessTest, AProcessSeesAnotherProcesssWrites) {
  // Values of one length each time, so the file keeps its size: the change
  // must be seen all the same, however quickly it follows.
  for (uint32_t round = 1; round <= 9; ++round) {
    ASSERT_EQ(writeNumber(Hive::kLocalMachine, "Shared", "v", round * 10), Status::kOk);
    ASSERT_EQ(readNumber(Hive::kLocalMachine, "Shared", "v"), round * 10);
    ASSERT_EQ(testing::waitChild(testing::startChild(
                  helper_, {"set-number", "Shared", "v", std::to_string(round * 10 + 1)})),
              0);
    EXPECT_EQ(readNumber(Hive::kLocalMachine, "Shared", "v"), round * 10 + 1);
  }
  // An open key sees them too.
  std::optional<Key> key = Key::open(Hive::kLocalMachine, "Shared");
  ASSERT_TRUE(key);
  ASSERT_EQ(testing::waitChild(testing::startChild(helper_, {"set-number", "Shared", "w", "5"})),
            0);
  EXPECT_EQ(key->readNumber("w"), 5u);
}

// Run as another user when this test runs as root, for whom directory
// permissions do not count.
TEST_F(CrossProcessTest, AWriteIntoAReadOnlyDirectoryFailsQuietly) {
  std::string pattern = (std::filesystem::temp_directory_path() / "zel-registry-ro-XXXXXX");
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  const std::filesystem::path top = pattern;
  const std::filesystem::path store = top / "store";
  std::filesystem::create_directories(store);
  ::setenv("ZEL_REGISTRY_DIR", store.c_str(), 1);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 7), Status::kOk);
  ASSERT_EQ(::chmod(top.c_str(), 0755), 0);
  ASSERT_EQ(::chmod(store.c_str(), 0555), 0);
  ASSERT_EQ(::chmod((store / "HKLM.hive").c_str(), 0444), 0);
  ASSERT_EQ(::chmod((store / "HKLM.hive.lock").c_str(), 0444), 0);
  const std::string before = readFile(store / "HKLM.hive");

  const testing::ChildResult result =
      testing::runChild(helper_, {"write-as-nobody", "K", "v", "7"}, scratch_);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(readFile(store / "HKLM.hive"), before);

  ::chmod(store.c_str(), 0755);
  std::filesystem::remove_all(top);
}

}  // namespace
}  // namespace zel::registry
