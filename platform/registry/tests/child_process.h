// Starting the programs built beside this test as real child processes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace zel::registry::testing {

// program in the directory of the running test executable.
std::filesystem::path programBesideTest(const std::string& program);

// Starts program with args and this process's environment; standard output
// and error go to the files given (or are inherited when empty). -1 on failure.
pid_t startChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const std::filesystem::path& outFile = {},
                 const std::filesystem::path& errFile = {});

// The child's exit code, or 128 + signal when it was killed.
int waitChild(pid_t pid);

struct ChildResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs program to its end, capturing its output in files under scratch.
ChildResult runChild(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const std::filesystem::path& scratch);

}  // namespace zel::registry::testing
