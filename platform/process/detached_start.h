// Starting programs that run on their own: the caller does not wait for them,
// and no exited child is left behind for it to collect.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zel::process {

struct StartOptions {
  // Arguments after the program's own name (which is the program path).
  std::vector<std::string> arguments;
  // The program's working directory; empty keeps the caller's.
  std::filesystem::path workingDirectory;
};

struct StartResult {
  pid_t pid = -1;      // the started program's process id, when started
  int error = 0;       // the errno of the step that failed
  std::string reason;  // which step failed and why; empty when started

  explicit operator bool() const { return pid > 0; }
};

// Starts `program` (a path; no search of PATH) detached: in a session of its
// own, with standard input and output on /dev/null, no descriptor of the
// caller but those, the default signal dispositions and an empty signal mask,
// and the caller's environment. Returns once the program runs or could not be
// run. The program is a grandchild that the system adopts, so it never
// becomes a zombie of the caller. A program that cannot be run (missing, not
// executable, bad working directory) is reported with the errno of the failing
// step; nothing is printed. Safe to call from a process with several threads.
StartResult startDetached(const std::filesystem::path& program, const StartOptions& options = {});

// The file name of a program named as the rest of the system names it: a name
// ending in ".exe" (any case) loses it and is lower-cased ("zelrelay.exe" ->
// "zelrelay"); any other name is used as given.
std::string programFileName(std::string_view name);

// Starts the program `name` (mapped by programFileName) from the directory of
// the module that contains `addressInCaller`, as a library starts a program
// installed beside it. A name with a path separator is refused.
StartResult startBeside(const void* addressInCaller, std::string_view name,
                        const StartOptions& options = {});

}  // namespace zel::process
