// The system's error numbers that this code names, with the values Windows
// gives them. No Win32 here, so that the search rule, the copy and the
// in-memory drive name them alike on any host.
#pragma once

#include <cstdint>

namespace lnf {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorWriteProtect = 19;  // a read-only medium or mount
constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorInvalidDrive = 15;
constexpr std::uint32_t kErrorNotSameDevice = 17;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorNotReady = 21;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorHandleDiskFull = 39;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorBadNetPath = 53;
constexpr std::uint32_t kErrorBadNetName = 67;
// What the system says when a file it was told not to overwrite is there.
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorDiskFull = 112;
// What Windows 9x's stubs of the NT-only functions answer.
constexpr std::uint32_t kErrorCallNotImplemented = 120;
constexpr std::uint32_t kErrorInvalidName = 123;
constexpr std::uint32_t kErrorDirNotEmpty = 145;
constexpr std::uint32_t kErrorBadPathname = 161;
constexpr std::uint32_t kErrorAlreadyExists = 183;
constexpr std::uint32_t kErrorDirectory = 267;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr std::uint32_t kErrorCantResolveFilename = 1921;

}  // namespace lnf
