// How objects are laid out as files: the namespace directory of the user and
// of ZEL_NAMESPACE, the id file of each object and the file of each name (a
// hard link of the id file).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/kernel/handle.h"

namespace zel::kernel::detail {

// Escapes a name into a file-name component: letters, digits, '-', '_' and
// '.' stay, every other byte becomes "%XX". A result longer than
// `max_length` is replaced by "#" and a 128-bit hash of the name in hex;
// such names are told apart by the full name kept in the object's record.
std::string escape_name(std::string_view name, size_t max_length);

// "/dev/shm/zel-<uid>-<namespace>", the namespace being ZEL_NAMESPACE as read
// at the first call ("default" when unset or empty).
const std::string& namespace_dir_path();

// The file of an object's id: "o-" and the id in hex.
std::string id_file_name(Handle id);
// The file of a user's name: "n-" and the escaped name.
std::string name_file_name(std::string_view name);
// The file of a process object: "p-<pid>-<start time>"; of a thread object
// "t-<tid>-<start time>".
std::string process_file_name(int pid, uint64_t start_time);
std::string thread_file_name(int tid, uint64_t start_time);

// The namespace's lock file (it also holds the id counter).
inline constexpr const char* kLockFileName = "lock";

// Whether a directory entry is an object file (id, name, process or thread).
bool is_object_file_name(std::string_view file_name);

}  // namespace zel::kernel::detail
