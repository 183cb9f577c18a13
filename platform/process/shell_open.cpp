#include "platform/process/shell_open.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/process/app_paths.h"

namespace zel::process {
namespace {

bool isExecutableFile(const std::filesystem::path& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec) && ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::filesystem::path> onSearchPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  if (path == nullptr) return std::nullopt;
  std::string_view rest(path);
  while (true) {
    size_t colon = rest.find(':');
    std::string_view entry = rest.substr(0, colon);
    // An empty entry would mean the working directory; a started program is
    // never taken from there by accident.
    if (!entry.empty()) {
      std::filesystem::path candidate = std::filesystem::path(entry) / name;
      if (isExecutableFile(candidate)) return candidate;
    }
    if (colon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(colon + 1);
  }
}

}  // namespace

std::vector<std::string> splitParameters(std::string_view parameters) {
  std::vector<std::string> arguments;
  std::string current;
  bool quoted = false;
  bool inArgument = false;
  for (char c : parameters) {
    if (!quoted && (c == ' ' || c == '\t' || c == '\n' || c == '\r')) {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
      continue;
    }
    if (c == '"') quoted = !quoted;
    current += c;
    inArgument = true;
  }
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

std::optional<std::filesystem::path> findProgram(std::string_view file,
                                                 const std::filesystem::path& directory) {
  if (file.empty()) return std::nullopt;
  if (file.find('/') != std::string_view::npos) {
    std::filesystem::path path(file);
    if (path.is_relative() && !directory.empty()) path = directory / path;
    return isExecutableFile(path) ? std::optional(path) : std::nullopt;
  }
  if (std::optional<AppPath> entry = findAppPath(file); entry && !entry->program.empty()) {
    std::filesystem::path registered(entry->program);
    if (registered.is_absolute() && isExecutableFile(registered)) return registered;
  }
  std::string name = programFileName(file);
  if (!directory.empty() && isExecutableFile(directory / name)) return directory / name;
  return onSearchPath(name);
}

StartResult shellOpen(std::string_view file, std::string_view parameters,
                      const std::filesystem::path& directory) {
  std::optional<std::filesystem::path> program = findProgram(file, directory);
  if (!program) {
    StartResult result;
    result.error = ENOENT;
    result.reason = "cannot find the program \"" + std::string(file) + "\"";
    return result;
  }
  StartOptions options;
  options.arguments = splitParameters(parameters);
  options.workingDirectory = directory;
  return startDetached(*program, options);
}

}  // namespace zel::process
