// The one boundary between the tool and the operating system, as three small
// interfaces: the file system, what the system tells about itself, and the
// prompts a person answers. Everything the inventory, code-table and backup
// logic needs of Windows goes through them, so that logic builds and runs on
// any host against the in-memory platform of the tests.
#pragma once

#include <type_traits>

#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/SystemInfo.h"

namespace lnf {

// The three, as the window's state holds them for its handlers.
struct Platform {
  Platform(FileSystem& fileSystem, SystemInfo& systemInfo, Prompts& prompts)
      : files(fileSystem), system(systemInfo), prompts(prompts) {}
  // One object that is all three (the real platform, the in-memory one).
  template <typename All, typename = std::enable_if_t<std::is_base_of_v<FileSystem, All>>>
  Platform(All& all)
      : Platform(static_cast<FileSystem&>(all), static_cast<SystemInfo&>(all),
                 static_cast<Prompts&>(all)) {}

  FileSystem& files;
  SystemInfo& system;
  Prompts& prompts;
};

}  // namespace lnf
