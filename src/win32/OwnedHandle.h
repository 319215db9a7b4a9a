// A handle owned by a small object that closes it when it goes, so that no
// path out of a function, a thrown failure included, leaves one open. It
// cannot be copied, only moved: one owner at a time. Closing keeps the
// thread's last error, so that a handle closed on the way out of a failing
// call never hides why the call failed. `Closer` says what an unset handle
// looks like and how a set one is closed.
#pragma once

#include <windows.h>

namespace lnf {

template <typename Handle, typename Closer>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  explicit OwnedHandle(Handle handle) : handle_(handle) {}
  ~OwnedHandle() { Close(); }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.Release()) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  Handle get() const { return handle_; }
  bool IsSet() const { return handle_ != Closer::Unset(); }
  // For the functions that hand a new handle out through a pointer.
  Handle* Receive() {
    Close();
    return &handle_;
  }
  void Reset(Handle handle) {
    Close();
    handle_ = handle;
  }
  // Gives the handle up, for a call that takes it over.
  Handle Release() {
    const Handle handle = handle_;
    handle_ = Closer::Unset();
    return handle;
  }
  void Close() {
    if (!IsSet()) return;
    const DWORD error = GetLastError();
    Closer::Close(Release());
    SetLastError(error);
  }

 private:
  Handle handle_ = Closer::Unset();
};

struct FindHandleCloser {
  static HANDLE Unset() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { FindClose(handle); }
};
struct FileHandleCloser {
  static HANDLE Unset() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct RegistryKeyCloser {
  static HKEY Unset() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};

using FindHandle = OwnedHandle<HANDLE, FindHandleCloser>;
using FileHandle = OwnedHandle<HANDLE, FileHandleCloser>;
using RegistryKey = OwnedHandle<HKEY, RegistryKeyCloser>;

}  // namespace lnf
