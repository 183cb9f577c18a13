// The hive files: damaged content, changes made behind the library's back,
// writes that cannot be made, and threads writing at once.
#include "platform/registry/hive_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "platform/registry/hive_text.h"
#include "platform/registry/registry.h"
#include "platform/registry/tests/registry_dir_fixture.h"

namespace zel::registry {
namespace {

class HiveFileTest : public testing::RegistryDirTest {};

TEST_F(HiveFileTest, DamagedFilesAreReadAsFarAsTheyGoAndKeptBeforeBeingReplaced) {
  const std::string good =
      "[Keep]\n\"a\" = dword 1\n\"b\" = sz \"two\"\n[Keep\\Sub]\n\"c\" = dword 3\n";
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<uint32_t> a;  // what value "a" of Keep reads as
  };
  const Case cases[] = {
      {"binary garbage", std::string("\x00\xff\x13[\x80\"\n\x01", 8), std::nullopt},
      {"cut in the middle of a line", good.substr(0, good.size() - 8), 1u},
      {"cut in the middle of a key line", good.substr(0, good.find("Sub")), 1u},
      {"one bad line among good ones", "[Keep]\n\"a\" = dword 1\n\"x\" = dword oops\n", 1u},
      {"a header that never closes", "[Keep\n\"a\" = dword 1\n", std::nullopt},
      {"only NUL bytes", std::string(64, '\0'), std::nullopt},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string key = "Keep";
    ::setenv("ZEL_REGISTRY_DIR", (dir_ / std::to_string(++round)).c_str(), 1);
    const std::filesystem::path file = dir_ / std::to_string(round) / "HKLM.hive";
    std::filesystem::create_directories(file.parent_path());
    writeFile(file, c.bytes);

    EXPECT_EQ(readNumber(Hive::kLocalMachine, key, "a"), c.a);
    ASSERT_EQ(writeNumber(Hive::kLocalMachine, key, "new", 9), Status::kOk);
    EXPECT_EQ(readNumber(Hive::kLocalMachine, key, "a"), c.a);
    EXPECT_EQ(readNumber(Hive::kLocalMachine, key, "new"), 9u);
    EXPECT_EQ(readFile(file.string() + ".corrupt-1"), c.bytes);
    EXPECT_TRUE(parseHiveText(readFile(file)).clean());

    // Once clean, the file is replaced without another copy.
    ASSERT_EQ(writeNumber(Hive::kLocalMachine, key, "newer", 10), Status::kOk);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".corrupt-2"));
  }
}

TEST_F(HiveFileTest, AnEarlierCopyOfADamagedFileIsNotOverwritten) {
  writeFile(hiveFile(), "damaged one");
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  writeFile(hiveFile(), "damaged two");
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 2), Status::kOk);
  EXPECT_EQ(readFile(hiveFile().string() + ".corrupt-1"), "damaged one");
  EXPECT_EQ(readFile(hiveFile().string() + ".corrupt-2"), "damaged two");
}

TEST_F(HiveFileTest, AHiveThatCannotBeReadIsNeverReplaced) {
  std::filesystem::create_directories(hiveFile() / "inside");
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "K", "v"), std::nullopt);
  EXPECT_NE(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  EXPECT_TRUE(std::filesystem::is_directory(hiveFile() / "inside"));
}

TEST_F(HiveFileTest, EditsMadeToTheFileByHandAreSeen) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "K", "v"), 1u);
  // Rewritten in place, as an editor may, with a different length.
  writeFile(hiveFile(), "[K]\n\"v\" = dword 22\n");
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "K", "v"), 22u);
  std::filesystem::remove(hiveFile());
  EXPECT_EQ(readNumber(Hive::kLocalMachine, "K", "v"), std::nullopt);
  EXPECT_FALSE(Key::open(Hive::kLocalMachine, "K"));
}

TEST_F(HiveFileTest, WritesKeepTheFilesPermissionsAndLeaveNoTemporaryFile) {
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 1), Status::kOk);
  struct stat st {};
  ASSERT_EQ(::stat(hiveFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);
  ASSERT_EQ(::chmod(hiveFile().c_str(), 0640), 0);
  ASSERT_EQ(writeNumber(Hive::kLocalMachine, "K", "v", 2), Status::kOk);
  ASSERT_EQ(::stat(hiveFile().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(fileNames(), (std::vector<std::string>{"HKLM.hive", "HKLM.hive.lock"}));
}

TEST_F(HiveFileTest, AWriteWhereTheStoreCannotBeWrittenFailsQuietly) {
  // Nobody, root included, may create files here.
  ::setenv("ZEL_REGISTRY_DIR", "/proc/self", 1);
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const Status number = writeNumber(Hive::kLocalMachine, "K", "v", 1);
  const Status key = createKey(Hive::kCurrentUser, "K");
  const bool created = Key::create(Hive::kClassesRoot, "K").has_value();
  const std::optional<uint32_t> read = readNumber(Hive::kLocalMachine, "K", "v");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_NE(number, Status::kOk);
  EXPECT_NE(key, Status::kOk);
  EXPECT_FALSE(created);
  EXPECT_EQ(read, std::nullopt);
}

TEST_F(HiveFileTest, ThreadsWritingAtOnceLoseNothing) {
  constexpr int kThreads = 4;
  constexpr int kWrites = 25;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < kWrites; ++i) {
        const std::string name = "t" + std::to_string(t) + "_" + std::to_string(i);
        if (writeNumber(Hive::kLocalMachine, "Busy", name, static_cast<uint32_t>(i)) !=
            Status::kOk) {
          ++failures[static_cast<size_t>(t)];
        }
        // Readers run beside the writers.
        if (!readNumber(Hive::kLocalMachine, "Busy", name)) ++failures[static_cast<size_t>(t)];
      }
    });
  }
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(failures, std::vector<int>(kThreads, 0));
  const ParsedHive parsed = parseHiveText(readFile(hiveFile()));
  EXPECT_TRUE(parsed.clean());
  const KeyNode* busy = findKey(parsed.root, {"Busy"});
  ASSERT_NE(busy, nullptr);
  EXPECT_EQ(busy->values.size(), static_cast<size_t>(kThreads * kWrites));
}

}  // namespace
}  // namespace zel::registry
