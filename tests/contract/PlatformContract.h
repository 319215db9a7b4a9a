// What every Platform must do with files, folders and the environment, written
// once and run against each implementation, so that the in-memory drive the
// core tests use cannot drift from real Windows.
//
// Each instance supplies a World: a fresh scratch folder and the means to fill
// it behind the platform's back.
//
//   Platform& platform();
//   std::string Root() const;            // absolute, no trailing backslash
//   void MakeFolder(path, attributes);   // hidden/system bits as wanted
//   void MakeFile(path, contents, lastWrite, attributes);  // replaces one
//   bool Exists(path); std::string Contents(path);
//   void SetEnvironment(name, value);
//   void HoldOpen(path);                 // copies onto `path` fail from now on
//   bool CanName(name) const;            // the platform can spell this name
//   bool HandlesLongPaths() const;       // paths past 260 characters work
//   bool Nt() const;                     // the NT family, not Windows 9x
//   bool MakeLink(path, target, folder); // a symbolic link; false: cannot
//   void MakeFileWrittenAt(path, contents, utc);
//   bool InEuropeanZone() const;         // UTC+1 with the EU's summer time
//   bool SummerTimeNow() const;
//
// platform() is a FileStreams as well.
//
// MakeFile's `lastWrite` is the local time the platform under test reads
// back, whatever the zone.
//
// Enumeration order differs between platforms and is not part of this
// contract; listings are compared as sorted lists.
#pragma once

#include "CopyContract.h"
#include "DatesContract.h"
#include "EnumerationContract.h"
#include "NamesContract.h"
#include "StreamsContract.h"

// Runs every group above against one World type.
#define LNF_INSTANTIATE_PLATFORM_CONTRACT(Prefix, WorldType)         \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Enumeration, WorldType);    \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Attributes, WorldType);     \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FolderCreation, WorldType); \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FileCopy, WorldType);       \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, FileDates, WorldType);      \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Environment, WorldType);    \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, UnusualPaths, WorldType);   \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, Links, WorldType);          \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, LiteralNames, WorldType);   \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, ByteStreams, WorldType);    \
  INSTANTIATE_TYPED_TEST_SUITE_P(Prefix, WholeFiles, WorldType)
