// The platform contract on the in-memory drive that every core test uses.
#include "PlatformContract.h"
#include "platform/MemoryPlatform.h"

namespace lnf::contract {
namespace {

class MemoryWorld {
 public:
  MemoryWorld() { drive_.AddFolder(Root()); }

  Platform& platform() { return drive_; }
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
  // What Windows says when another program has the file open.
  void HoldOpen(const std::string& path) {
    constexpr std::uint32_t kSharingViolation = 32;
    drive_.InjectFailure(MemoryPlatform::Operation::CopyFile, path, kSharingViolation, -1);
  }
  bool CanName(const std::string&) const { return true; }
  bool HandlesLongPaths() const { return true; }

 private:
  MemoryPlatform drive_;
};

LNF_INSTANTIATE_PLATFORM_CONTRACT(Memory, MemoryWorld);

}  // namespace
}  // namespace lnf::contract
