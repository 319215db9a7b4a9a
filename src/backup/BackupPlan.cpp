#include "backup/BackupPlan.h"

#include "platform/TreeWalk.h"

namespace lnf {

namespace {

constexpr int kCutOffYear = 2012;

void PlanV2V31(FileSystem& files, const std::string& wudir, BackupPlan& plan) {
  auto listing = files.Enumerate(wudir + "\\*.*", EntryFilter::kFiles);
  for (std::string name = listing->Next(); !name.empty(); name = listing->Next()) {
    const DirectoryEntry& entry = listing->Entry();
    const std::string source = wudir + "\\" + entry.openableName;
    // A date that cannot be read counts as old, as in the backup: the file
    // is taken rather than silently left out.
    int year = -1;
    try {
      year = files.GetLastWriteTime(source).year;
    } catch (const PlatformError&) {
    }
    if (year < kCutOffYear) {
      plan.files.push_back({BackupKind::kV2V31, source, entry.openableName, entry});
    } else {
      plan.newerThanCutOff.push_back(name);
    }
  }
}

void PlanOne(FileSystem& files, const std::string& source, const std::string& name,
             BackupPlan& plan) {
  auto listing = files.Enumerate(source, EntryFilter::kFiles);
  if (listing->Next().empty()) {
    plan.missing.push_back(source);
    return;
  }
  plan.files.push_back({BackupKind::kV4, source, name, listing->Entry()});
}

void PlanTree(FileSystem& files, const std::string& oudir, BackupPlan& plan) {
  class Plan final : public TreeVisitor {
   public:
    Plan(const std::string& root, BackupPlan& plan) : root_(root), plan_(plan) {}
    void File(const std::string& folder, const DirectoryEntry& file) override {
      plan_.files.push_back({BackupKind::kOfficeUpdate, folder + file.openableName,
                             "OU\\" + folder.substr(root_.size()) + file.openableName, file});
    }
    bool Folder(const std::string& folder, const DirectoryEntry& subfolder) override {
      plan_.files.push_back({BackupKind::kOfficeUpdate, folder + subfolder.openableName,
                             "OU\\" + folder.substr(root_.size()) + subfolder.openableName,
                             subfolder, true});
      return true;
    }
    void FolderLink(const std::string& folder, const DirectoryEntry& link) override {
      plan_.folderLinks.push_back(folder + link.openableName);
    }

   private:
    const std::string& root_;
    BackupPlan& plan_;
  };
  std::string root = oudir;
  if (root.back() != '\\') root += '\\';
  if (!DirectoryExists(files, root)) return;
  plan.files.push_back({BackupKind::kOfficeUpdate, root, "OU", {}, true});
  Plan plan_(root, plan);
  WalkTree(files, root, plan_);
}

}  // namespace

BackupPlan PlanBackups(FileSystem& files, const InstallationPaths& paths) {
  BackupPlan plan;
  if (!paths.wudir.empty()) {
    PlanV2V31(files, paths.wudir, plan);
    PlanOne(files, paths.windir + "\\Windows Update.log", "V4\\Windows Update.log", plan);
    PlanOne(files, paths.wudir + "\\V4\\iuhist.xml", "V4\\iuhist.xml", plan);
  }
  if (!paths.oudir.empty()) PlanTree(files, paths.oudir, plan);
  return plan;
}

}  // namespace lnf
