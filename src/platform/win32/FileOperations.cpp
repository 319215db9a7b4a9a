// Files and folders: attributes, new folders, the replacing copy with the
// staging folders of the runs, and a finished file put in place of another
// or removed, over the rules of platform/Staging.h.
#include <memory>
#include <string>
#include <utility>

#include "platform/PathText.h"
#include "platform/Staging.h"
#include "platform/win32/FindFile.h"
#include "platform/win32/NativePath.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

DWORD ErrorOf(BOOL ok) { return ok ? ERROR_SUCCESS : GetLastError(); }

class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE handle) : handle_(handle) {}

 private:
  FileHandle handle_;
};

// The single steps on real files. A path Windows 9x cannot take fails
// naming `subject`, the copy it belongs to, or else the path itself.
class Win32Steps final : public FileSteps {
 public:
  explicit Win32Steps(std::string subject = {}) : subject_(std::move(subject)) {}

  bool Nt() override { return IsNtFamily(); }
  std::uint32_t Attributes(const std::string& path, std::uint32_t& attributes) override {
    attributes = AttributesOf(Native(path));
    return attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_SUCCESS;
  }
  std::uint32_t SetAttributes(const std::string& path, std::uint32_t attributes) override {
    return ErrorOf(SetAttributesOf(Native(path), attributes));
  }
  std::uint32_t MakeFolder(const std::string& path) override {
    return ErrorOf(lnf::MakeFolder(Native(path, kFolderPathLimit)));
  }
  std::uint32_t RemoveFolder(const std::string& path) override {
    return ErrorOf(lnf::RemoveFolder(Native(path, kFolderPathLimit)));
  }
  std::uint32_t CopyNew(const std::string& from, const std::string& to) override {
    return ErrorOf(CopyOnce(Native(from), Native(to)));
  }
  std::uint32_t CopyOver(const std::string& from, const std::string& to) override {
    const NativePath source = Native(from);
    const NativePath target = Native(to);
    return ErrorOf(IsNtFamily() ? CopyFileW(Ptr(source.wide), Ptr(target.wide), FALSE)
                                : CopyFileA(source.ansi.c_str(), target.ansi.c_str(), FALSE));
  }
  std::uint32_t Rename(const std::string& from, const std::string& to) override {
    return ErrorOf(lnf::Rename(Native(from), Native(to)));
  }
  std::uint32_t RenameReplacing(const std::string& from, const std::string& to) override {
    return ErrorOf(
        MoveFileExW(Ptr(Native(from).wide), Ptr(Native(to).wide), MOVEFILE_REPLACE_EXISTING));
  }
  std::uint32_t Delete(const std::string& path) override {
    const NativePath native = Native(path);
    return ErrorOf(IsNtFamily() ? DeleteFileW(Ptr(native.wide)) : DeleteFileA(native.ansi.c_str()));
  }
  void List(const std::string& folder,
            FunctionRef<void(const std::string&, std::uint32_t)> each) override {
    FindFile find;
    if (!find.First(Native(WithSeparator(folder) + "*"))) return;
    do {
      const std::string name = find.Name();
      if (name != "." && name != "..") each(name, find.Attributes());
    } while (find.Next());
  }
  std::unique_ptr<HeldFile> HoldNew(const std::string& path, std::uint32_t& error) override {
    const NativePath native = Native(path);
    const HANDLE handle = IsNtFamily() ? CreateFileW(Ptr(native.wide), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr)
                                       : CreateFileA(native.ansi.c_str(), GENERIC_WRITE, 0, nullptr,
                                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      error = GetLastError();
      return nullptr;
    }
    error = ERROR_SUCCESS;
    return std::make_unique<Win32HeldFile>(handle);
  }
  std::string Upper(const std::string& name) override { return UpperCaseFileName(name); }

 private:
  NativePath Native(const std::string& path, std::size_t limit = kPathLimit) const {
    return Prepare(path, limit, subject_.empty() ? path : subject_);
  }

  std::string subject_;
};

// The steps the staging folders of the runs work with, as long as the
// program runs.
Win32Steps& RunSteps() {
  static Win32Steps steps;
  return steps;
}

}  // namespace

std::uint32_t Win32FileSystem::DoGetAttributes(const std::string& path) {
  const DWORD attributes = AttributesOf(Prepare(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail(GetLastError(), path);
  return attributes;
}

void Win32FileSystem::DoCreateFolder(const std::string& path) {
  if (!MakeFolder(Prepare(path, kFolderPathLimit))) Fail(GetLastError(), path);
}

void Win32FileSystem::DoCopyFileReplacing(const std::string& source, const std::string& destination,
                                          const std::string& stagingFolder) {
  const std::string subject = source + " -> " + destination;
  // Both are checked first, so that a path this system cannot take fails
  // naming the copy before anything is made.
  Prepare(source, kPathLimit, subject);
  Prepare(destination, kPathLimit, subject);
  Win32Steps steps(subject);
  if (const DWORD error = CopyReplacing(steps, source, destination, stagingFolder)) {
    Fail(error, subject);
  }
}

void Win32FileSystem::DoCopyNewFile(const std::string& source, const std::string& destination) {
  const std::string subject = source + " -> " + destination;
  Win32Steps steps(subject);
  if (const DWORD error = lnf::CopyNewFile(steps, source, destination)) Fail(error, subject);
}

void Win32FileSystem::DoRenameFolder(const std::string& from, const std::string& to) {
  const std::string subject = from + " -> " + to;
  Win32Steps steps(subject);
  if (const DWORD error = steps.Rename(from, to)) Fail(error, subject);
}

void Win32FileStreams::DoReplaceFile(const std::string& from, const std::string& to) {
  const std::string subject = from + " -> " + to;
  Prepare(from, kPathLimit, subject);
  Prepare(to, kPathLimit, subject);
  Win32Steps steps(subject);
  if (const DWORD error = ReplaceByRename(steps, from, to)) Fail(error, subject);
}

void Win32FileStreams::DoRemoveFile(const std::string& path) {
  Win32Steps steps;
  const DWORD error = steps.Delete(path);
  if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) {
    Fail(error, path);
  }
}

std::unique_ptr<StagingArea> Win32FileSystem::DoOpenStaging(const std::string& parent) {
  try {
    return OpenRunStaging(RunSteps(), parent);
  } catch (const PlatformError&) {
    return nullptr;  // a path this system cannot take: copies stage beside
  }
}

std::string Win32FileSystem::DoUpperCaseName(const std::string& name) {
  return UpperCaseFileName(name);
}

}  // namespace lnf
