// The viewer's settings files as the private-profile functions read them back, and the
// UTF-16 conversion as bytes.
#include "engine/viewer_settings.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/run_log.h"
#include "base/system_helpers.h"
#include "test_support.h"

namespace {

std::wstring Key(const std::wstring& file, const wchar_t* section, const wchar_t* key) {
  wchar_t value[260];
  GetPrivateProfileStringW(section, key, L"<missing>", value, 260, file.c_str());
  return value;
}

std::wstring Utf16(const std::string& bytes) {
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
}

class Settings : public testing::Test {
 protected:
  Settings() : program_(L"program"), data_(L"data") {}
  void Write(const std::wstring& ini, int silent = 0) {
    wchar_t iniFolder[520];
    wcscpy(iniFolder, ini.c_str());
    WriteViewerSettings(program_.path().c_str(), iniFolder, silent, settingsFile_);
    iniFolderAfter_ = iniFolder;
  }
  std::wstring ProgramIni() { return program_ / L"lg_show64.ini"; }

  test::CurrentFolderGuard restore_;
  test::ScratchFolder program_, data_;
  wchar_t settingsFile_[520] = {};
  std::wstring iniFolderAfter_;
};

TEST_F(Settings, WithoutIniFolderOnlyTheProgramFolderIniIsWritten) {
  WritePrivateProfileStringW(L"Others", L"INI_Folder", L"%OLD%", ProgramIni().c_str());
  Write(L"");
  EXPECT_EQ(std::wstring(settingsFile_), ProgramIni());
  EXPECT_EQ(Key(ProgramIni(), L"Others", L"INI_Folder"), L"<missing>");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"DLL"), L"DEUTSCH.DLL");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"Lang"), L"Deutsch");
  std::wstring skin = Key(ProgramIni(), L"Toolbar", L"Skin");
  std::wstring size = Key(ProgramIni(), L"Toolbar", L"Size");
  EXPECT_NE(skin, L"<missing>");
  EXPECT_NE(skin.find(size + L".png"), std::wstring::npos);  // skin and size agree
}

TEST_F(Settings, IniFolderIsExpandedCreatedAndPointedTo) {
  SetEnvironmentVariableW(L"LG_TEST_DATA", data_.path().c_str());
  Write(L"%LG_TEST_DATA%sub%LG_UNDEFINED_VAR%\\lg");
  std::wstring folder = data_ / L"sub\\lg\\";
  EXPECT_EQ(std::wstring(settingsFile_), folder + L"lg_show64.ini");
  EXPECT_TRUE(test::FolderExists(folder));
  EXPECT_EQ(Key(ProgramIni(), L"Others", L"INI_Folder"),
            L"%LG_TEST_DATA%sub%LG_UNDEFINED_VAR%\\lg");
  EXPECT_EQ(Key(settingsFile_, L"Language", L"DLL"), L"DEUTSCH.DLL");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"DLL"), L"<missing>");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"DefaultLang"), L"<missing>");
}

TEST_F(Settings, PackagedLayoutAlsoFillsTheProgramFolderIni) {
  Write(data_.path() + L"Lumagrove64_App\\Data");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"DefaultLang"), L"DEUTSCH.DLL");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"Lang"), L"Deutsch");
  EXPECT_EQ(Key(ProgramIni(), L"Toolbar", L"Skin"), L"Hallvik_24.png");
  EXPECT_EQ(Key(ProgramIni(), L"Toolbar", L"Size"), L"24");
}

TEST_F(Settings, AnExistingSkinStaysInBothFiles) {
  std::wstring file = data_ / L"Lumagrove64_App\\lg_show64.ini";
  CreateDirectoryW((data_ / L"Lumagrove64_App").c_str(), nullptr);
  WritePrivateProfileStringW(L"Toolbar", L"Skin", L"mine.png", file.c_str());
  WritePrivateProfileStringW(L"Toolbar", L"Size", L"99", file.c_str());
  Write(data_.path() + L"Lumagrove64_App");
  EXPECT_EQ(Key(file, L"Toolbar", L"Skin"), L"mine.png");
  EXPECT_EQ(Key(file, L"Toolbar", L"Size"), L"99");
  EXPECT_EQ(Key(ProgramIni(), L"Toolbar", L"Skin"), L"<missing>");
  EXPECT_EQ(Key(file, L"Language", L"Lang"), L"Deutsch");
}

TEST_F(Settings, AFolderThatExpandsToNothingMeansTheCurrentFolder) {
  SetCurrentDirectoryW(program_.path().c_str());
  Write(L"%LG_UNDEFINED_VAR%");
  EXPECT_EQ(Key(ProgramIni(), L"Others", L"INI_Folder"), L"%LG_UNDEFINED_VAR%");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"DLL"), L"DEUTSCH.DLL");
  wchar_t windows[MAX_PATH];
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_FALSE(test::FileExists(std::wstring(windows) + L"\\lg_show64.ini"));
}

TEST_F(Settings, SilentRunIntoTheDefaultFolderMovesTheSettingsToAppData) {
  wchar_t defaults[520];
  GetDefaultInstallFolder(defaults);
  wchar_t iniFolder[520] = L"";
  std::wstring target = std::wstring(defaults) + L"\\";
  WriteViewerSettings(target.c_str(), iniFolder, 1, settingsFile_);
  EXPECT_STREQ(iniFolder, L"%APPDATA%\\Lumagrove");
  wchar_t appData[MAX_PATH];
  GetEnvironmentVariableW(L"APPDATA", appData, MAX_PATH);
  EXPECT_EQ(std::wstring(settingsFile_), std::wstring(appData) + L"\\Lumagrove\\lg_show64.ini");
  EXPECT_EQ(Key(settingsFile_, L"Language", L"Lang"), L"Deutsch");
  test::RemoveTree(std::wstring(appData) + L"\\Lumagrove");
  test::RemoveTree(target);

  Write(L"", 1);  // any other folder keeps the settings in the program folder
  EXPECT_EQ(iniFolderAfter_, L"");
  EXPECT_EQ(std::wstring(settingsFile_), ProgramIni());
}

std::wstring& CapturedLog() {
  static std::wstring log;
  return log;
}
void CaptureLog(const wchar_t* text) { CapturedLog() += std::wstring(text) + L"\n"; }

// Hard links stand in for planted links here (the end-to-end tests plant real ones): a
// settings file that is one is neither read nor written, and only a silent run says so.
TEST_F(Settings, HardLinkedSettingsFilesAreNeitherReadNorWritten) {
  test::ScratchFolder outside(L"settings-outside");
  std::wstring victim = outside / L"victim.ini";
  test::WriteFileBytes(victim, "[Toolbar]\r\nSkin=victim.png\r\n");
  std::wstring linked = data_ / L"lg_show64.ini";
  if (!CreateHardLinkW(linked.c_str(), victim.c_str(), nullptr)) GTEST_SKIP() << "no hard links";
  SetProblemLogWriter(CaptureLog);
  CapturedLog().clear();

  Write(data_.path(), 1);  // the settings folder's file is the link
  EXPECT_EQ(test::ReadFileBytes(victim), "[Toolbar]\r\nSkin=victim.png\r\n");
  EXPECT_EQ(std::wstring(settingsFile_), ProgramIni());
  EXPECT_EQ(Key(ProgramIni(), L"Others", L"INI_Folder"), L"<missing>");
  EXPECT_EQ(Key(ProgramIni(), L"Language", L"Lang"), L"Deutsch");
  EXPECT_NE(Key(ProgramIni(), L"Toolbar", L"Skin"), L"victim.png");
  EXPECT_EQ(CapturedLog().rfind(L"Hinweis: Die Einstellungen bleiben im Programmverzeichnis", 0), 0u);
  EXPECT_NE(CapturedLog().find(linked + L" ist ein Link"), std::wstring::npos);

  // The program folder's own file as the link: left as it is, in a wizard run silently.
  DeleteFileW(linked.c_str());
  DeleteFileW(ProgramIni().c_str());
  ASSERT_TRUE(CreateHardLinkW(ProgramIni().c_str(), victim.c_str(), nullptr));
  CapturedLog().clear();
  Write(L"", 0);
  EXPECT_EQ(test::ReadFileBytes(victim), "[Toolbar]\r\nSkin=victim.png\r\n");
  EXPECT_EQ(CapturedLog(), L"");
  Write(L"", 1);
  EXPECT_EQ(test::ReadFileBytes(victim), "[Toolbar]\r\nSkin=victim.png\r\n");
  EXPECT_EQ(CapturedLog().rfind(L"Hinweis: Eine Einstellungsdatei wurde nicht geschrieben", 0), 0u);
  EXPECT_NE(CapturedLog().find(L": " + ProgramIni() + L" ist ein Link"), std::wstring::npos);
  SetProblemLogWriter(nullptr);
  EXPECT_EQ(test::FolderNames(program_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
}

TEST_F(Settings, TheProfileWorkLeavesNothingBeside) {
  Write(data_.path());
  EXPECT_EQ(test::FolderNames(program_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
  EXPECT_EQ(test::FolderNames(data_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
}

class Conversion : public testing::Test {
 protected:
  Conversion() : folder_(L"convert"), file_(folder_ / L"lg_show64.ini") {}
  int Convert() { return ConvertSettingsToUnicode(file_.c_str()); }
  test::ScratchFolder folder_;
  std::wstring file_;
};

TEST_F(Conversion, EightBitFileBecomesUtf16WithTheHeader) {
  std::string longLine(5000, 'L');  // arrives in three pieces: nothing may be lost
  std::string source = "[Language]\r\nLang=Deutsch\r\nName=M\xfcller \xe4\xdf\r\n" + longLine +
                       "\r\nlast line without end";
  test::WriteFileBytes(file_, source);
  EXPECT_EQ(Convert(), 1);
  std::string bytes = test::ReadFileBytes(file_);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xff\xfe");
  std::wstring expected = L"; UNICODE FILE - edit with care ;-)\r\n\r\n[Language]\r\nLang=Deutsch\r\n"
                          L"Name=M\u00fcller \u00e4\u00df\r\n" +
                          std::wstring(5000, L'L') + L"\r\nlast line without end";
  EXPECT_EQ(Utf16(bytes.substr(2)), expected);
  EXPECT_EQ(test::FolderNames(folder_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
  EXPECT_EQ(Key(file_, L"Language", L"Lang"), L"Deutsch");  // still a readable INI
}

TEST_F(Conversion, AFileAlreadyInUtf16StaysUnchanged) {
  std::string source = std::string("\xff\xfe", 2) + std::string("a\0b\0", 4);
  test::WriteFileBytes(file_, source);
  EXPECT_EQ(Convert(), 1);
  EXPECT_EQ(test::ReadFileBytes(file_), source);
}

TEST_F(Conversion, AnEmptyFileIsLeftAloneWithoutLitter) {
  test::WriteFileBytes(file_, "");
  EXPECT_EQ(Convert(), 1);
  EXPECT_EQ(test::ReadFileBytes(file_), "");
  EXPECT_EQ(test::FolderNames(folder_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
}

TEST_F(Conversion, AFailedReplacementKeepsTheOldFile) {
  test::WriteFileBytes(file_, "[a]\r\nb=c\r\n");
  // Another program holds the file open for reading, but not for deletion.
  HANDLE holder = CreateFileW(file_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  int result = Convert();
  CloseHandle(holder);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(test::ReadFileBytes(file_), "[a]\r\nb=c\r\n");
  // The conversion's scratch file goes with the failure: nothing of ours stays beside it.
  EXPECT_EQ(test::FolderNames(folder_.path()), std::vector<std::wstring>{L"lg_show64.ini"});
}

}  // namespace
