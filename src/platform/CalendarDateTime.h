// The names the platform's times go by. A moment is a UtcTime (time/Time.h),
// UTC inside, as the file system keeps it; a local calendar date and time
// appears only where the system shows one to a person or its year counts,
// converted once, by the system, at the edge (SystemFacts::LocalTimeAt,
// FileSystem::GetLastWriteTime).
#pragma once

#include "time/Time.h"

namespace lnf {

// A moment.
using UtcDateTime = UtcTime;
// A calendar date and time in local time, as the system shows it.
using LocalDateTime = CivilTime;

}  // namespace lnf
