// Creating target folders with all their parents.
#include "base/folder_tree.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct Result {
  int status;
  std::wstring path;
};

Result Create(const std::wstring& path) {
  wchar_t buffer[520] = {};
  wcsncpy(buffer, path.c_str(), 519);
  int status = CreateFolderTree(buffer);
  return {status, buffer};
}

TEST(CreateFolderTree, CreatesEveryLevelAndNormalisesThePath) {
  test::ScratchFolder root(L"tree");
  wchar_t cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);

  Result r = Create(L"  " + root.path() + L"A \\B  ");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.path, root.path() + L"A\\B\\");
  EXPECT_TRUE(test::FolderExists(root / L"A\\B"));

  r = Create(root.path() + L"A");  // existing: only the backslash is added
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.path, root.path() + L"A\\");

  wchar_t after[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, after);
  EXPECT_STREQ(after, cwd);  // the current folder is put back
}

TEST(CreateFolderTree, RefusesWhatCannotBeAFolder) {
  test::ScratchFolder root(L"treebad");
  test::WriteFileBytes(root / L"file", "x");
  struct Case {
    std::wstring path;
  } cases[] = {{L""}, {L"     "}, {root.path() + L"file\\sub"}, {root.path() + L"a\"b\\c"}};
  for (const Case& c : cases) EXPECT_EQ(Create(c.path).status, 0) << c.path.size();
  EXPECT_FALSE(test::FolderExists(root / L"file\\sub"));
}

// Stands in for the setup's maker of target and settings folders: records what it is asked.
class RecordingMaker final : public FolderMaker {
 public:
  bool Make(const wchar_t* path) override {
    calls.emplace_back(path);
    return CreateDirectoryW(path, nullptr) != FALSE;
  }
  std::vector<std::wstring> calls;
};

TEST(CreateFolderTree, OnlyAMissingLastLevelGoesToTheMaker) {
  test::ScratchFolder root(L"treemaker");
  struct Case {
    std::wstring path;
    std::wstring after;
    std::vector<std::wstring> made;  // what the maker was asked for
  } cases[] = {
      {L" " + root.path() + L"A \\B ", root.path() + L"A\\B\\", {root.path() + L"A\\B"}},
      {root.path() + L"A\\B", root.path() + L"A\\B\\", {}},  // there already
      {root.path() + L"C\\\\", root.path() + L"C\\", {root.path() + L"C"}},
  };
  for (const Case& c : cases) {
    wchar_t buffer[520] = {};
    wcsncpy(buffer, c.path.c_str(), 519);
    RecordingMaker maker;
    EXPECT_EQ(CreateFolderTree(buffer, maker), 1) << c.path.size();
    EXPECT_EQ(std::wstring(buffer), c.after);
    EXPECT_EQ(maker.calls, c.made) << c.path.size();
  }
  EXPECT_TRUE(test::FolderExists(root / L"A"));  // the parents as before

  // A maker that declines leaves the tree without its last level.
  class Declining final : public FolderMaker {
    bool Make(const wchar_t*) override { return false; }
  } declining;
  wchar_t buffer[520] = {};
  wcsncpy(buffer, (root.path() + L"D\\E").c_str(), 519);
  EXPECT_EQ(CreateFolderTree(buffer, declining), 0);
  EXPECT_TRUE(test::FolderExists(root / L"D"));
  EXPECT_FALSE(test::FolderExists(root / L"D\\E"));
}

TEST(CreateFolderTree, OverlongPathsStayInTheBuffer) {
  test::ScratchFolder root(L"treelong");
  std::wstring path = root.path() + std::wstring(300, L'n') + L"\\x";
  Result r = Create(path);
  EXPECT_EQ(r.status, 0);
  EXPECT_LT(r.path.size(), 262u);
}

}  // namespace
