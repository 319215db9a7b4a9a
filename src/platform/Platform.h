// The one boundary between the tool and the operating system, as small
// interfaces: the file system with its streams, what the system tells about
// itself, and the prompts a person answers. Everything the inventory, code-table and backup
// logic needs of Windows goes through them, so that logic builds and runs on
// any host against the in-memory platform of the tests.
#pragma once

#include <type_traits>

#include "platform/FileStreams.h"
#include "platform/FileSystem.h"
#include "platform/Prompts.h"
#include "platform/SystemInfo.h"

namespace lnf {

// The four, as the window's state holds them for its handlers.
struct Platform {
  Platform(FileSystem& fileSystem, FileStreams& fileStreams, SystemInfo& systemInfo,
           Prompts& prompts)
      : files(fileSystem), streams(fileStreams), system(systemInfo), prompts(prompts) {}
  // One object that is the file system and its streams (the real platform,
  // the in-memory one), with the other two given.
  template <typename Files, typename = std::enable_if_t<std::is_base_of_v<FileSystem, Files> &&
                                                        std::is_base_of_v<FileStreams, Files>>>
  Platform(Files& files, SystemInfo& systemInfo, Prompts& prompts)
      : Platform(static_cast<FileSystem&>(files), static_cast<FileStreams&>(files), systemInfo,
                 prompts) {}
  // One object that is all four.
  template <typename All, typename = std::enable_if_t<std::is_base_of_v<FileSystem, All>>>
  Platform(All& all) : Platform(all, static_cast<SystemInfo&>(all), static_cast<Prompts&>(all)) {}

  FileSystem& files;
  FileStreams& streams;
  SystemInfo& system;
  Prompts& prompts;
};

}  // namespace lnf
