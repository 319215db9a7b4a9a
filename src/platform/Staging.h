// The rules written once over the file system's primitives: how a copy
// reaches its destination through a staging name, how a finished file takes
// the place of another or goes, and how each backup run keeps a staging
// folder of its own beside other runs. The real platform and the in-memory
// one provide only the primitives, so both run these rules, and the contract
// suite holds them to real Windows on each.
//
// They stand in the platform layer, below the backups and the collection
// that use them, because both do: the backups copy and stage, the
// collection's package is put in place and its temporaries removed (through
// FileStreams). Every failure is thrown as the file system throws it; a
// failing copy names itself "source -> destination".
#pragma once

#include <memory>
#include <string>

#include "platform/FileStreams.h"
#include "platform/FileSystem.h"

namespace lnf {

// Copies a file, replacing one already at `destination`. The copy is made
// under a copy-in-progress name in `stagingFolder` and takes the
// destination's name only once complete, so that nothing half-written ever
// carries that name. An empty `stagingFolder`, or one that the system
// refuses or that no rename reaches the destination from (another volume),
// means the destination's own folder. On failure nothing is left at either
// place and an earlier copy at `destination` survives, unless the disk
// had no room for both: an earlier copy is then replaced in place.
void CopyFileReplacing(FileSystem& files, const std::string& source, const std::string& destination,
                       const std::string& stagingFolder = {});

// Copies a file to `destination`, where nothing may stand yet, in a folder
// that nobody sees before it is complete; a failure leaves nothing there.
void CopyNewFile(FileSystem& files, const std::string& source, const std::string& destination);

// Gives the complete file `fresh` the name `to` in the same folder, in place
// of a file there: one rename on the NT family (clearing a read-only bit of
// the earlier file first); on Windows 9x the earlier file steps aside beside
// it and comes back if the new one cannot take its place. An earlier file is
// never lost to a failure, and `fresh` stays where it was.
void ReplaceByRename(FileSystem& files, const std::string& fresh, const std::string& to);

// Removes a file; one that is not there is no failure.
void RemoveFile(FileSystem& files, const std::string& path);

// How many names the copies and the runs try before they give up: far more
// than interrupted or parallel runs leave, yet a folder that answers
// "exists" to every name cannot hold a copy for ever.
constexpr int kStagingNameTries = 1000;

// A backup run's own staging folder, for its copies in progress. Going, it
// removes the folder with what is left in it (an earlier copy set aside
// excepted), then the parent once empty; it never throws, as it runs while
// failures are on their way out.
class StagingArea {
 public:
  virtual ~StagingArea() = default;
  virtual const std::string& Folder() const = 0;
  // Whether a folder may be built inside it, to take its real name later:
  // not on Windows 9x, where every path is held to MAX_PATH and one inside
  // the staging folder is longer than the real one.
  virtual bool MayBuildFolders() const = 0;
};

// Opens a backup run's own staging folder inside `parent` (made when
// missing): a numbered folder holding a lock file that the run keeps open
// (a stream of `streams`, on `files`). First sweeps what dead runs (whose
// lock nobody holds) left there: their copies in progress and partial
// folders, never an earlier copy set aside. Null when the system refuses:
// copies are then staged beside their destinations. Other live runs'
// folders are left alone.
std::unique_ptr<StagingArea> OpenStaging(FileSystem& files, FileStreams& streams,
                                         const std::string& parent);

}  // namespace lnf
