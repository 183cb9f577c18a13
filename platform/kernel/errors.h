// Error reporting of the kernel-object layer: every call that fails returns a
// null handle, false or a failed wait and records why in a thread-local last
// error, the way callers of the original system expect to find it.
#pragma once

#include <cstdint>
#include <string>

namespace zel::kernel {

enum class Error : uint32_t {
  kNone = 0,
  kInvalidHandle,     // not a handle of this process, or the wrong kind of object
  kInvalidParameter,  // a bad size, count, name or time-out
  kNotFound,          // no object has that name (or that process is gone)
  kAlreadyExists,     // set after a successful create that found the object already there
  kTypeMismatch,      // the name belongs to an object of another kind
  kNotOwner,          // a mutex released by a thread that does not own it
  kTooManyPosts,      // a semaphore release that would pass its maximum
  kNameTooLong,       // a name longer than kMaxNameLength bytes
  kAccessDenied,      // the namespace directory belongs to someone else
  kOutOfResources,    // no memory, no space for a section, too many waiters
  kSystem,            // a system call failed; last_system_error() says which errno
};

// The error of the last failed call on this thread (or kAlreadyExists after a
// create that opened an existing object, kNone after other successes of
// create and open calls).
Error last_error();
// The errno behind kSystem (0 otherwise).
int last_system_error();
// Sets the last error of this thread; layers above use it to report their own
// failures the same way.
void set_last_error(Error error, int system_errno = 0);

// A short English text for an error, without a trailing period.
const char* error_text(Error error);
// The text of this thread's last error, with the system's explanation of the
// errno appended for kSystem: what an operator is shown in a message box.
std::string last_error_text();

}  // namespace zel::kernel
