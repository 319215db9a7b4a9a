// The base of every group of the platform contract (PlatformContract.h):
// the World it runs in and the helpers the groups share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "platform/Staging.h"

namespace lnf::contract {

// Dates compare as text, which also reads well in a failure.
inline std::string Text(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}
// A moment as its UTC calendar.
inline std::string Text(const UtcDateTime& t) { return Text(t.Utc()); }

// Even seconds: FAT keeps no odd ones.
const LocalDateTime kOld{2003, 4, 5, 6, 7, 8};
const LocalDateTime kNewer{2009, 11, 12, 13, 14, 16};

using Names = std::vector<std::string>;

template <typename World>
class ContractTest : public ::testing::Test {
 protected:
  auto& platform() { return world.platform(); }
  std::string At(const std::string& relative) const { return world.Root() + "\\" + relative; }

  void File(const std::string& relative, const std::string& contents = "x",
            std::uint32_t attributes = 0, const LocalDateTime& lastWrite = kOld) {
    world.MakeFile(At(relative), contents, lastWrite, attributes);
  }
  void Folder(const std::string& relative, std::uint32_t attributes = 0) {
    world.MakeFolder(At(relative), attributes);
  }

  // Every name one enumeration yields, sorted.
  Names List(const std::string& pattern, EntryFilter filter) {
    auto enumeration = platform().Enumerate(pattern, filter);
    Names names;
    for (std::string name = enumeration->Next(); !name.empty(); name = enumeration->Next()) {
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  // The failure `action` must end in, told the way the tool reports it.
  PlatformError FailureOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const PlatformError& error) {
      EXPECT_NE(error.number(), 0u);
      const std::string& text = error.description();
      EXPECT_FALSE(text.empty());
      EXPECT_EQ(text.find_last_not_of("\r\n "), text.size() - 1) << "untrimmed: " << text;
      return error;
    }
    ADD_FAILURE() << "no PlatformError";
    return PlatformError(0, {});
  }

  World world;
};

}  // namespace lnf::contract
