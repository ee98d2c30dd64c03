// Start-up lookups against the real (Wine) registry, and the Windows version test.
#include "base/system_helpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_support.h"

namespace {

const wchar_t kOpenCommandKey[] = L"SOFTWARE\\Classes\\Lumagrove\\shell\\open\\command";

class OpenCommandFixture : public testing::Test {
 protected:
  void TearDown() override {
    test::DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Lumagrove");
  }
  std::wstring Found(const std::wstring& command, int* result) {
    test::SetRegistryString(HKEY_LOCAL_MACHINE, kOpenCommandKey, nullptr, command);
    wchar_t folder[520];
    wmemset(folder, L'#', 520);
    *result = FindExistingInstallation(folder);
    return folder;
  }
};

TEST_F(OpenCommandFixture, FolderOfTheInstalledViewer) {
  struct Case {
    std::wstring command;
    int result;
    std::wstring folder;
  } cases[] = {
      {L"\"D:\\Tools\\Lumagrove\\lg_show64.exe\" \"%1\"", 1, L"D:\\Tools\\Lumagrove\\"},
      {L"C:\\Apps\\Lumagrove\\lg_show64.exe \"%1\"", 1, L"C:\\Apps\\Lumagrove\\"},
      {L"\"C:\\Other\\paint.exe\" \"%1\"", 0, L""},
      {L"", 0, L""},
  };
  for (const Case& c : cases) {
    int result = -1;
    EXPECT_EQ(Found(c.command, &result), c.folder);
    EXPECT_EQ(result, c.result);
  }
}

TEST_F(OpenCommandFixture, OverlongValueIsReadBoundedAndTerminated) {
  // 300 characters: more than the 260-character buffer holds.
  std::wstring command = L"\"C:\\" + std::wstring(270, L'x') + L"\\lg_show64.exe\" \"%1\"";
  int result = -1;
  std::wstring folder = Found(command, &result);
  EXPECT_LT(folder.size(), 260u);
  EXPECT_EQ(result, 0);  // the cut value no longer names the viewer
  std::wstring fits = L"\"C:\\" + std::wstring(200, L'y') + L"\\lg_show64.exe\" \"%1\"";
  EXPECT_EQ(Found(fits, &result), L"C:\\" + std::wstring(200, L'y') + L"\\");
  EXPECT_EQ(result, 1);
}

TEST(FindExistingInstallation, NoKeyMeansNoInstallation) {
  test::DeleteRegistryTree(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Lumagrove");
  wchar_t folder[520] = L"stale";
  EXPECT_EQ(FindExistingInstallation(folder), 0);
  EXPECT_STREQ(folder, L"");
}

TEST(GetDefaultInstallFolder, ProgramFilesFollowedByLumagrove) {
  const wchar_t* key = L"Software\\Microsoft\\Windows\\CurrentVersion";
  std::wstring original;
  ASSERT_TRUE(test::ReadRegistryString(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir", original));
  wchar_t folder[520];
  EXPECT_EQ(GetDefaultInstallFolder(folder), 1);
  EXPECT_EQ(std::wstring(folder), original + L"\\Lumagrove");

  test::SetRegistryString(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir", L"D:\\Programme\\");
  GetDefaultInstallFolder(folder);
  EXPECT_STREQ(folder, L"D:\\Programme\\Lumagrove");
  test::SetRegistryString(HKEY_LOCAL_MACHINE, key, L"ProgramFilesDir", original);
}

// The prefix decides: Windows 7 by default, Windows 10 when the test runs in a win10 prefix.
TEST(IsWindowsVersionAtLeast, FollowsTheReportedVersion) {
  const char* expected = std::getenv("LG_EXPECTED_WINDOWS");
  bool windows10 = expected && std::string(expected) == "win10";
  EXPECT_TRUE(IsWindowsVersionAtLeast(0));
  EXPECT_TRUE(IsWindowsVersionAtLeast(1));
  EXPECT_EQ(IsWindowsVersionAtLeast(2), windows10);
}

TEST(LoadResourceString, MessagesKeepUmlautsAndLineFeeds) {
  wchar_t text[520];
  LoadResourceString(10, text, 520);
  EXPECT_STREQ(text, L"Warnung: Lumagrove l\u00e4uft!\nBeenden Sie bitte Lumagrove bevor Sie mit "
                     L"der Installation fortsetzen!");
  LoadResourceString(5, text, 520);
  EXPECT_STREQ(text, L"Ung\u00fcltiges Zielverzeichnis!");
  LoadResourceString(4, text, 520);
  EXPECT_STREQ(text, L"");
}

TEST(SystemLibraryPath, SystemFolderWithTheName) {
  wchar_t path[260];
  ASSERT_TRUE(SystemLibraryPath(L"version.dll", path, 260));
  wchar_t system[260];
  GetSystemDirectoryW(system, 260);
  EXPECT_EQ(std::wstring(path), std::wstring(system) + L"\\version.dll");
  wchar_t tiny[8];
  EXPECT_FALSE(SystemLibraryPath(L"version.dll", tiny, 8));
}

}  // namespace
