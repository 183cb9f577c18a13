// Started by the process tests. Usage:
//   zel_process_probe exit <code>
//   zel_process_probe report <fifo> [stay] [more arguments...]
// "report" writes, one "key=value" per line, how the program was started:
// pid, ppid, sid, cwd, each argument, each open descriptor and its target,
// and the blocked and ignored signal masks; "stay" then waits for a signal.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

namespace {

std::string statusLine(const char* key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return line.substr(line.find_first_not_of(" \t", strlen(key)));
  }
  return "?";
}

std::string linkTarget(const std::string& path) {
  char buffer[4096];
  ssize_t n = readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n < 0 ? std::string("?") : std::string(buffer, static_cast<size_t>(n));
}

int report(int argc, char** argv) {
  int out = open(argv[2], O_WRONLY | O_CLOEXEC);
  if (out < 0) return 2;
  std::string text;
  text += "pid=" + std::to_string(getpid()) + "\n";
  text += "ppid=" + std::to_string(getppid()) + "\n";
  text += "sid=" + std::to_string(getsid(0)) + "\n";
  char cwd[4096];
  text += std::string("cwd=") + (getcwd(cwd, sizeof cwd) ? cwd : "?") + "\n";
  for (int i = 1; i < argc; ++i)
    text += std::string("arg=") + argv[i] + "\n";
  DIR* fds = opendir("/proc/self/fd");
  if (fds != nullptr) {
    while (dirent* entry = readdir(fds)) {
      if (entry->d_name[0] == '.') continue;
      int fd = std::atoi(entry->d_name);
      if (fd == dirfd(fds) || fd == out) continue;
      text += "fd=" + std::to_string(fd) + " " +
              linkTarget(std::string("/proc/self/fd/") + entry->d_name) + "\n";
    }
    closedir(fds);
  }
  text += "SigBlk=" + statusLine("SigBlk:") + "\n";
  text += "SigIgn=" + statusLine("SigIgn:") + "\n";
  if (write(out, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return 3;
  close(out);
  if (argc > 3 && std::strcmp(argv[3], "stay") == 0) {
    for (;;)
      pause();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
  if (argc >= 3 && std::strcmp(argv[1], "report") == 0) return report(argc, argv);
  std::fprintf(stderr, "usage: zel_process_probe exit <code> | report <fifo> [stay] ...\n");
  return 64;
}
