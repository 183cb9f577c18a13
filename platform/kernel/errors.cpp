#include "platform/kernel/errors.h"

#include <cstring>

namespace zel::kernel {
namespace {

struct LastError {
  Error error = Error::kNone;
  int system_errno = 0;
};

thread_local LastError t_last_error;

}  // namespace

Error last_error() {
  return t_last_error.error;
}

int last_system_error() {
  return t_last_error.system_errno;
}

void set_last_error(Error error, int system_errno) {
  t_last_error.error = error;
  t_last_error.system_errno = error == Error::kSystem ? system_errno : 0;
}

const char* error_text(Error error) {
  switch (error) {
    case Error::kNone:
      return "No error";
    case Error::kInvalidHandle:
      return "The handle is not valid for this operation";
    case Error::kInvalidParameter:
      return "A parameter is not valid";
    case Error::kNotFound:
      return "No object of that name or process of that id exists";
    case Error::kAlreadyExists:
      return "The object already exists";
    case Error::kTypeMismatch:
      return "The name belongs to an object of another kind";
    case Error::kNotOwner:
      return "The calling thread does not own the mutex";
    case Error::kTooManyPosts:
      return "The semaphore cannot be released past its maximum count";
    case Error::kNameTooLong:
      return "The object name is too long";
    case Error::kAccessDenied:
      return "Access to the kernel-object namespace is denied";
    case Error::kOutOfResources:
      return "Not enough resources are available to complete the operation";
    case Error::kSystem:
      return "A system call failed";
  }
  return "Unknown error";
}

std::string last_error_text() {
  std::string text = error_text(t_last_error.error);
  if (t_last_error.error == Error::kSystem && t_last_error.system_errno != 0) {
    char buffer[256];
    // The GNU strerror_r returns the text, which may not be in `buffer`.
    const char* detail = strerror_r(t_last_error.system_errno, buffer, sizeof buffer);
    text += ": ";
    text += detail;
  }
  return text;
}

}  // namespace zel::kernel
