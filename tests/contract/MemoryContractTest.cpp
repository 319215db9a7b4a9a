// The platform contract on the in-memory drive that every core test uses.
#include "PlatformContract.h"
#include "support/MemoryPlatform.h"

namespace lnf::contract {
namespace {

// A zone with summer time, so that the offset of a file's own date and
// today's can differ.
class MemoryWorld {
 public:
  explicit MemoryWorld(bool windows9x = false) : windows9x_(windows9x) {
    drive_.SetWindows9x(windows9x);
    drive_.SetTimeZone(60, true);
    drive_.AddFolder(Root());
  }

  MemoryPlatform& platform() { return drive_; }
  std::string Root() const { return "C:\\scratch"; }

  void MakeFolder(const std::string& path, std::uint32_t attributes) {
    drive_.AddFolder(path, kAttrDirectory | attributes);
  }
  void MakeFile(const std::string& path, const std::string& contents,
                const LocalDateTime& lastWrite, std::uint32_t attributes) {
    drive_.AddFile(path, contents, lastWrite, kAttrArchive | attributes);
  }
  bool Exists(const std::string& path) const { return drive_.Exists(path); }
  std::string Contents(const std::string& path) const { return drive_.Contents(path); }
  void SetEnvironment(const std::string& name, const std::string& value) {
    drive_.SetEnvironmentValue(name, value);
  }
  // Another program has the file open.
  void HoldOpen(const std::string& path) { drive_.HoldOpen(path); }
  // Windows 9x spells names in the drive's ANSI code page.
  bool CanName(const std::string& name) const {
    return !windows9x_ || MemoryPlatform::AnsiSpelling(name) == name;
  }
  bool HandlesLongPaths() const { return true; }
  bool Nt() const { return !windows9x_; }
  bool MakeLink(const std::string& path, const std::string& target, bool folder) {
    if (folder) {
      drive_.AddFolderLink(path, target);
    } else {
      drive_.AddFileLink(path, target);
    }
    return true;
  }
  void MakeFileWrittenAt(const std::string& path, const std::string& contents,
                         const LocalDateTime& utc) {
    drive_.AddFileWrittenAt(path, contents, utc);
  }
  bool InEuropeanZone() const { return true; }
  // The drive's clock stands in December.
  bool SummerTimeNow() const { return false; }

 private:
  bool windows9x_;
  MemoryPlatform drive_;
};

// The same drive playing Windows 9x, for what differs there.
class Memory9xWorld : public MemoryWorld {
 public:
  Memory9xWorld() : MemoryWorld(true) {}
};

LNF_INSTANTIATE_PLATFORM_CONTRACT(Memory, MemoryWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory9x, FileDates, Memory9xWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory9x, LiteralNames, Memory9xWorld);
INSTANTIATE_TYPED_TEST_SUITE_P(Memory9x, WholeFiles, Memory9xWorld);

}  // namespace
}  // namespace lnf::contract
