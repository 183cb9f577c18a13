#include "platform/registry/hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <string_view>
#include <utility>

#include "platform/registry/hive_text.h"

namespace zel::registry {

namespace {

constexpr std::string_view kFormatNote =
    "A line [path] names a key; the lines \"name\" = type data below it are its values.\n"
    "Types: sz, expand_sz, multi_sz, dword, binary or a type number. Data: quoted texts,\n"
    "a number (dword), or hex followed by bytes. Kept by the registry library; zelreg\n"
    "reads and changes it.";

// A file descriptor closed when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd = -1) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

Status statusFromErrno(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
      return Status::kAccessDenied;
    default:
      return Status::kStoreError;
  }
}

bool sameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The whole content of fd, read from its start; false when it cannot be read.
bool readWhole(int fd, std::string& out, size_t limit, bool& tooLarge) {
  out.clear();
  tooLarge = false;
  char buffer[65536];
  off_t offset = 0;
  while (true) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    if (out.size() + static_cast<size_t>(got) > limit) {
      tooLarge = true;
      out.clear();
      return false;
    }
    out.append(buffer, static_cast<size_t>(got));
    offset += got;
  }
}

int writeWhole(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t put = ::write(fd, data.data(), data.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<size_t>(put));
  }
  return 0;
}

// mkdir -p; 0 or an errno.
int makeDirectories(const std::filesystem::path& directory, mode_t mode) {
  struct stat st {};
  if (::stat(directory.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (errno != ENOENT) return errno;
  const std::filesystem::path parent = directory.parent_path();
  if (!parent.empty() && parent != directory) {
    if (int error = makeDirectories(parent, mode)) return error;
  }
  if (::mkdir(directory.c_str(), mode) != 0 && errno != EEXIST) return errno;
  return 0;
}

int lockExclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace

HiveFile::HiveFile(Hive hive, HiveLocation location)
    : hive_(hive), location_(std::move(location)), root_(std::make_shared<const KeyNode>()) {}

HiveFile::~HiveFile() {
  if (heldFd_ >= 0) ::close(heldFd_);
}

void HiveFile::forgetLocked() {
  root_ = std::make_shared<const KeyNode>();
  identity_.reset();
  clean_ = true;
  tooLarge_ = false;
  mode_ = 0;
  if (heldFd_ >= 0) ::close(std::exchange(heldFd_, -1));
}

int HiveFile::refreshLocked() {
  struct stat st {};
  if (::stat(path().c_str(), &st) != 0) {
    const int error = errno;
    forgetLocked();
    return error == ENOENT ? 0 : error;
  }
  const Identity seen{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  if (identity_ && identity_->device == seen.device && identity_->inode == seen.inode &&
      identity_->size == seen.size && sameTime(identity_->modified, seen.modified) &&
      sameTime(identity_->changed, seen.changed)) {
    return 0;
  }
  forgetLocked();
  FileDescriptor fd(::open(path().c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return errno == ENOENT ? 0 : errno;
  if (::fstat(fd.get(), &st) != 0) return errno;
  if (!S_ISREG(st.st_mode)) return EISDIR;
  std::string text;
  bool tooLarge = false;
  if (!readWhole(fd.get(), text, kMaxHiveFileBytes, tooLarge) && !tooLarge) return errno;
  // Cached even when too large to read, so that it is not read again and again.
  ParsedHive parsed = parseHiveText(text);
  root_ = std::make_shared<const KeyNode>(std::move(parsed.root));
  identity_ = Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
  clean_ = !tooLarge && parsed.clean();
  tooLarge_ = tooLarge;
  mode_ = st.st_mode & 07777;
  heldFd_ = fd.release();
  return 0;
}

std::shared_ptr<const KeyNode> HiveFile::snapshot() {
  std::lock_guard state(stateMutex_);
  refreshLocked();
  return root_;
}

Status HiveFile::keepCorruptCopyLocked() {
  std::string bytes;
  bool tooLarge = false;
  if (tooLarge_ || heldFd_ < 0 || !readWhole(heldFd_, bytes, kMaxHiveFileBytes, tooLarge)) {
    return Status::kStoreError;
  }
  for (int n = 1; n < 10000; ++n) {
    const std::string copy = path().string() + ".corrupt-" + std::to_string(n);
    FileDescriptor fd(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid()) {
      if (errno == EEXIST) continue;
      return statusFromErrno(errno);
    }
    if (int error = writeWhole(fd.get(), bytes); error != 0 || ::fsync(fd.get()) != 0) {
      const Status status = statusFromErrno(error != 0 ? error : errno);
      ::unlink(copy.c_str());
      return status;
    }
    return Status::kOk;
  }
  return Status::kStoreError;
}

Status HiveFile::replaceFile(KeyNode root, mode_t mode) {
  const std::string header = "zel registry hive " + std::string(hiveShortName(hive_)) + " (" +
                             std::string(hiveLongName(hive_)) + ")\n" + std::string(kFormatNote);
  const std::string text = formatHiveText(root, header);
  if (text.size() > kMaxHiveFileBytes) return Status::kStoreError;

  const std::string temporary = path().string() + ".new";
  FileDescriptor fd(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, mode));
  if (!fd.valid()) return statusFromErrno(errno);
  int error = ::fchmod(fd.get(), mode) == 0 ? 0 : errno;
  if (error == 0) error = writeWhole(fd.get(), text);
  if (error == 0 && ::fsync(fd.get()) != 0) error = errno;
  if (error == 0 && ::rename(temporary.c_str(), path().c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return statusFromErrno(error);
  }
  // The rename itself becomes durable with the directory.
  FileDescriptor directory(
      ::open(path().parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.valid()) ::fsync(directory.get());

  struct stat st {};
  std::lock_guard state(stateMutex_);
  forgetLocked();
  if (::fstat(fd.get(), &st) == 0) {
    root_ = std::make_shared<const KeyNode>(std::move(root));
    identity_ = Identity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    mode_ = mode;
    heldFd_ = fd.release();
  }
  return Status::kOk;
}

Status HiveFile::update(const Change& change) {
  std::lock_guard writer(writeMutex_);
  if (int error = makeDirectories(path().parent_path(), location_.directoryMode)) {
    return statusFromErrno(error);
  }
  const std::string lockPath = path().string() + ".lock";
  // A lock file that this user may not write can still be locked through a
  // read-only descriptor; the write then fails at the temporary file.
  int lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (lockFd < 0) lockFd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (lockFd < 0) return statusFromErrno(errno);
  // Closing the lock file releases the lock, after the new file is in place.
  FileDescriptor lock(lockFd);
  if (int error = lockExclusive(lock.get())) return statusFromErrno(error);

  KeyNode next;
  mode_t mode = location_.fileMode;
  {
    std::lock_guard state(stateMutex_);
    // Never replace a file that could not be read: its content would be lost.
    if (int error = refreshLocked()) return statusFromErrno(error);
    next = *root_;
    bool changed = false;
    if (Status status = change(next, changed); status != Status::kOk || !changed) return status;
    if (!clean_) {
      if (Status status = keepCorruptCopyLocked(); status != Status::kOk) return status;
    }
    if (identity_) mode = mode_;
  }
  return replaceFile(std::move(next), mode);
}

std::shared_ptr<HiveFile> hiveFileFor(Hive hive) {
  std::optional<HiveLocation> location = locateHive(hive);
  if (!location) return nullptr;
  static std::mutex mutex;
  // Never destroyed: snapshots may be taken while the process exits.
  static auto* files = new std::map<std::string, std::shared_ptr<HiveFile>>();
  std::lock_guard guard(mutex);
  std::shared_ptr<HiveFile>& file = (*files)[location->file.string()];
  if (!file) file = std::make_shared<HiveFile>(hive, std::move(*location));
  return file;
}

}  // namespace zel::registry
