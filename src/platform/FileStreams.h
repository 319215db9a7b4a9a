// Files read and written by the byte, for the one-file package of a
// collection: the backups copy files whole and never look inside; a
// collection hashes each copy and packs it. Every failure is thrown as a
// PlatformError naming the path, as on the file system. The public
// operations tell the watcher (if any) and pass on to the protected ones an
// implementation provides; putting a whole file in place and removing one
// are the file system's rules (platform/Staging.h) over its primitives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/CalendarDateTime.h"
#include "platform/FileSystem.h"
#include "platform/PlatformError.h"
#include "platform/PlatformWatcher.h"

namespace lnf {

// What a collection records of each file it packs.
struct FileFacts {
  std::uint64_t size = 0;
  UtcDateTime lastWrite;
};

class ReadStream {
 public:
  virtual ~ReadStream() = default;
  // Up to `size` bytes into `buffer`; 0 only at the end of the file.
  virtual std::size_t Read(void* buffer, std::size_t size) = 0;
};

// A new file being written. It is removed when the stream goes without
// Commit, so that a failure half-way leaves nothing behind.
class WriteStream {
 public:
  virtual ~WriteStream() = default;
  virtual void Write(const void* data, std::size_t size) = 0;
  // Rewrites bytes already written, at `offset` from the start.
  virtual void WriteAt(std::uint64_t offset, const void* data, std::size_t size) = 0;
  // Everything written reaches the disk, and the file is closed and kept.
  virtual void Commit() = 0;
};

class FileStreams {
 public:
  // Streams on the files of `files`.
  explicit FileStreams(FileSystem& files) : files_(files) {}
  virtual ~FileStreams() = default;
  FileStreams(const FileStreams&) = delete;
  FileStreams& operator=(const FileStreams&) = delete;
  void SetWatcher(PlatformWatcher* watcher) { watcher_ = watcher; }

  // Opens a file for reading, shared with readers and writers alike (the
  // copies a backup has just made are nobody else's).
  std::unique_ptr<ReadStream> OpenRead(const std::string& path);
  // The file's size and the time it was last written, in UTC.
  FileFacts GetFileFacts(const std::string& path) {
    Tell();
    return DoGetFileFacts(path);
  }
  // Creates a new file for writing, shared with nobody while it is open;
  // fails when something stands at `path`.
  std::unique_ptr<WriteStream> CreateNew(const std::string& path) {
    Tell();
    return DoCreateNew(path);
  }
  // Gives the complete file `from` the name `to` in the same folder, in
  // place of a file there: on the NT family with one rename; on Windows 9x
  // the earlier file steps aside and comes back if the new one cannot take
  // its place. An earlier file is never lost to a failure.
  void ReplaceFile(const std::string& from, const std::string& to) { Replace(from, to); }
  // Removes a file; one that is not there is no failure.
  void RemoveFile(const std::string& path) { Remove(path); }

 protected:
  virtual std::unique_ptr<ReadStream> DoOpenRead(const std::string& path) = 0;
  virtual FileFacts DoGetFileFacts(const std::string& path) = 0;
  virtual std::unique_ptr<WriteStream> DoCreateNew(const std::string& path) = 0;

  void Tell() {
    if (watcher_) watcher_->BeforeOperation();
  }

 private:
  // Out of line under names that <windows.h> leaves alone: it turns
  // ReplaceFile into a macro.
  void Replace(const std::string& from, const std::string& to);
  void Remove(const std::string& path);

  FileSystem& files_;
  PlatformWatcher* watcher_ = nullptr;
};

}  // namespace lnf
