// Who and where this process runs: the computer name and the user name, as the
// console shows them and announces them to agents.
#pragma once

#include <string>
#include <string_view>

namespace zel::system {

inline constexpr size_t kMaxComputerNameLength = 15;

// The computer name for a host name: the part before the first dot, upper
// case, cut to 15 characters (the short machine names of Windows networks).
std::string computerNameFromHost(std::string_view hostName);

// computerNameFromHost of this machine's host name; empty if it has none.
std::string computerName();

// The login name of the user running this process (the real user id); the
// environment's USER or LOGNAME when the user database has no entry; else
// the numeric id.
std::string userName();

}  // namespace zel::system
