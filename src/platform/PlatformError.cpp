#include "platform/PlatformError.h"

#include <utility>

namespace lnf {

namespace {

std::string Compose(std::uint32_t number, const std::string& description,
                    const std::string& subject) {
  std::string text = "Error " + std::to_string(number) + ": " + description;
  if (!subject.empty()) text += " (" + subject + ")";
  return text;
}

}  // namespace

PlatformError::PlatformError(std::uint32_t number, std::string description, std::string subject)
    : number_(number),
      description_(std::move(description)),
      subject_(std::move(subject)),
      what_(Compose(number_, description_, subject_)) {}

}  // namespace lnf
