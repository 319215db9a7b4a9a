#include "platform/FileStreams.h"

#include <utility>

#include "platform/Staging.h"

namespace lnf {

namespace {

// Tells the watcher before every read, where packing a big file spends its
// time.
class WatchedRead final : public ReadStream {
 public:
  WatchedRead(std::unique_ptr<ReadStream> inner, PlatformWatcher& watcher)
      : inner_(std::move(inner)), watcher_(watcher) {}
  std::size_t Read(void* buffer, std::size_t size) override {
    watcher_.BeforeOperation();
    return inner_->Read(buffer, size);
  }

 private:
  std::unique_ptr<ReadStream> inner_;
  PlatformWatcher& watcher_;
};

}  // namespace

std::unique_ptr<ReadStream> FileStreams::OpenRead(const std::string& path) {
  Tell();
  auto stream = DoOpenRead(path);
  if (!watcher_) return stream;
  return std::make_unique<WatchedRead>(std::move(stream), *watcher_);
}

void FileStreams::Replace(const std::string& from, const std::string& to) {
  ReplaceByRename(files_, from, to);
}

void FileStreams::Remove(const std::string& path) { lnf::RemoveFile(files_, path); }

}  // namespace lnf
