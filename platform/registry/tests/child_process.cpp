#include "platform/registry/tests/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>

extern char** environ;

namespace zel::registry::testing {

namespace {

std::string slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::filesystem::path programBesideTest(const std::string& program) {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / program;
}

pid_t startChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& outFile, const std::filesystem::path& errFile) {
  std::vector<std::string> argvStrings{program.string()};
  argvStrings.insert(argvStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argvStrings)
    argv.push_back(arg.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  constexpr int kFlags = O_WRONLY | O_CREAT | O_TRUNC;
  if (!outFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outFile.c_str(), kFlags, 0644);
  }
  if (!errFile.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), kFlags, 0644);
  }
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

int waitChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& scratch) {
  const std::filesystem::path outFile = scratch / "child.out";
  const std::filesystem::path errFile = scratch / "child.err";
  ChildResult result;
  const pid_t pid = startChild(program, args, outFile, errFile);
  if (pid < 0) return result;
  result.exitCode = waitChild(pid);
  result.out = slurp(outFile);
  result.err = slurp(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return result;
}

}  // namespace zel::registry::testing
