// The one way every platform interface reports a failure: thrown, never
// returned or swallowed.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "platform/ErrorNumbers.h"

namespace lnf {

// A failure of an operating-system operation: the system's error number, its
// own description of it, and the path(s) the operation worked on.
// Derives from std::exception, not std::runtime_error: the latter drags the
// library's second string implementation into the exe.
class PlatformError : public std::exception {
 public:
  PlatformError(std::uint32_t number, std::string description, std::string subject = {});

  const char* what() const noexcept override { return what_.c_str(); }

  std::uint32_t number() const { return number_; }
  const std::string& description() const { return description_; }
  // The path (or paths) the failing operation was given; may be empty.
  const std::string& subject() const { return subject_; }

 private:
  std::uint32_t number_;
  std::string description_;
  std::string subject_;
  std::string what_;
};

}  // namespace lnf
