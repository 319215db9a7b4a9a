#include "platform/SearchErrors.h"

namespace lnf {

bool MeansNoSuchEntry(std::uint32_t error) {
  switch (error) {
    case 2:                   // ERROR_FILE_NOT_FOUND: the folder is there, the name is not
    case 3:                   // ERROR_PATH_NOT_FOUND: a folder on the way is missing
    case kErrorNoMoreFiles:   // nothing matched
    case kErrorDirectory:     // NT: a file stands where the path needs a folder
    case 123:                 // ERROR_INVALID_NAME: Wine's answer for the same, and a name no
                              // file system can hold
    case kErrorBadPathname:   // a path the system cannot take apart names nothing
    case kErrorInvalidDrive:  // no such drive letter
    case kErrorBadNetPath:    // no such server
    case kErrorBadNetName:    // no such share on it
      return true;
    default:
      // ERROR_NOT_READY (a drive without its medium), ERROR_ACCESS_DENIED and
      // the rest: something may well be there, unread.
      return false;
  }
}

}  // namespace lnf
