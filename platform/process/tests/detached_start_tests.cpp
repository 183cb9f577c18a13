#include "platform/process/detached_start.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/process/tests/probe_report.h"

namespace zel::process {
namespace {

using testing_support::parseReport;
using testing_support::probeProgram;
using testing_support::ReportPipe;
using testing_support::TemporaryDirectory;

int anchorInTheTest = 0;

TEST(ProgramFileName, DropsExeAndKeepsOtherNames) {
  struct Case {
    const char* name;
    const char* file;
  };
  const Case cases[] = {
      {"zelrelay.exe", "zelrelay"},
      {"ZELCONSOLE.EXE", "zelconsole"},
      {"zelrelay", "zelrelay"},
      {"Tool", "Tool"},
      {".exe", ".exe"},
      {"a.exe.old", "a.exe.old"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(programFileName(c.name), c.file) << c.name;
}

// Changes the test's own signal state and descriptors in ways a started
// program must not inherit, and restores them.
class CallerState {
 public:
  CallerState() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previousPipe_);
    sigset_t usr1;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &previousMask_);
    leaked_ = open("/dev/zero", O_RDONLY);  // deliberately not close-on-exec
  }
  ~CallerState() {
    close(leaked_);
    pthread_sigmask(SIG_SETMASK, &previousMask_, nullptr);
    sigaction(SIGPIPE, &previousPipe_, nullptr);
  }
  CallerState(const CallerState&) = delete;
  CallerState& operator=(const CallerState&) = delete;

 private:
  struct sigaction previousPipe_ {};
  sigset_t previousMask_{};
  int leaked_ = -1;
};

TEST(StartDetached, RunsTheProgramOnItsOwn) {
  TemporaryDirectory dir;
  ReportPipe pipe(dir.path());
  StartResult started;
  {
    CallerState state;
    StartOptions options;
    options.arguments = {"report", pipe.path().string(), "stay", "two words", "", "-c\"x y\""};
    options.workingDirectory = dir.path();
    started = startDetached(probeProgram(), options);
  }
  ASSERT_TRUE(started) << started.reason;
  EXPECT_TRUE(started.reason.empty());
  EXPECT_TRUE(testing_support::hasNoChildren()) << "the starter was left as a zombie";

  testing_support::ProbeReport report = parseReport(pipe.read());
  ASSERT_FALSE(report.fields.empty()) << "no report from the started program";
  EXPECT_EQ(report.fields["pid"], std::to_string(started.pid));
  EXPECT_NE(report.fields["ppid"], std::to_string(getpid()));
  EXPECT_NE(report.fields["sid"], std::to_string(getsid(0)));
  EXPECT_EQ(report.fields["cwd"], dir.path().string());
  EXPECT_EQ(report.arguments, (std::vector<std::string>{"report", pipe.path().string(), "stay",
                                                        "two words", "", "-c\"x y\""}));
  ASSERT_EQ(report.descriptors.size(), 3u) << "descriptors of the caller leaked";
  for (int fd = 0; fd <= 2; ++fd)
    EXPECT_EQ(report.descriptors[fd], "/dev/null") << fd;
  EXPECT_EQ(report.fields["SigBlk"], "0000000000000000");
  EXPECT_EQ(report.fields["SigIgn"], "0000000000000000");

  // The pid is the running program's, and it outlives the call.
  EXPECT_EQ(kill(started.pid, 0), 0);
  EXPECT_TRUE(testing_support::terminateAndWait(started.pid));
  EXPECT_TRUE(testing_support::hasNoChildren());
}

TEST(StartDetached, ProgramThatEndsLeavesNoZombie) {
  StartOptions options;
  options.arguments = {"exit", "3"};
  StartResult started = startDetached(probeProgram(), options);
  ASSERT_TRUE(started) << started.reason;
  EXPECT_TRUE(testing_support::waitUntilGone(started.pid));
  EXPECT_TRUE(testing_support::hasNoChildren());
}

TEST(StartDetached, FailuresToRunAreReported) {
  TemporaryDirectory dir;
  std::filesystem::path notExecutable = dir.path() / "data.txt";
  std::ofstream(notExecutable) << "not a program\n";
  struct Case {
    std::filesystem::path program;
    std::filesystem::path directory;
    int error;
    const char* reasonPart;
  };
  const Case cases[] = {
      {dir.path() / "missing", {}, ENOENT, "run the program"},
      {notExecutable, {}, EACCES, "run the program"},
      {dir.path(), {}, EACCES, "run the program"},
      {probeProgram(), dir.path() / "no-such-folder", ENOENT, "working directory"},
      {{}, {}, EINVAL, "no program"},
  };
  for (const Case& c : cases) {
    StartOptions options;
    options.arguments = {"exit", "0"};
    options.workingDirectory = c.directory;
    StartResult started = startDetached(c.program, options);
    EXPECT_FALSE(started) << c.program;
    EXPECT_EQ(started.pid, -1) << c.program;
    EXPECT_EQ(started.error, c.error) << c.program << ": " << started.reason;
    EXPECT_NE(started.reason.find(c.reasonPart), std::string::npos) << started.reason;
  }
  EXPECT_TRUE(testing_support::hasNoChildren());
}

TEST(StartDetached, WorksWhileOtherThreadsAllocate) {
  std::atomic<bool> stop{false};
  std::vector<std::thread> busy;
  for (int i = 0; i < 2; ++i) {
    busy.emplace_back([&stop] {
      while (!stop.load(std::memory_order_relaxed)) {
        std::vector<std::string> garbage(64, std::string(100, 'x'));
      }
    });
  }
  std::vector<pid_t> pids;
  for (int i = 0; i < 8; ++i) {
    StartOptions options;
    options.arguments = {"exit", "0"};
    StartResult started = startDetached(probeProgram(), options);
    EXPECT_TRUE(started) << started.reason;
    if (started) pids.push_back(started.pid);
  }
  stop = true;
  for (std::thread& thread : busy)
    thread.join();
  for (pid_t pid : pids)
    EXPECT_TRUE(testing_support::waitUntilGone(pid));
  EXPECT_TRUE(testing_support::hasNoChildren());
}

TEST(StartBeside, StartsAProgramFromTheCallersDirectory) {
  StartOptions options;
  options.arguments = {"exit", "0"};
  StartResult started = startBeside(&anchorInTheTest, "ZEL_PROCESS_PROBE.EXE", options);
  ASSERT_TRUE(started) << started.reason;
  EXPECT_TRUE(testing_support::waitUntilGone(started.pid));

  StartResult missing = startBeside(&anchorInTheTest, "zelnothere.exe");
  EXPECT_FALSE(missing);
  EXPECT_EQ(missing.error, ENOENT);
  for (const char* name : {"../zel_process_probe", "bin/zel_process_probe", "", ".."}) {
    StartResult refused = startBeside(&anchorInTheTest, name, options);
    EXPECT_FALSE(refused) << name;
    EXPECT_EQ(refused.error, EINVAL) << name;
  }
}

}  // namespace
}  // namespace zel::process
