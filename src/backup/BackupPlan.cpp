#include "backup/BackupPlan.h"

#include <utility>

#include "platform/TreeWalk.h"

namespace lnf {

namespace {

constexpr int kCutOffYear = 2012;

}  // namespace

std::vector<PlannedFile> PlanV2V31(FileSystem& files, const std::string& wudir) {
  std::vector<PlannedFile> plan;
  auto listing = files.Enumerate(wudir + "\\*.*", EntryFilter::kFiles);
  while (!listing->Next().empty()) {
    const DirectoryEntry& entry = listing->Entry();
    // A Windows 9x name with characters the ANSI code page lacks comes as
    // "??????.inv", which opens nothing: the file is read through its short
    // name, and its copy takes that name too, as no file can be made under
    // the '?' one.
    PlannedFile file{BackupKind::kV2V31, wudir + "\\" + entry.openableName, entry.openableName,
                     entry};
    try {
      if (files.GetLastWriteTime(file.source).year >= kCutOffYear) {
        file.take = Take::kNewerThanCutOff;
      }
    } catch (const PlatformError& error) {
      file.dateUnreadable = error.description();
    }
    plan.push_back(std::move(file));
  }
  return plan;
}

std::vector<PlannedFile> PlanV4(FileSystem& files, const std::string& windir,
                                const std::string& wudir) {
  std::vector<PlannedFile> plan;
  auto planOne = [&](const std::string& folder, const char* name) {
    PlannedFile file{BackupKind::kV4, folder + "\\" + name, std::string("V4\\") + name};
    auto listing = files.Enumerate(file.source, EntryFilter::kFiles);
    if (listing->Next().empty()) {
      file.take = Take::kMissing;
    } else {
      file.facts = listing->Entry();
    }
    plan.push_back(std::move(file));
  };
  planOne(windir, "Windows Update.log");
  planOne(wudir + "\\V4", "iuhist.xml");
  return plan;
}

void PlanTree(FileSystem& files, const std::string& folder, const std::string& under,
              FunctionRef<bool(PlannedFile&)> take) {
  // By the names that open them (short names for what a 9x code page
  // cannot spell), files and folders alike, as the V2/V3.1 files are.
  class Plan final : public TreeVisitor {
   public:
    Plan(const std::string& root, const std::string& under, FunctionRef<bool(PlannedFile&)> take)
        : root_(root), under_(under), take_(take) {}
    void File(const std::string& folder, const DirectoryEntry& file) override {
      Meet(folder, file, false, Take::kCopy);
    }
    bool Folder(const std::string& folder, const DirectoryEntry& subfolder) override {
      return Meet(folder, subfolder, true, Take::kCopy);
    }
    void FolderLink(const std::string& folder, const DirectoryEntry& link) override {
      Meet(folder, link, true, Take::kFolderLink);
    }

   private:
    bool Meet(const std::string& folder, const DirectoryEntry& entry, bool isFolder, Take take) {
      PlannedFile file{BackupKind::kOfficeUpdate,
                       folder + entry.openableName,
                       under_ + folder.substr(root_.size()) + entry.openableName,
                       entry,
                       isFolder,
                       take};
      return take_(file);
    }

    const std::string& root_;
    const std::string& under_;
    FunctionRef<bool(PlannedFile&)> take_;
  };
  std::string root = folder;
  if (root.empty() || root.back() != '\\') root += '\\';
  Plan plan(root, under, take);
  WalkTree(files, root, plan);
}

}  // namespace lnf
