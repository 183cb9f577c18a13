// The zelreg command: reads and writes the registry for operators and tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zel::registry::tool {

// Exit status of a zelreg run.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the operation failed (missing key, no access, ...)
inline constexpr int kExitUsage = 2;   // the command line is wrong

// Runs zelreg with args (without the program name); results go to out,
// a one-line error to err.
int runZelreg(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zel::registry::tool
