// One hive's file, shared by every process that uses the registry.
//
// Readers get an immutable snapshot of the content, reloaded when the file
// has changed (a stat compared with the file last read). Writers take an
// exclusive flock on "<hive file>.lock", read the current file, change a copy,
// write "<hive file>.new", fsync it and rename it over the hive file, so that
// no reader ever sees a half-written file and no completed write is lost.
// A file that does not parse cleanly is read as far as it goes, and before it
// is first replaced its bytes are kept as "<hive file>.corrupt-N".
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/registry/hive.h"
#include "platform/registry/hive_location.h"
#include "platform/registry/hive_tree.h"
#include "platform/registry/status.h"

namespace zel::registry {

// A larger file is not read, and the store is never made larger.
inline constexpr size_t kMaxHiveFileBytes = 64u << 20;

class HiveFile {
 public:
  HiveFile(Hive hive, HiveLocation location);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  // The current content; empty when the file is missing or unreadable.
  std::shared_ptr<const KeyNode> snapshot();

  // Runs change on a copy of the current content, under the writer lock, and
  // stores the copy when change returns kOk and has set changed.
  using Change = std::function<Status(KeyNode& root, bool& changed)>;
  Status update(const Change& change);

  const std::filesystem::path& path() const { return location_.file; }

 private:
  struct Identity {
    dev_t device;
    ino_t inode;
    off_t size;
    timespec modified;
    timespec changed;
  };

  // Brings the cache in step with the file; 0, or the errno that kept the
  // file from being read (the cache is then empty). Needs stateMutex_.
  int refreshLocked();
  void forgetLocked();
  Status keepCorruptCopyLocked();
  Status replaceFile(KeyNode root, mode_t mode);

  const Hive hive_;
  const HiveLocation location_;

  std::mutex writeMutex_;  // one writer of this process at a time
  std::mutex stateMutex_;  // guards the cache below
  std::shared_ptr<const KeyNode> root_;
  std::optional<Identity> identity_;  // of the file root_ was read from
  bool clean_ = true;                 // root_ holds everything the file says
  bool tooLarge_ = false;
  mode_t mode_ = 0;  // permission bits of that file
  // The file root_ was read from, kept open so that its inode number is not
  // given to another file while identity_ refers to it.
  int heldFd_ = -1;
};

// The hive's file at its current location (see hive_location.h); nullptr
// when the hive has no place.
std::shared_ptr<HiveFile> hiveFileFor(Hive hive);

}  // namespace zel::registry
