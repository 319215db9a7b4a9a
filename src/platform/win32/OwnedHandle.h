// A handle owned by a small object that cannot be copied and closes it when
// it goes, so that no path out of a function, a thrown failure included,
// leaves one open. `Closer` says what an unset handle looks like and how a
// set one is closed.
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
    if (IsSet()) Closer::Close(Release());
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
