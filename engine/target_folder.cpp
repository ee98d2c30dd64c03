#include "engine/target_folder.h"

#include <string>

#include "base/folder_security.h"
#include "base/folder_tree.h"

namespace {

// Whether a folder about to be made at path would lie below Program Files, judged by where
// its parent really is (the parent may be a link: redirected folders are normal).
bool WouldBeBelowProgramFiles(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos || slash + 1 >= path.size()) return false;
  GuardedFolder parent;
  if (GuardedFolder::OpenResolved(path.substr(0, slash + 1).c_str(), parent) != FileStatus::Done)
    return false;
  return IsBelowProgramFiles(parent.FinalPath() + L"\\" + path.substr(slash + 1));
}

// Makes the target's last level with the descriptor it needs, and keeps it open from the
// moment it exists: nobody can swap it for a link in between.
class TargetMaker final : public FolderMaker {
 public:
  explicit TargetMaker(TargetFolder& target) : target_(target) {}

  bool Make(const wchar_t* path) override {
    if (target_.top.IsOpen()) return true;
    bool inside = WouldBeBelowProgramFiles(path);
    FolderSecurity protectedFolder(kProtectedFolderSddl);
    if (!inside && !protectedFolder.get()) return false;  // never made open to everyone
    target_.status = GuardedFolder::OpenTop(path, true, target_.top,
                                            inside ? nullptr : protectedFolder.get());
    if (target_.status != FileStatus::Done || !target_.top.Created()) return false;
    target_.origin = inside ? TargetOrigin::CreatedInherited : TargetOrigin::CreatedProtected;
    return true;
  }

 private:
  TargetFolder& target_;
};

}  // namespace

int PrepareTargetFolder(wchar_t* folder, TargetFolder& target) {
  target = TargetFolder();
  TargetMaker maker(target);
  if (!CreateFolderTree(folder, maker)) return 0;
  if (!target.top.IsOpen()) {
    target.origin = TargetOrigin::Found;
    target.status = GuardedFolder::OpenTop(folder, false, target.top);
  }
  return 1;
}
