// What the answer of a search that could not start means. Windows says "not
// there" in several ways, and the two families and Wine do not always pick the
// same one; each platform turns every one of them into "no match", and keeps
// the rest (a drive that is not ready, a folder it may not read) as failures.
// No Win32 here, so that the in-memory drive answers by the same rule.
#pragma once

#include <cstdint>

#include "platform/ErrorNumbers.h"

namespace lnf {

// True when a search that failed with `error` found that nothing of that name
// exists, rather than that it could not look.
bool MeansNoSuchEntry(std::uint32_t error);

}  // namespace lnf
