// IntegrateWithSystem run for real inside Wine, its registry entries and links read back.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwchar>
#include <set>
#include <string>

#include "engine/install_options.h"
#include "integration/associations.h"
#include "integration/file_types.h"
#include "integration/registration.h"
#include "integration/shell_links.h"
#include "integration_support.h"
#include "test_support.h"

using itest::IsDword;
using itest::IsString;

namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;
const std::wstring kUninstall =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumagrove64";
const std::wstring kFileAssociations = L"SOFTWARE\\Lumagrove\\Capabilities\\FileAssociations";
const std::wstring kFileExts = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.";
const std::wstring kDirectoryVerb = L"SOFTWARE\\Classes\\Directory\\shell\\Durchsuchen mit &Lumagrove";
const std::wstring kDriveVerb = L"SOFTWARE\\Classes\\Drive\\shell\\Durchsuchen mit &Lumagrove";
const wchar_t* const kAppXKeys[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};

bool WindowsTenExpected() {
  const char* expected = std::getenv("LG_EXPECTED_WINDOWS");
  return expected && std::string(expected) == "win10";
}

std::wstring Upper(std::wstring text) {
  for (wchar_t& c : text)
    if (c >= L'a' && c <= L'z') c = c - L'a' + L'A';
  return text;
}

std::wstring LocalDate() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t text[16];
  swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
  return text;
}

struct Selection {
  int32_t entries[kSelectionCount] = {};
};

class Integration : public ::testing::Test {
 protected:
  void SetUp() override { itest::RemoveIntegration(); }
  void TearDown() override { itest::RemoveIntegration(); }
};

using IntegrationWindowsVersion = Integration;

}  // namespace

TEST_F(Integration, WritesTheApplicationEntriesInTheirExactForm) {
  itest::CreateEmptyKey(HKLM, L"SOFTWARE\\RegisteredApplications");
  itest::CreateEmptyKey(HKLM, L"SOFTWARE\\Classes\\Lumagrove\\DefaultIcon");
  Selection none;
  const std::wstring dayBefore = LocalDate();
  // Blanks after the folder and no final backslash: both are normalised.
  IntegrateWithSystem(0, L"C:\\ut\\reg\\Lumagrove   ", 0, 0, 1, 0, none.entries);
  const std::wstring dayAfter = LocalDate();

  const std::wstring exe = L"C:\\ut\\reg\\Lumagrove\\lg_show64.exe";
  const std::wstring open = L"\"" + exe + L"\" \"%1\"";
  struct Entry {
    HKEY root;
    std::wstring key;
    const wchar_t* name;
    std::wstring text;
  };
  const Entry strings[] = {
      {HKLM, kDirectoryVerb, nullptr, L"Durchsuchen mit &Lumagrove"},
      {HKLM, kDirectoryVerb + L"\\command", nullptr, open + L" /thumbs"},
      {HKLM, kDriveVerb, nullptr, L"Durchsuchen mit &Lumagrove"},
      {HKLM, kDriveVerb + L"\\command", nullptr, open + L" /thumbs"},
      {HKLM, L"SOFTWARE\\Classes\\Lumagrove", nullptr, L"Lumagrove"},
      {HKLM, L"SOFTWARE\\Classes\\Lumagrove\\shell\\open\\command", nullptr, open},
      {HKEY_CLASSES_ROOT, L"Applications\\lg_show64.exe\\shell\\open\\command", nullptr, open},
      {HKEY_CLASSES_ROOT, L"Applications\\lg_show64.exe", L"FriendlyAppName",
       L"Lumagrove 64-bit"},
      {HKLM, kUninstall, nullptr, L""},
      {HKLM, kUninstall, L"DisplayName", L"Lumagrove 4.58 (64-bit)"},
      {HKLM, kUninstall, L"UninstallString", L"\"C:\\ut\\reg\\Lumagrove\\lgr_uninstall.exe\""},
      {HKLM, kUninstall, L"Publisher", L"Vestalor"},
      {HKLM, kUninstall, L"InstallLocation", L"C:\\ut\\reg\\Lumagrove\\"},
      {HKLM, kUninstall, L"DisplayVersion", L"4.58"},
      {HKLM, kUninstall, L"DisplayIcon", exe + L",0"},
      {HKLM, kUninstall, L"QuietUninstallString",
       L"\"C:\\ut\\reg\\Lumagrove\\lgr_uninstall.exe\" /silent"},
      {HKLM, kUninstall, L"URLInfoAbout", std::wstring(LG_WEB_BASE) + L"/"},
      {HKLM, kUninstall, L"HelpLink", std::wstring(LG_WEB_BASE) + L"/faq.htm"},
      {HKLM, L"SOFTWARE\\Lumagrove\\shell\\open\\command", nullptr, L"\"" + exe + L"\""},
      {HKLM, L"SOFTWARE\\Lumagrove\\Capabilities", L"ApplicationDescription",
       L"Picture viewer, editor and converter - one of the most popular viewers worldwide"},
      {HKLM, L"SOFTWARE\\RegisteredApplications", L"Lumagrove",
       L"SOFTWARE\\Lumagrove\\Capabilities"},
  };
  for (const Entry& e : strings) EXPECT_TRUE(IsString(e.root, e.key, e.name, e.text));
  EXPECT_TRUE(IsDword(HKLM, kUninstall, L"VersionMajor", 4));
  EXPECT_TRUE(IsDword(HKLM, kUninstall, L"VersionMinor", 58));
  EXPECT_TRUE(IsDword(HKLM, kUninstall, L"EstimatedSize", 7168));
  EXPECT_TRUE(IsDword(HKLM, kUninstall, L"NoModify", 1));
  EXPECT_TRUE(IsDword(HKLM, kUninstall, L"NoRepair", 1));
  // The day of the run (either side of a midnight during it), as yyyymmdd.
  EXPECT_TRUE(IsString(HKLM, kUninstall, L"InstallDate", dayBefore) ||
              IsString(HKLM, kUninstall, L"InstallDate", dayAfter));
  EXPECT_EQ(itest::ValueNames(HKLM, kUninstall).size(), 16u);

  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\Lumagrove\\DefaultIcon"));
  EXPECT_TRUE(itest::ValueNames(HKLM, L"SOFTWARE\\Lumagrove").empty());
  EXPECT_TRUE(itest::KeyExists(HKLM, kFileAssociations));
  // Wine keeps HKCR in the machine's classes unless the user has the key.
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\Applications\\lg_show64.exe", L"FriendlyAppName",
                       L"Lumagrove 64-bit"));
}

TEST_F(Integration, LeavesOutTheBrowseVerbAndRegistrationWhereNotAskedOrMissing) {
  Selection none;
  IntegrateWithSystem(0, L"C:\\ut\\plain\\", 0, 1, 0, 0, none.entries);
  EXPECT_TRUE(IsString(HKLM, kUninstall, L"InstallLocation", L"C:\\ut\\plain\\"));
  EXPECT_FALSE(itest::KeyExists(HKLM, kDirectoryVerb));
  EXPECT_FALSE(itest::KeyExists(HKLM, kDriveVerb));
  // Only opened, never made: a system without the list gets no entry in it.
  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\RegisteredApplications"));
  std::wstring desktop = itest::ShellFolder(CSIDL_DESKTOPDIRECTORY);
  EXPECT_TRUE(itest::ReadLink(desktop + L"Lumagrove 64.lnk").loaded);
  EXPECT_FALSE(itest::ReadLink(desktop + L"Lumagrove 64 Thumbnails.lnk").loaded);
  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\Lumagrove\\DefaultIcon"));
}

// No row selected and no announcement: every ProgID and capability, jpg/png/tif only.
TEST_F(Integration, RegistersEveryTypeButTakesOverOnlyJpgPngAndTif) {
  Selection none;
  IntegrateWithSystem(0, L"C:\\ut\\types", 0, 0, 0, 0, none.entries);
  const std::wstring exe = L"C:\\ut\\types\\lg_show64.exe";
  const std::wstring open = L"\"" + exe + L"\" \"%1\"";
  const std::set<std::wstring> alwaysTaken = {L"jpg", L"png", L"tif"};
  int extensions = 0;
  for (const FileTypeRow& row : FileTypeTable) {
    std::wstring icon = row.iconSource == IconSource::Own       ? L"%1"
                        : row.iconSource == IconSource::Viewer8 ? exe + L",8"
                        : row.iconSource == IconSource::Viewer9 ? exe + L",9"
                                                                : exe + L",0";
    for (const FileExtension& e : row.extensions) {
      if (!e.extension) break;
      ++extensions;
      std::wstring ext = e.extension, progId = L"Lumagrove." + std::wstring(e.progIdStem);
      std::wstring progIdKey = L"SOFTWARE\\Classes\\" + progId;
      EXPECT_TRUE(IsString(HKLM, progIdKey, nullptr, L"Lumagrove " + Upper(e.progIdStem) + L" File"));
      EXPECT_TRUE(IsString(HKLM, progIdKey + L"\\shell\\open\\command", nullptr, open));
      EXPECT_TRUE(IsString(HKLM, progIdKey + L"\\DefaultIcon", nullptr, icon));
      EXPECT_TRUE(IsString(HKLM, kFileAssociations, (L"." + ext).c_str(), progId));
      if (alwaysTaken.count(ext))
        EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\." + ext, nullptr, progId));
      else
        EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\." + ext)) << ext;
      EXPECT_FALSE(itest::KeyExists(HKCU, kFileExts + ext)) << ext;
    }
  }
  EXPECT_EQ(extensions, 84);
  EXPECT_EQ(itest::ValueNames(HKLM, kFileAssociations).size(), 84u);
  int progIds = 0;
  for (const std::wstring& name : itest::SubkeyNames(HKLM, L"SOFTWARE\\Classes"))
    if (name.rfind(L"Lumagrove.", 0) == 0) ++progIds;
  EXPECT_EQ(progIds, 67);
  // Spot checks that do not go through the table.
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\Lumagrove.ani\\DefaultIcon", nullptr, L"%1"));
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\Lumagrove.avi\\DefaultIcon", nullptr, exe + L",9"));
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\Lumagrove.mp3\\DefaultIcon", nullptr, exe + L",8"));
  EXPECT_TRUE(IsString(HKLM, kFileAssociations, L".jpeg", L"Lumagrove.jpg"));
  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\Lumagrove.jpeg"));
  for (const wchar_t* key : kAppXKeys) EXPECT_FALSE(itest::KeyExists(HKCU, key));
}

TEST_F(Integration, SelectedRowsTakeOverTheirExtensionsAndAFreshUserChoice) {
  // An earlier choice with a hash of its own, and one of a type that stays unselected.
  test::SetRegistryString(HKCU, kFileExts + L"jpeg\\UserChoice", L"Progid", L"Other.jpeg");
  test::SetRegistryString(HKCU, kFileExts + L"jpeg\\UserChoice", L"Hash", L"abc=");
  test::SetRegistryString(HKCU, kFileExts + L"gif\\UserChoice", L"Progid", L"Other.gif");
  Selection picked;
  picked.entries[23] = 1;   // JPG/JPEG/JPE
  picked.entries[25] = -1;  // MNG/JNG: any non-zero value selects
  IntegrateWithSystem(1, L"C:\\ut\\picked", 0, 0, 0, 0, picked.entries);

  struct Taken {
    const wchar_t* extension;
    const wchar_t* progId;
  };
  const Taken taken[] = {{L"jpg", L"Lumagrove.jpg"}, {L"jpeg", L"Lumagrove.jpg"},
                         {L"jpe", L"Lumagrove.jpg"}, {L"mng", L"Lumagrove.mng"},
                         {L"jng", L"Lumagrove.jng"}};
  for (const Taken& t : taken) {
    std::wstring ext = t.extension;
    EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\." + ext, nullptr, t.progId));
    EXPECT_TRUE(IsString(HKCU, kFileExts + ext + L"\\UserChoice", L"Progid", t.progId));
    EXPECT_EQ(itest::ValueNames(HKCU, kFileExts + ext + L"\\UserChoice"),
              std::vector<std::wstring>{L"Progid"})
        << ext;
  }
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\.tif", nullptr, L"Lumagrove.tif"));
  EXPECT_FALSE(itest::KeyExists(HKCU, kFileExts + L"tif"));
  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\.tiff"));
  EXPECT_FALSE(itest::KeyExists(HKLM, L"SOFTWARE\\Classes\\.gif"));
  EXPECT_TRUE(IsString(HKCU, kFileExts + L"gif\\UserChoice", L"Progid", L"Other.gif"));
}

// AppX values and the uninstall link depend on the reported Windows (7 here, 10 in the
// win10 prefix).
TEST_F(IntegrationWindowsVersion, AppXValuesFromWindows8AndTheUninstallLinkBefore) {
  Selection all;
  for (int32_t& e : all.entries) e = 1;
  IntegrateWithSystem(1, L"C:\\ut\\version", 1, 0, 0, 0, all.entries);
  bool windows10 = WindowsTenExpected();
  for (const wchar_t* key : kAppXKeys) {
    if (windows10)
      EXPECT_TRUE(IsString(HKCU, key, L"NoOpenWith", L""));
    else
      EXPECT_FALSE(itest::KeyExists(HKCU, key)) << key;
  }
  std::wstring group = itest::ShellFolder(CSIDL_PROGRAMS) + L"Lumagrove\\";
  EXPECT_EQ(itest::ReadLink(group + L"Lumagrove deinstallieren.lnk").loaded, !windows10);
  EXPECT_EQ(itest::LinkFiles(group).size(), windows10 ? 8u : 9u);
}

TEST_F(IntegrationWindowsVersion, NoAppXValuesWithoutAnAnnouncement) {
  Selection all;
  for (int32_t& e : all.entries) e = 1;
  IntegrateWithSystem(0, L"C:\\ut\\quiet", 0, 0, 0, 0, all.entries);
  for (const wchar_t* key : kAppXKeys) EXPECT_FALSE(itest::KeyExists(HKCU, key)) << key;
  EXPECT_TRUE(IsString(HKCU, kFileExts + L"png\\UserChoice", L"Progid", L"Lumagrove.png"));
}

TEST_F(Integration, CapabilityValuesNeedTheirKeyButNothingElseDoes) {
  Selection none;
  RegisterFileTypes(L"C:\\ut\\nocap\\lg_show64.exe", L"\"C:\\ut\\nocap\\lg_show64.exe\" \"%1\"",
                    none.entries);
  EXPECT_FALSE(itest::KeyExists(HKLM, kFileAssociations));
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\Lumagrove.gif\\shell\\open\\command", nullptr,
                       L"\"C:\\ut\\nocap\\lg_show64.exe\" \"%1\""));
  EXPECT_TRUE(IsString(HKLM, L"SOFTWARE\\Classes\\.png", nullptr, L"Lumagrove.png"));
}

TEST_F(Integration, ReadsBackTheRegisteredVersionOnlyAsBoundedText) {
  wchar_t version[16];
  EXPECT_FALSE(ReadRegisteredVersion(version, 16));  // no uninstall entry
  EXPECT_STREQ(version, L"");
  Selection none;
  IntegrateWithSystem(0, L"C:\\ut\\version", 0, 0, 0, 0, none.entries);
  ASSERT_TRUE(ReadRegisteredVersion(version, 16));
  EXPECT_STREQ(version, L"4.58");

  struct Case {
    const wchar_t* text;  // null: a REG_DWORD instead of a string
    bool terminated;      // written with its terminator, as we write strings
    bool read;
  };
  const Case cases[] = {
      {L"4.60", true, true},
      {L"123456789012345", true, true},    // 15 characters and the terminator fill 16
      {L"1234567890123456", true, false},  // one more does not fit and is not cut
      {L"123456789012345", false, true},   // another writer's text without a terminator
      {L"1234567890123456", false, false},
      {L"", true, true},
      {nullptr, true, false},
  };
  for (const Case& c : cases) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExW(HKLM, kUninstall.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    DWORD number = 460;
    if (c.text)
      RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.text),
                     static_cast<DWORD>((wcslen(c.text) + (c.terminated ? 1 : 0)) * sizeof(wchar_t)));
    else
      RegSetValueExW(key, L"DisplayVersion", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                     sizeof(number));
    RegCloseKey(key);
    wmemset(version, L'x', 16);
    EXPECT_EQ(ReadRegisteredVersion(version, 16), c.read) << (c.text ? c.text : L"(dword)");
    EXPECT_STREQ(version, c.read ? c.text : L"");
  }
}
