// What the answer of a search that could not start means. Windows says "not
// there" in several ways, and the two families and Wine do not always pick the
// same one; each platform turns every one of them into "no match", and keeps
// the rest (a drive that is not ready, a folder it may not read) as failures.
// No Win32 here, so that the in-memory drive answers by the same rule.
#pragma once

#include <cstdint>

namespace lnf {

// Error numbers, with the values Windows gives them, that only this rule and
// the in-memory drive's answers need.
constexpr std::uint32_t kErrorInvalidDrive = 15;
constexpr std::uint32_t kErrorNoMoreFiles = 18;
constexpr std::uint32_t kErrorNotReady = 21;
constexpr std::uint32_t kErrorBadNetPath = 53;
constexpr std::uint32_t kErrorBadNetName = 67;
constexpr std::uint32_t kErrorBadPathname = 161;
constexpr std::uint32_t kErrorDirectory = 267;

// True when a search that failed with `error` found that nothing of that name
// exists, rather than that it could not look.
bool MeansNoSuchEntry(std::uint32_t error);

}  // namespace lnf
