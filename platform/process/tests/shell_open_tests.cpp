#include "platform/process/shell_open.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process/app_paths.h"
#include "platform/process/tests/probe_report.h"
#include "platform/registry/registry.h"

namespace zel::process {
namespace {

using testing_support::parseReport;
using testing_support::probeProgram;
using testing_support::ReportPipe;
using testing_support::TemporaryDirectory;

const std::string kProbeKey = std::string(kAppPathsKey) + "\\zelprobe.exe";

class AppPathsRegistry : public testing::Test {
 protected:
  void SetUp() override { registry::deleteKey(registry::Hive::kLocalMachine, kProbeKey); }
  void TearDown() override { registry::deleteKey(registry::Hive::kLocalMachine, kProbeKey); }
  static void registerProbe(const std::string& program, const std::string& directory) {
    ASSERT_EQ(registry::writeText(registry::Hive::kLocalMachine, kProbeKey, "", program),
              registry::Status::kOk);
    ASSERT_EQ(registry::writeText(registry::Hive::kLocalMachine, kProbeKey, "PATH", directory),
              registry::Status::kOk);
  }
};

TEST(SplitParameters, KeepsQuotesAndSplitsOutsideThem) {
  struct Case {
    const char* text;
    std::vector<std::string> arguments;
  };
  const Case cases[] = {
      {"-c\"remote control\" -a10.1.2.3", {"-c\"remote control\"", "-a10.1.2.3"}},
      {"  a \t b  ", {"a", "b"}},
      {"", {}},
      {"\"\"", {"\"\""}},
      {"\"unclosed quote  x", {"\"unclosed quote  x"}},
      {"x\"y z\"w v", {"x\"y z\"w", "v"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(splitParameters(c.text), c.arguments) << c.text;
}

TEST_F(AppPathsRegistry, ReadsTheProgramAndItsDirectory) {
  EXPECT_FALSE(findAppPath("zelprobe.exe"));
  registerProbe(probeProgram().string(), "/opt/zel");
  std::optional<AppPath> entry = findAppPath("ZELPROBE.EXE");  // key names ignore case
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->program, probeProgram().string());
  EXPECT_EQ(entry->directory, "/opt/zel");
  EXPECT_FALSE(findAppPath(""));
  EXPECT_FALSE(findAppPath("x\\zelprobe.exe"));
}

TEST_F(AppPathsRegistry, EntryWithoutValuesGivesEmptyTexts) {
  ASSERT_EQ(registry::createKey(registry::Hive::kLocalMachine, kProbeKey), registry::Status::kOk);
  std::optional<AppPath> entry = findAppPath("zelprobe.exe");
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->program.empty());
  EXPECT_TRUE(entry->directory.empty());
}

TEST_F(AppPathsRegistry, FindProgramOrder) {
  TemporaryDirectory dir;
  EXPECT_FALSE(findProgram("zelprobe.exe", dir.path()));
  // On PATH.
  std::optional<std::filesystem::path> onPath = findProgram("sh", {});
  ASSERT_TRUE(onPath);
  EXPECT_TRUE(onPath->is_absolute());
  // Beside the given directory, by its mapped name.
  std::filesystem::copy_file(probeProgram(), dir.path() / "zelprobe");
  EXPECT_EQ(findProgram("zelprobe.exe", dir.path()), dir.path() / "zelprobe");
  // The App Paths entry comes first.
  registerProbe(probeProgram().string(), dir.path().string());
  EXPECT_EQ(findProgram("zelprobe.exe", dir.path()), probeProgram());
  // A path is taken as it is, relative to the directory.
  EXPECT_EQ(findProgram("./zelprobe", dir.path()), dir.path() / "./zelprobe");
  EXPECT_FALSE(findProgram("./missing", dir.path()));
}

TEST_F(AppPathsRegistry, ShellOpenStartsTheRegisteredProgram) {
  TemporaryDirectory dir;
  ReportPipe pipe(dir.path());
  registerProbe(probeProgram().string(), dir.path().string());
  std::optional<AppPath> entry = findAppPath("zelprobe.exe");
  ASSERT_TRUE(entry);
  StartResult started = shellOpen(
      "zelprobe.exe", "report " + pipe.path().string() + " -c\"remote control\" -a10.1.2.3",
      entry->directory);
  ASSERT_TRUE(started) << started.reason;
  testing_support::ProbeReport report = parseReport(pipe.read());
  EXPECT_EQ(report.fields["cwd"], dir.path().string());
  EXPECT_EQ(report.arguments, (std::vector<std::string>{"report", pipe.path().string(),
                                                        "-c\"remote control\"", "-a10.1.2.3"}));
  EXPECT_TRUE(testing_support::waitUntilGone(started.pid));
}

TEST_F(AppPathsRegistry, ShellOpenOfAnUnknownProgramFails) {
  StartResult started = shellOpen("zelprobe.exe", "", {});
  EXPECT_FALSE(started);
  EXPECT_EQ(started.error, ENOENT);
}

}  // namespace
}  // namespace zel::process
