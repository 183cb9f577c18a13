#include "platform/kernel/namespace_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <string>
#include <utility>

#include "platform/kernel/death_watcher.h"
#include "platform/kernel/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/object_names.h"

namespace zel::kernel::detail {
namespace {

constexpr int kObjectOpenFlags = O_RDWR | O_CLOEXEC | O_NOFOLLOW;

int flock_retrying(int fd, int operation) {
  int rc;
  do {
    rc = flock(fd, operation);
  } while (rc != 0 && errno == EINTR);
  return rc;
}

// The directory and its lock, reopened whenever the directory was removed
// (it is removed with its last object).
struct Directory {
  std::mutex mutex;  // serialises this process's threads; the flock serialises processes
  int dir_fd = -1;
  int lock_fd = -1;
  bool swept = false;
};

Directory& directory() {
  static Directory* instance = new Directory;
  return *instance;
}

void close_directory(Directory& d) {
  if (d.lock_fd >= 0) ::close(d.lock_fd);
  if (d.dir_fd >= 0) ::close(d.dir_fd);
  d.lock_fd = d.dir_fd = -1;
}

// Opens (creating when needed) the directory and its lock file. False with
// the last error set when that cannot be done; `retry` when the directory
// vanished in between.
bool open_directory(Directory& d, bool& retry) {
  retry = false;
  const std::string& path = namespace_dir_path();
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    set_last_error(Error::kSystem, errno);
    return false;
  }
  d.dir_fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
  if (d.dir_fd < 0) {
    if (errno == ENOENT) {
      retry = true;
    } else {
      set_last_error(errno == ELOOP || errno == ENOTDIR ? Error::kAccessDenied : Error::kSystem,
                     errno);
    }
    return false;
  }
  struct stat st {};
  if (fstat(d.dir_fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 0077) != 0) {
    // Someone else's directory (or one open to others): never use it.
    set_last_error(Error::kAccessDenied);
    close_directory(d);
    return false;
  }
  d.lock_fd = ::openat(d.dir_fd, kLockFileName, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (d.lock_fd < 0) {
    int err = errno;
    close_directory(d);
    if (err == ENOENT) {
      retry = true;
    } else {
      set_last_error(Error::kSystem, err);
    }
    return false;
  }
  return true;
}

bool try_remove_if_unheld(int dir_fd, const std::string& file_name);

// A listing of the directory from its start. It gets a descriptor of its own:
// a dup() would share (and move) the directory offset between listings.
DIR* open_listing(int dir_fd) {
  int fd = ::openat(dir_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) ::close(fd);
  return dir;
}

// Removes the files of objects whose holders all died.
int sweep_locked(Directory& d) {
  DIR* dir = open_listing(d.dir_fd);
  if (dir == nullptr) return -1;
  int removed = 0;
  while (dirent* entry = readdir(dir)) {  // NOLINT(concurrency-mt-unsafe): own DIR stream
    std::string name = entry->d_name;
    if (is_object_file_name(name) && try_remove_if_unheld(d.dir_fd, name)) ++removed;
  }
  closedir(dir);
  return removed;
}

// Holds the namespace for one create, open, duplicate or drop.
class NamespaceLock {
 public:
  NamespaceLock() : d_(directory()), guard_(d_.mutex) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      if (d_.lock_fd < 0) {
        bool retry = false;
        if (!open_directory(d_, retry)) {
          if (retry) continue;
          return;
        }
      }
      if (flock_retrying(d_.lock_fd, LOCK_EX) != 0) {
        set_last_error(Error::kSystem, errno);
        return;
      }
      struct stat st {};
      if (fstat(d_.lock_fd, &st) == 0 && st.st_nlink > 0) {
        locked_ = true;
        if (!d_.swept) {
          sweep_locked(d_);
          d_.swept = true;
        }
        return;
      }
      // The directory was removed while we waited for its lock.
      close_directory(d_);
    }
    set_last_error(Error::kSystem, EAGAIN);
  }
  ~NamespaceLock() {
    if (locked_) flock_retrying(d_.lock_fd, LOCK_UN);
  }
  NamespaceLock(const NamespaceLock&) = delete;
  NamespaceLock& operator=(const NamespaceLock&) = delete;

  bool locked() const { return locked_; }
  int dir_fd() const { return d_.dir_fd; }
  int lock_fd() const { return d_.lock_fd; }
  Directory& dir() { return d_; }

 private:
  Directory& d_;
  std::lock_guard<std::mutex> guard_;
  bool locked_ = false;
};

ObjectRecord* map_record(int fd) {
  void* p = mmap(nullptr, kRecordSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  return p == MAP_FAILED ? nullptr : static_cast<ObjectRecord*>(p);
}

void unmap_record(ObjectRecord* record) {
  munmap(record, kRecordSize);
}

void unlink_object_files(int dir_fd, Handle id, const char* link_name) {
  if (link_name[0] != '\0') ::unlinkat(dir_fd, link_name, 0);
  ::unlinkat(dir_fd, id_file_name(id).c_str(), 0);
}

// Removes `file_name` (and, when it is a record, its other link) if no live
// process holds it. True when something was removed.
bool try_remove_if_unheld(int dir_fd, const std::string& file_name) {
  int fd = ::openat(dir_fd, file_name.c_str(), kObjectOpenFlags);
  if (fd < 0) return false;
  bool removed = false;
  if (flock_retrying(fd, LOCK_EX | LOCK_NB) == 0) {
    struct stat st {};
    ObjectRecord* record = nullptr;
    if (fstat(fd, &st) == 0 && st.st_size >= static_cast<off_t>(kRecordSize)) {
      record = map_record(fd);
    }
    if (record != nullptr && record->magic == kRecordMagic) {
      char link[kLinkNameSize];
      std::memcpy(link, record->link_name, kLinkNameSize);
      link[kLinkNameSize - 1] = '\0';
      unlink_object_files(dir_fd, record->id, link);
    }
    if (record != nullptr) unmap_record(record);
    ::unlinkat(dir_fd, file_name.c_str(), 0);  // also a half-made or foreign file
    removed = true;
  }
  ::close(fd);
  return removed;
}

// After the last object went: removes the lock file and the directory, so
// that nothing of an unused namespace stays behind. Must be the last step
// under the lock.
void remove_directory_if_empty(NamespaceLock& lock) {
  DIR* dir = open_listing(lock.dir_fd());
  if (dir == nullptr) return;
  bool empty = true;
  while (dirent* entry = readdir(dir)) {  // NOLINT(concurrency-mt-unsafe): own DIR stream
    std::string_view name = entry->d_name;
    if (name != "." && name != ".." && name != kLockFileName) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  if (!empty) return;
  ::unlinkat(lock.dir_fd(), kLockFileName, 0);
  ::rmdir(namespace_dir_path().c_str());
  // The lock descriptor now refers to an unlinked file; the next lock opens
  // a fresh directory.
}

bool valid_name(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) {
    set_last_error(Error::kInvalidParameter);
    return false;
  }
  if (name.size() > kMaxNameLength) {
    set_last_error(Error::kNameTooLong);
    return false;
  }
  return true;
}

// Draws the next id from the counter in the lock file and creates its file.
// Returns the descriptor (-1 with the last error set on failure).
int create_id_file(NamespaceLock& lock, Handle& id_out) {
  uint32_t counter = 0;
  if (pread(lock.lock_fd(), &counter, sizeof counter, 0) != static_cast<ssize_t>(sizeof counter)) {
    // A fresh namespace: start somewhere random so that handle values of an
    // earlier namespace of the same name are unlikely to mean anything.
    if (getrandom(&counter, sizeof counter, 0) != static_cast<ssize_t>(sizeof counter)) {
      counter = static_cast<uint32_t>(getpid()) * 2654435761u;
    }
    counter = (counter & 0x3fffffffu) | 0x100u;
  }
  for (int attempt = 0; attempt < 1000; ++attempt) {
    Handle id = counter++;
    if (id == kNullHandle || id == 0xffffffffu) continue;
    int fd = ::openat(lock.dir_fd(), id_file_name(id).c_str(),
                      O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == EEXIST) continue;
    if (fd < 0) {
      set_last_error(Error::kSystem, errno);
      return -1;
    }
    if (pwrite(lock.lock_fd(), &counter, sizeof counter, 0) !=
        static_cast<ssize_t>(sizeof counter)) {
      // Not fatal: O_EXCL keeps ids unique even with a stale counter.
    }
    id_out = id;
    return fd;
  }
  set_last_error(Error::kOutOfResources);
  return -1;
}

void init_guard(pthread_mutex_t& guard) {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_setpshared(&attr, PTHREAD_PROCESS_SHARED);
  pthread_mutexattr_setrobust(&attr, PTHREAD_MUTEX_ROBUST);
  pthread_mutex_init(&guard, &attr);
  pthread_mutexattr_destroy(&attr);
}

std::shared_ptr<ProcessWatch> watch_for(const ObjectRecord& record) {
  if (record.type == ObjectType::kProcess) {
    return watch_process(record.state.process.pid, record.state.process.start_time);
  }
  if (record.type == ObjectType::kThread) {
    return watch_process(record.state.thread.tid, record.state.thread.start_time, true);
  }
  return nullptr;
}

// Enters an opened file into the handle table: a new reference when the
// process already holds the object, otherwise a new LocalObject.
Handle adopt(int fd, ObjectRecord* record) {
  Handle id = record->id;
  if (add_reference(id)) {
    // Our own older descriptor keeps the shared lock; this one is surplus.
    unmap_record(record);
    ::close(fd);
    return id;
  }
  auto object = std::make_shared<LocalObject>(fd, record, watch_for(*record));
  insert_object(std::move(object));
  return id;
}

Handle create_new(NamespaceLock& lock, const ObjectBlueprint& blueprint, std::string_view name,
                  const std::string& link_name) {
  Handle id = kNullHandle;
  int fd = create_id_file(lock, id);
  if (fd < 0) return kNullHandle;
  auto fail = [&](Error error, int err) {
    ::unlinkat(lock.dir_fd(), id_file_name(id).c_str(), 0);
    ::close(fd);
    set_last_error(error, err);
    return kNullHandle;
  };
  if (blueprint.data_size > static_cast<uint64_t>(INT64_MAX) - kRecordSize) {
    return fail(Error::kInvalidParameter, 0);
  }
  if (ftruncate(fd, static_cast<off_t>(kRecordSize + blueprint.data_size)) != 0) {
    int err = errno;
    return fail(err == EFBIG || err == ENOSPC ? Error::kOutOfResources : Error::kSystem, err);
  }
  if (flock_retrying(fd, LOCK_SH | LOCK_NB) != 0) return fail(Error::kSystem, errno);
  ObjectRecord* record = map_record(fd);
  if (record == nullptr) return fail(Error::kSystem, errno);
  record->magic = kRecordMagic;
  record->version = kRecordVersion;
  record->type = blueprint.type;
  record->id = id;
  init_guard(record->guard);
  std::memcpy(record->link_name, link_name.data(), link_name.size());
  record->name_length = static_cast<uint32_t>(name.size());
  if (!name.empty()) std::memcpy(record->name, name.data(), name.size());
  if (blueprint.init) blueprint.init(*record);
  if (!link_name.empty() &&
      ::linkat(lock.dir_fd(), id_file_name(id).c_str(), lock.dir_fd(), link_name.c_str(), 0) != 0) {
    int err = errno;
    unmap_record(record);
    return fail(Error::kSystem, err);
  }
  auto object = std::make_shared<LocalObject>(fd, record, watch_for(*record));
  insert_object(std::move(object));
  return id;
}

enum class OpenOutcome { kOpened, kAbsent, kFailed };

// Opens an existing object's file with a shared lock. A stale file (no live
// holder) is removed and reported absent.
OpenOutcome open_existing(NamespaceLock& lock, const std::string& file_name, int& fd_out,
                          ObjectRecord*& record_out) {
  int fd = ::openat(lock.dir_fd(), file_name.c_str(), kObjectOpenFlags);
  if (fd < 0) {
    if (errno == ENOENT) return OpenOutcome::kAbsent;
    set_last_error(Error::kSystem, errno);
    return OpenOutcome::kFailed;
  }
  if (flock_retrying(fd, LOCK_EX | LOCK_NB) == 0) {
    // Nobody holds it: its last holder was killed. Clear it away.
    ::close(fd);
    try_remove_if_unheld(lock.dir_fd(), file_name);
    return OpenOutcome::kAbsent;
  }
  struct stat st {};
  ObjectRecord* record = nullptr;
  if (flock_retrying(fd, LOCK_SH | LOCK_NB) != 0 || fstat(fd, &st) != 0 ||
      st.st_size < static_cast<off_t>(kRecordSize) || (record = map_record(fd)) == nullptr ||
      record->magic != kRecordMagic || record->version != kRecordVersion) {
    if (record != nullptr) unmap_record(record);
    ::close(fd);
    set_last_error(Error::kSystem, EINVAL);
    return OpenOutcome::kFailed;
  }
  fd_out = fd;
  record_out = record;
  return OpenOutcome::kOpened;
}

bool same_name(const ObjectRecord& record, std::string_view name) {
  return record.name_length == name.size() &&
         std::memcmp(record.name, name.data(), name.size()) == 0;
}

// Looks a name up. kOpened: `handle` set (or the type/name check failed and
// the last error says why, handle null).
OpenOutcome open_by_link(NamespaceLock& lock, ObjectType type, std::string_view name,
                         const std::string& link_name, Handle& handle) {
  int fd = -1;
  ObjectRecord* record = nullptr;
  OpenOutcome outcome = open_existing(lock, link_name, fd, record);
  if (outcome != OpenOutcome::kOpened) return outcome;
  if (!same_name(*record, name)) {
    // Two long names with the same hash: vanishingly rare, but never mix them.
    unmap_record(record);
    ::close(fd);
    set_last_error(Error::kNameTooLong);
    handle = kNullHandle;
    return OpenOutcome::kOpened;
  }
  if (record->type != type) {
    unmap_record(record);
    ::close(fd);
    set_last_error(Error::kTypeMismatch);
    handle = kNullHandle;
    return OpenOutcome::kOpened;
  }
  handle = adopt(fd, record);
  return OpenOutcome::kOpened;
}

Handle create_or_open(const ObjectBlueprint& blueprint, std::string_view name,
                      const std::string& link_name, bool* existed) {
  NamespaceLock lock;
  if (!lock.locked()) return kNullHandle;
  if (!link_name.empty()) {
    Handle handle = kNullHandle;
    OpenOutcome outcome = open_by_link(lock, blueprint.type, name, link_name, handle);
    if (outcome == OpenOutcome::kFailed) return kNullHandle;
    if (outcome == OpenOutcome::kOpened) {
      if (handle != kNullHandle) {
        if (existed != nullptr) *existed = true;
        set_last_error(Error::kAlreadyExists);
      }
      return handle;
    }
  }
  Handle handle = create_new(lock, blueprint, name, link_name);
  if (handle == kNullHandle) {
    remove_directory_if_empty(lock);
    return kNullHandle;
  }
  if (existed != nullptr) *existed = false;
  set_last_error(Error::kNone);
  return handle;
}

}  // namespace

Handle create_object(const ObjectBlueprint& blueprint, std::string_view name, bool* existed) {
  if (!valid_name(name)) return kNullHandle;
  return create_or_open(blueprint, name, name.empty() ? std::string() : name_file_name(name),
                        existed);
}

Handle open_named_object(ObjectType type, std::string_view name) {
  if (!valid_name(name)) return kNullHandle;
  if (name.empty()) {
    set_last_error(Error::kInvalidParameter);
    return kNullHandle;
  }
  NamespaceLock lock;
  if (!lock.locked()) return kNullHandle;
  Handle handle = kNullHandle;
  switch (open_by_link(lock, type, name, name_file_name(name), handle)) {
    case OpenOutcome::kOpened:
      if (handle != kNullHandle) set_last_error(Error::kNone);
      return handle;
    case OpenOutcome::kAbsent:
      remove_directory_if_empty(lock);
      set_last_error(Error::kNotFound);
      return kNullHandle;
    case OpenOutcome::kFailed:
      return kNullHandle;
  }
  return kNullHandle;
}

Handle open_object_by_id(Handle id) {
  NamespaceLock lock;
  if (!lock.locked()) return kNullHandle;
  int fd = -1;
  ObjectRecord* record = nullptr;
  switch (open_existing(lock, id_file_name(id), fd, record)) {
    case OpenOutcome::kOpened:
      set_last_error(Error::kNone);
      return adopt(fd, record);
    case OpenOutcome::kAbsent:
      remove_directory_if_empty(lock);
      set_last_error(Error::kNotFound);
      return kNullHandle;
    case OpenOutcome::kFailed:
      return kNullHandle;
  }
  return kNullHandle;
}

Handle open_process_object(int pid, uint64_t start_time) {
  std::string link_name = process_file_name(pid, start_time);
  ObjectBlueprint blueprint{ObjectType::kProcess, 0, [pid, start_time](ObjectRecord& record) {
                              record.state.process.pid = pid;
                              record.state.process.start_time = start_time;
                            }};
  Handle handle = create_or_open(blueprint, link_name, link_name, nullptr);
  if (handle != kNullHandle) set_last_error(Error::kNone);
  return handle;
}

Handle open_thread_object(int pid, int tid, uint64_t start_time) {
  std::string link_name = thread_file_name(tid, start_time);
  ObjectBlueprint blueprint{ObjectType::kThread, 0, [pid, tid, start_time](ObjectRecord& record) {
                              record.state.thread.pid = pid;
                              record.state.thread.tid = tid;
                              record.state.thread.start_time = start_time;
                            }};
  Handle handle = create_or_open(blueprint, link_name, link_name, nullptr);
  if (handle != kNullHandle) set_last_error(Error::kNone);
  return handle;
}

void release_object_file(int fd, Handle id, const std::string& link_name) {
  NamespaceLock lock;
  ::close(fd);  // drops this process's shared lock
  if (!lock.locked()) return;
  // Reopen rather than convert the lock: conversion is not atomic.
  std::string id_name = id_file_name(id);
  if (try_remove_if_unheld(lock.dir_fd(), id_name)) {
    if (!link_name.empty()) ::unlinkat(lock.dir_fd(), link_name.c_str(), 0);
    remove_directory_if_empty(lock);
  }
}

void relinquish_at_exit(int fd, Handle id, const std::string& link_name) {
  NamespaceLock lock;
  if (!lock.locked()) return;
  flock_retrying(fd, LOCK_UN);
  if (try_remove_if_unheld(lock.dir_fd(), id_file_name(id))) {
    if (!link_name.empty()) ::unlinkat(lock.dir_fd(), link_name.c_str(), 0);
    remove_directory_if_empty(lock);
  }
}

int sweep_namespace() {
  NamespaceLock lock;
  if (!lock.locked()) return -1;
  int removed = sweep_locked(lock.dir());
  remove_directory_if_empty(lock);
  return removed;
}

}  // namespace zel::kernel::detail
