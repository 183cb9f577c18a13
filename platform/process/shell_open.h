// Opening a program "through the shell", as the launchers do: the program is
// named by its file name, found through its App Paths entry, beside the given
// directory or on PATH, and given its parameters as one text.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process/detached_start.h"

namespace zel::process {

// Splits a parameter text into arguments at white space outside double
// quotes. The quotes stay in the arguments, so that a program that joins its
// arguments with spaces sees the text as it was written:
// `-c"remote control" -a10.1.2.3` gives `-c"remote control"` and `-a10.1.2.3`.
std::vector<std::string> splitParameters(std::string_view parameters);

// The program file that `file` names. A name with a "/" is a path (relative to
// `directory` when that is given). A bare name is looked up in order: the
// default value of its App Paths entry, then programFileName(file) in
// `directory`, then on PATH. Only an executable regular file is taken.
std::optional<std::filesystem::path> findProgram(std::string_view file,
                                                 const std::filesystem::path& directory);

// Finds `file` (findProgram) and starts it detached with the split
// `parameters`, in `directory` (empty: the caller's working directory).
StartResult shellOpen(std::string_view file, std::string_view parameters,
                      const std::filesystem::path& directory);

}  // namespace zel::process
