// The file system's primitives on files and folders, each one Win32 call
// (wide on the NT family, ANSI on Windows 9x) that throws what the system
// says; the rules above them are platform/Staging.h's.
#include <string>

#include "platform/win32/NativePath.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/Win32Text.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

std::string Pair(const std::string& from, const std::string& to) { return from + " -> " + to; }

}  // namespace

Win32FileSystem::Win32FileSystem() { SetNtFamily(IsNtFamily()); }

std::uint32_t Win32FileSystem::DoGetAttributes(const std::string& path) {
  const DWORD attributes = AttributesOf(Prepare(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) Fail(GetLastError(), path);
  return attributes;
}

void Win32FileSystem::DoSetAttributes(const std::string& path, std::uint32_t attributes) {
  if (!lnf::SetAttributesOf(Prepare(path), attributes)) Fail(GetLastError(), path);
}

void Win32FileSystem::DoCreateFolder(const std::string& path) {
  if (!lnf::MakeFolder(Prepare(path, kFolderPathLimit))) Fail(GetLastError(), path);
}

void Win32FileSystem::DoRemoveFolder(const std::string& path) {
  if (!lnf::RemoveFolder(Prepare(path, kFolderPathLimit))) Fail(GetLastError(), path);
}

void Win32FileSystem::DoCopy(const std::string& from, const std::string& to, Existing existing) {
  const std::string subject = Pair(from, to);
  const NativePath source = Prepare(from, kPathLimit, subject);
  const NativePath target = Prepare(to, kPathLimit, subject);
  const BOOL failIfExists = existing == Existing::kFail;
  const BOOL ok = IsNtFamily() ? CopyFileW(Ptr(source.wide), Ptr(target.wide), failIfExists)
                               : CopyFileA(source.ansi.c_str(), target.ansi.c_str(), failIfExists);
  if (!ok) Fail(GetLastError(), subject);
}

// MoveFileExA is a stub on Windows 9x: only the NT family replaces.
void Win32FileSystem::DoMove(const std::string& from, const std::string& to, Existing existing) {
  const std::string subject = Pair(from, to);
  const NativePath source = Prepare(from, kPathLimit, subject);
  const NativePath target = Prepare(to, kPathLimit, subject);
  const BOOL ok = existing == Existing::kReplace
                      ? MoveFileExW(Ptr(source.wide), Ptr(target.wide), MOVEFILE_REPLACE_EXISTING)
                      : lnf::Rename(source, target);
  if (!ok) Fail(GetLastError(), subject);
}

void Win32FileSystem::DoDelete(const std::string& path) {
  const NativePath native = Prepare(path);
  if (!(IsNtFamily() ? DeleteFileW(Ptr(native.wide)) : DeleteFileA(native.ansi.c_str()))) {
    Fail(GetLastError(), path);
  }
}

std::string Win32FileSystem::DoUpperCaseName(const std::string& name) {
  return UpperCaseFileName(name);
}

}  // namespace lnf
