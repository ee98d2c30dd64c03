// How the run comes by its target folder: which descriptor a folder it makes gets (Wine
// keeps none, so the decision is what can be read here; the end-to-end tests see what
// Wine made of the descriptor), and that found folders keep theirs.
#include "engine/target_folder.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/path_rules.h"
#include "test_support.h"

namespace {

struct Prepared {
  int status;
  std::wstring folder;
  TargetFolder target;
};

Prepared Prepare(const std::wstring& path) {
  Prepared p;
  wchar_t buffer[520] = {};
  wcsncpy(buffer, path.c_str(), 519);
  p.status = PrepareTargetFolder(buffer, p.target);
  p.folder = buffer;
  return p;
}

TEST(PrepareTargetFolder, ProtectsWhatItMakesOutsideProgramFiles) {
  test::ScratchFolder root(L"target");
  wchar_t programFiles[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
  std::wstring inside = std::wstring(programFiles) + L"\\LgTargetTest";
  RemoveDirectoryW(inside.c_str());
  struct Case {
    std::wstring path;
    std::wstring folder;  // as the run goes on with it
    TargetOrigin origin;
  } cases[] = {
      {root.path() + L"Apps \\Lumagrove ", root.path() + L"Apps\\Lumagrove\\",
       TargetOrigin::CreatedProtected},
      {root.path() + L"Apps\\Lumagrove", root.path() + L"Apps\\Lumagrove\\", TargetOrigin::Found},
      {root.path() + L"Apps", root.path() + L"Apps\\", TargetOrigin::Found},  // made as a parent
      {inside, inside + L"\\", TargetOrigin::CreatedInherited},
      {inside, inside + L"\\", TargetOrigin::Found},
  };
  for (const Case& c : cases) {
    Prepared p = Prepare(c.path);
    EXPECT_EQ(p.status, 1) << c.path.size();
    EXPECT_EQ(p.folder, c.folder);
    EXPECT_EQ(static_cast<int>(p.target.origin), static_cast<int>(c.origin)) << c.folder.size();
    EXPECT_EQ(p.target.status, FileStatus::Done);
    EXPECT_TRUE(IsSamePath(p.target.top.FinalPath(), PlainFinalPath(c.folder.c_str())));
  }
  EXPECT_TRUE(RemoveDirectoryW(inside.c_str()));
}

TEST(PrepareTargetFolder, AFolderThatCannotBeMadeIsNotOpened) {
  test::ScratchFolder root(L"target-bad");
  test::WriteFileBytes(root / L"file", "x");
  Prepared p = Prepare(root.path() + L"file\\sub");
  EXPECT_EQ(p.status, 0);
  EXPECT_FALSE(p.target.top.IsOpen());
  EXPECT_FALSE(test::FolderExists(root / L"file\\sub"));
}

}  // namespace
