// The program group and desktop links, read back through IShellLinkW and IPersistFile::Load.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/install_options.h"
#include "integration/registration.h"
#include "integration/shell_links.h"
#include "integration_support.h"
#include "test_support.h"

namespace {

struct ExpectedLink {
  std::wstring file, target, arguments, icon;
  int iconIndex;
  std::wstring description;
};

bool WindowsTenExpected() {
  const char* expected = std::getenv("LG_EXPECTED_WINDOWS");
  return expected && std::string(expected) == "win10";
}

void ExpectLinks(const std::wstring& folder, const std::vector<ExpectedLink>& links) {
  for (const ExpectedLink& e : links) {
    itest::LinkInfo link = itest::ReadLink(folder + e.file);
    ASSERT_TRUE(link.loaded) << folder << e.file;
    EXPECT_EQ(link.target, e.target) << e.file;
    EXPECT_EQ(link.arguments, e.arguments) << e.file;
    EXPECT_EQ(link.icon, e.icon) << e.file;
    if (!e.icon.empty()) {
      EXPECT_EQ(link.iconIndex, e.iconIndex) << e.file;
    }
    EXPECT_EQ(link.description, e.description) << e.file;
  }
}

std::vector<ExpectedLink> GroupLinks(const std::wstring& folder) {
  const std::wstring exe = folder + L"lg_show64.exe";
  std::vector<ExpectedLink> links = {
      {L"Lumagrove 64 4.58.lnk", exe, L"", L"", 0, L""},
      {L"Lumagrove - Thumbnails.lnk", exe, L"/thumbs", exe, 7, L""},
      {L"Über Lumagrove.lnk", folder + L"lg_about.txt", L"", L"", 0, L""},
      {L"Was ist neu.lnk", folder + L"lg_changes.txt", L"", L"", 0, L""},
      {L"Kommandozeilen-Optionen.lnk", folder + L"lg_options.txt", L"", L"", 0, L""},
      {L"Verfügbare PlugIns.lnk", folder + L"lg_plugins.txt", L"", L"", 0, L""},
      {L"Verfügbare Sprachen.lnk", folder + L"lg_languages.txt", L"", L"", 0, L""},
      // The shell folds the help target's doubled backslash into one.
      {L"Lumagrove Hilfe.lnk", folder + L"help\\lg_show32_deutsch.chm", L"", L"", 0, L""},
  };
  if (!WindowsTenExpected())
    links.push_back({L"Lumagrove deinstallieren.lnk", folder + L"lgr_uninstall.exe", L"", L"", 0,
                     L""});
  return links;
}

std::vector<ExpectedLink> DesktopLinks(const std::wstring& folder) {
  const std::wstring exe = folder + L"lg_show64.exe";
  return {{L"Lumagrove 64.lnk", exe, L"", L"", 0, L"Lumagrove 64 - Bildbetrachter"},
          {L"Lumagrove 64 Thumbnails.lnk", exe, L"/thumbs", exe, 7, L"Lumagrove - Thumbnails"}};
}

std::vector<std::wstring> FileNames(const std::vector<ExpectedLink>& links,
                                    std::vector<std::wstring> more = {}) {
  for (const ExpectedLink& e : links) more.push_back(e.file);
  std::sort(more.begin(), more.end());
  return more;
}

class IntegrationLinks : public ::testing::Test {
 protected:
  void SetUp() override {
    itest::RemoveIntegration();
    group_ = itest::ShellFolder(CSIDL_PROGRAMS) + L"Lumagrove\\";
    commonGroup_ = itest::ShellFolder(CSIDL_COMMON_PROGRAMS) + L"Lumagrove\\";
    desktop_ = itest::ShellFolder(CSIDL_DESKTOPDIRECTORY);
    commonDesktop_ = itest::ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
  }
  void TearDown() override { itest::RemoveIntegration(); }

  void PlantOldLinks(const std::wstring& group) {
    SHCreateDirectoryExW(nullptr, group.c_str(), nullptr);
    for (const wchar_t* version : {L"4.57", L"4.56", L"4.55"})
      test::WriteFileBytes(group + L"Lumagrove 64 " + version + L".lnk", "old");
  }

  std::wstring group_, commonGroup_, desktop_, commonDesktop_;
  int32_t none_[kSelectionCount] = {};
};

}  // namespace

TEST_F(IntegrationLinks, CurrentUserGetsTheGroupAndDesktopLinksOnceAfterTwoRuns) {
  PlantOldLinks(group_);
  const std::wstring folder = L"C:\\ut\\links\\Lumagrove\\";
  for (int run = 0; run < 2; ++run) {
    IntegrateWithSystem(0, L"C:\\ut\\links\\Lumagrove", 1, 1, 1, 0, none_);
    ExpectLinks(group_, GroupLinks(folder));
    ExpectLinks(desktop_, DesktopLinks(folder));
    // The two previous versions' viewer links go; older ones are not ours to remove.
    EXPECT_EQ(itest::LinkFiles(group_), FileNames(GroupLinks(folder), {L"Lumagrove 64 4.55.lnk"}));
    EXPECT_TRUE(itest::LinkFiles(commonGroup_).empty());
    for (const ExpectedLink& e : DesktopLinks(folder))
      EXPECT_FALSE(test::FileExists(commonDesktop_ + e.file)) << e.file;
  }
}

TEST_F(IntegrationLinks, AllUsersGetTheCommonFoldersAndTheUserGroupStaysAsItWas) {
  PlantOldLinks(group_);
  PlantOldLinks(commonGroup_);
  const std::wstring folder = L"C:\\ut\\shared\\";
  IntegrateWithSystem(0, folder.c_str(), 1, 1, 1, 1, none_);
  ExpectLinks(commonGroup_, GroupLinks(folder));
  ExpectLinks(commonDesktop_, DesktopLinks(folder));
  EXPECT_EQ(itest::LinkFiles(commonGroup_),
            FileNames(GroupLinks(folder), {L"Lumagrove 64 4.55.lnk"}));
  EXPECT_EQ(itest::LinkFiles(group_),
            (std::vector<std::wstring>{L"Lumagrove 64 4.55.lnk", L"Lumagrove 64 4.56.lnk",
                                       L"Lumagrove 64 4.57.lnk"}));
  for (const ExpectedLink& e : DesktopLinks(folder))
    EXPECT_FALSE(test::FileExists(desktop_ + e.file)) << e.file;
}

TEST_F(IntegrationLinks, OnlyTheAskedForLinksAreWritten) {
  struct Case {
    int32_t group, desktop, thumbnails;
  };
  const Case cases[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  const std::wstring folder = L"C:\\ut\\some\\";
  for (const Case& c : cases) {
    itest::RemoveIntegration();
    IntegrateWithSystem(0, folder.c_str(), c.group, c.desktop, c.thumbnails, 0, none_);
    EXPECT_EQ(itest::LinkFiles(group_).size(), c.group ? GroupLinks(folder).size() : 0u);
    EXPECT_EQ(test::FileExists(desktop_ + L"Lumagrove 64.lnk"), c.desktop != 0);
    EXPECT_EQ(test::FileExists(desktop_ + L"Lumagrove 64 Thumbnails.lnk"), c.thumbnails != 0);
  }
}

TEST_F(IntegrationLinks, WriteShellLinkReplacesWhatIsThereWithoutWritingThroughIt) {
  test::ScratchFolder scratch(L"integration_links");
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(scratch.path().c_str(), false, folder), FileStatus::Done);
  test::WriteFileBytes(scratch / L"old.lnk", "old");
  test::WriteFileBytes(scratch / L"victim.txt", "victim");
  // A second name of another file: replacing the name leaves that file's bytes alone.
  ASSERT_TRUE(CreateHardLinkW((scratch / L"hard.lnk").c_str(), (scratch / L"victim.txt").c_str(),
                              nullptr));
  const ShellLinkFields fields = {L"C:\\x\\y.exe", L"-a", L"C:\\i.ico", 3, L"d"};
  for (const wchar_t* name : {L"new.lnk", L"old.lnk", L"hard.lnk"}) {
    ASSERT_EQ(WriteShellLink(folder, name, fields), FileStatus::Done) << name;
    itest::LinkInfo link = itest::ReadLink(scratch / name);
    EXPECT_EQ(link.target, L"C:\\x\\y.exe") << name;
    EXPECT_EQ(link.arguments, L"-a") << name;
    EXPECT_EQ(link.icon, L"C:\\i.ico") << name;
    EXPECT_EQ(link.iconIndex, 3) << name;
    EXPECT_EQ(link.description, L"d") << name;
  }
  EXPECT_EQ(test::ReadFileBytes(scratch / L"victim.txt"), "victim");
  EXPECT_EQ(itest::LinkFiles(scratch.path()),
            (std::vector<std::wstring>{L"hard.lnk", L"new.lnk", L"old.lnk"}));
  EXPECT_EQ(WriteShellLink(GuardedFolder(), L"none.lnk", fields), FileStatus::Failed);
}

TEST_F(IntegrationLinks, FoldersComeFromTheShellAndFallBackToTheWindowsFolder) {
  wchar_t folder[MAX_PATH];
  GetProgramsFolder(0, folder);
  EXPECT_EQ(std::wstring(folder) + L"Lumagrove\\", group_);
  GetProgramsFolder(1, folder);
  EXPECT_EQ(std::wstring(folder) + L"Lumagrove\\", commonGroup_);
  GetDesktopFolder(0, folder);
  EXPECT_EQ(std::wstring(folder), desktop_);
  GetDesktopFolder(1, folder);
  EXPECT_EQ(std::wstring(folder), commonDesktop_);

  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  GetSpecialFolder(0x7E, folder);  // no such folder
  EXPECT_EQ(std::wstring(folder), std::wstring(windows) + L"\\");
}
