// The registered location of an installed program: HKLM
// "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\<name>", whose default
// value is the program's file and whose value "PATH" is its directory.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zel::process {

inline constexpr std::string_view kAppPathsKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";

struct AppPath {
  std::string program;    // the key's default value; empty when it has none
  std::string directory;  // the value "PATH"; empty when it has none
};

// The entry for `programName` ("zelconsole.exe"); nothing when the key does
// not exist or the name could not name a key (empty, or with a backslash).
// Text values are returned as stored, without expanding variables.
std::optional<AppPath> findAppPath(std::string_view programName);

}  // namespace zel::process
