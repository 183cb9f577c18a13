#include "platform/kernel/object_names.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace zel::kernel::detail {
namespace {

constexpr size_t kMaxComponentLength = 200;

bool keeps_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_' || c == '.';
}

// Two independent 64-bit FNV-1a style hashes (different offsets and a final
// mix) give 128 bits, plenty to keep distinct long names apart.
uint64_t hash64(std::string_view bytes, uint64_t seed) {
  uint64_t h = seed;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 0x100000001b3ULL;
  }
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdULL;
  h ^= h >> 33;
  return h;
}

}  // namespace

std::string escape_name(std::string_view name, size_t max_length) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(name.size());
  for (unsigned char c : name) {
    if (keeps_byte(c)) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
    if (out.size() > max_length) break;
  }
  if (out.size() <= max_length) return out;
  char hashed[40];
  std::snprintf(hashed, sizeof hashed, "#%016llx%016llx",
                static_cast<unsigned long long>(hash64(name, 0xcbf29ce484222325ULL)),
                static_cast<unsigned long long>(hash64(name, 0x84222325cbf29ce4ULL)));
  return hashed;
}

const std::string& namespace_dir_path() {
  static const std::string path = [] {
    const char* env = std::getenv("ZEL_NAMESPACE");  // NOLINT(concurrency-mt-unsafe)
    std::string_view ns = env != nullptr && env[0] != '\0' ? env : "default";
    return "/dev/shm/zel-" + std::to_string(getuid()) + "-" + escape_name(ns, kMaxComponentLength);
  }();
  return path;
}

std::string id_file_name(Handle id) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "o-%08x", id);
  return buffer;
}

std::string name_file_name(std::string_view name) {
  return "n-" + escape_name(name, kMaxComponentLength);
}

std::string process_file_name(int pid, uint64_t start_time) {
  return "p-" + std::to_string(pid) + "-" + std::to_string(start_time);
}

std::string thread_file_name(int tid, uint64_t start_time) {
  return "t-" + std::to_string(tid) + "-" + std::to_string(start_time);
}

bool is_object_file_name(std::string_view file_name) {
  return file_name.size() > 2 && file_name[1] == '-' &&
         (file_name[0] == 'o' || file_name[0] == 'n' || file_name[0] == 'p' || file_name[0] == 't');
}

}  // namespace zel::kernel::detail
