// The longest target folder the integration accepts, on both sides of the boundary.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "engine/install_options.h"
#include "integration/install_paths.h"
#include "integration/registration.h"
#include "integration_support.h"

namespace {

// "C:\" and then letters up to the given length, without a final backslash.
std::wstring FolderOfLength(size_t length) {
  std::wstring folder = L"C:\\ut\\";
  while (folder.size() < length) folder += folder.size() % 60 == 0 ? L'\\' : L'x';
  if (folder.back() == L'\\') folder.back() = L'y';
  return folder;
}

size_t Formatted(const wchar_t* format, const std::wstring& argument) {
  wchar_t text[1024];
  swprintf(text, 1024, format, argument.c_str());
  return wcslen(text);
}

}  // namespace

TEST(TargetFolderFits, AcceptsUpToTheLimitAndRefusesOneMore) {
  const size_t limit = kLongestInstallFolder;  // with the final backslash
  struct Case {
    std::wstring folder;
    bool fits;
  };
  const Case cases[] = {
      {FolderOfLength(limit - 1), true},              // the backslash makes it the limit
      {FolderOfLength(limit - 1) + L"\\", true},
      {FolderOfLength(limit - 1) + L"    ", true},    // blanks do not count
      {L"  " + FolderOfLength(limit - 1) + L"  ", true},
      {FolderOfLength(limit), false},
      {FolderOfLength(limit) + L"\\", false},
      {FolderOfLength(300), false},
      {L" " + FolderOfLength(300), false},
      {FolderOfLength(600), false},                   // beyond the 520-character buffer
      {L"C:\\Apps\\Lumagrove", true},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TargetFolderFits(c.folder.c_str()), c.fits) << c.folder.size();
}

// At the limit the longest derived path takes the whole buffer, and all others fit.
TEST(TargetFolderFits, LimitIsTheTightestOfTheDerivedPaths) {
  std::wstring folder = FolderOfLength(kLongestInstallFolder - 1) + L"\\";
  ASSERT_EQ(folder.size(), kLongestInstallFolder);
  std::wstring exe = folder + kViewerExeName;
  const size_t lengths[] = {
      exe.size(),
      Formatted(kOpenCommandFormat, exe),
      Formatted(kBrowseCommandFormat, exe),
      Formatted(kViewerIcon0Format, exe),
      Formatted(kUninstallStringFormat, folder),
      Formatted(kQuietUninstallStringFormat, folder),
      Formatted(kHelpTargetFormat, folder),
      folder.size() + LongestPayloadPath(),
  };
  size_t longest = 0;
  for (size_t n : lengths) longest = n > longest ? n : longest;
  EXPECT_EQ(longest, static_cast<size_t>(kMaxPath - 1));
  EXPECT_EQ(Formatted(kBrowseCommandFormat, exe), exe.size() + 15);  // "..." "%1" /thumbs
  // The README gives this figure. It follows the payload's longest entry (34 characters),
  // which is longer than every command and value derived from the folder.
  EXPECT_EQ(kLongestInstallFolder, 225u);

  InstallStrings strings;
  ASSERT_TRUE(BuildInstallStrings(folder.c_str(), strings));
  EXPECT_EQ(std::wstring(strings.installFolder), folder);
  EXPECT_EQ(std::wstring(strings.openCommand), L"\"" + exe + L"\" \"%1\"");
  EXPECT_FALSE(BuildInstallStrings((folder + L"x").c_str(), strings));
}

TEST(TargetFolderFits, ATooLongFolderGetsNoEntriesAtAll) {
  itest::RemoveIntegration();
  int32_t all[kSelectionCount];
  for (int32_t& e : all) e = 1;
  IntegrateWithSystem(1, FolderOfLength(kLongestInstallFolder).c_str(), 1, 1, 1, 0, all);
  EXPECT_FALSE(itest::KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Lumagrove"));
  EXPECT_FALSE(itest::KeyExists(
      HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumagrove64"));
  EXPECT_FALSE(itest::KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\.jpg"));
  itest::RemoveIntegration();
}
