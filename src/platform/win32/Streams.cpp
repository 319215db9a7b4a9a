// Files read and written by the byte, for the package of a collection.
#include <memory>
#include <string>
#include <utility>

#include "platform/win32/NativePath.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/Win32Platform.h"
#include "win32/OwnedHandle.h"
#include "win32/WindowsFamily.h"

namespace lnf {

namespace {

// Larger requests go in pieces: some network redirectors refuse a single
// read or write of more than 64 MB.
constexpr DWORD kMostPerCall = 1u << 24;

DWORD PieceOf(std::size_t size) {
  return size > kMostPerCall ? kMostPerCall : static_cast<DWORD>(size);
}

HANDLE OpenFile(const NativePath& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
  return IsNtFamily()
             ? CreateFileW(Ptr(path.wide), access, share, nullptr, disposition, flags, nullptr)
             : CreateFileA(path.ansi.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

class Win32Read final : public ReadStream {
 public:
  Win32Read(HANDLE file, std::string path) : file_(file), path_(std::move(path)) {}

  // ReadFile may give less than asked before the end (a network file); only
  // nothing at all means the end.
  std::size_t Read(void* buffer, std::size_t size) override {
    auto* at = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < size) {
      DWORD got = 0;
      if (!ReadFile(file_.get(), at + total, PieceOf(size - total), &got, nullptr)) {
        Fail(GetLastError(), path_);
      }
      if (got == 0) break;
      total += got;
    }
    return total;
  }

 private:
  FileHandle file_;
  std::string path_;
};

class Win32Write final : public WriteStream {
 public:
  Win32Write(HANDLE file, NativePath native, std::string path)
      : file_(file), native_(std::move(native)), path_(std::move(path)) {}

  ~Win32Write() override {
    if (committed_) return;
    file_.Close();
    if (IsNtFamily()) {
      DeleteFileW(Ptr(native_.wide));
    } else {
      DeleteFileA(native_.ansi.c_str());
    }
  }

  void Write(const void* data, std::size_t size) override {
    Put(data, size);
    end_ += size;
  }

  // Within what was written only: past it the file would grow a gap of
  // whatever the disk held.
  void WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
    if (offset > end_ || size > end_ - offset) Fail(ERROR_INVALID_PARAMETER, path_);
    Seek(offset);
    Put(data, size);
    Seek(end_);
  }

  // A file that cannot be flushed or closed may not hold what was written:
  // it is not kept.
  void Commit() override {
    if (!file_.IsSet()) Fail(ERROR_INVALID_HANDLE, path_);
    if (!FlushFileBuffers(file_.get())) Fail(GetLastError(), path_);
    if (!CloseHandle(file_.Release())) Fail(GetLastError(), path_);
    committed_ = true;
  }

 private:
  void Put(const void* data, std::size_t size) {
    if (!file_.IsSet()) Fail(ERROR_INVALID_HANDLE, path_);
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
      DWORD wrote = 0;
      if (!WriteFile(file_.get(), at, PieceOf(size), &wrote, nullptr)) Fail(GetLastError(), path_);
      // Nothing written and no error: the disk is full.
      if (wrote == 0) Fail(ERROR_DISK_FULL, path_);
      at += wrote;
      size -= wrote;
    }
  }

  void Seek(std::uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    // A position whose low part is all ones is no failure; only the error
    // number tells.
    SetLastError(NO_ERROR);
    const DWORD low =
        SetFilePointer(file_.get(), static_cast<LONG>(offset & 0xFFFFFFFFu), &high, FILE_BEGIN);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) {
      Fail(GetLastError(), path_);
    }
  }

  FileHandle file_;
  NativePath native_;
  std::string path_;
  std::uint64_t end_ = 0;
  bool committed_ = false;
};

}  // namespace

std::unique_ptr<ReadStream> Win32FileStreams::DoOpenRead(const std::string& path) {
  const NativePath native = Prepare(path);
  // Windows 9x knows no delete sharing and refuses the flag.
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (IsNtFamily() ? FILE_SHARE_DELETE : 0);
  const HANDLE file = OpenFile(native, GENERIC_READ, share, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN);
  if (file == INVALID_HANDLE_VALUE) Fail(GetLastError(), path);
  return std::make_unique<Win32Read>(file, path);
}

std::unique_ptr<WriteStream> Win32FileStreams::DoCreateNew(const std::string& path) {
  NativePath native = Prepare(path);
  const HANDLE file = OpenFile(native, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  if (file == INVALID_HANDLE_VALUE) Fail(GetLastError(), path);
  return std::make_unique<Win32Write>(file, std::move(native), path);
}

}  // namespace lnf
