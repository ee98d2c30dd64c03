// The uninstaller's rules and its removal of keys and payload files, run inside Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "integration/install_paths.h"
#include "payload/uninstaller/removal.h"
#include "payload/uninstaller/uninstall_rules.h"
#include "test_support.h"

namespace {

const HKEY HKCU = HKEY_CURRENT_USER;
const std::wstring kTop = L"Software\\LgUninstallTest\\Lumagrove.jpg";

TEST(UninstallRules, ProgIdsFoldersAndTheSwitch) {
  struct ProgIdCase { const wchar_t* progId; bool own; };
  const ProgIdCase progIds[] = {
      {L"Lumagrove.jpg", true}, {L"LUMAGROVE.png", true}, {L"Lumagrove.", false},
      {L"Lumagrove", false},    {L"OtherViewer.jpg", false}, {L"XLumagrove.jpg", false},
      {L"", false},
  };
  for (const ProgIdCase& c : progIds) EXPECT_EQ(IsOwnProgId(c.progId), c.own) << c.progId;

  struct FolderCase { const wchar_t* a; const wchar_t* b; bool same; };
  const FolderCase folders[] = {
      {L"C:\\Apps\\Lumagrove\\", L"c:\\apps\\LUMAGROVE", true},
      {L"C:\\Apps\\Lumagrove", L"C:\\Apps\\Lumagrove\\", true},
      {L"C:\\Apps\\Lumagrove\\", L"C:\\Apps\\Lumagrove2\\", false},
      {L"C:\\Apps\\Lumagrove\\", L"C:\\Apps\\", false},
      {L"", L"\\", false},
  };
  for (const FolderCase& c : folders) EXPECT_EQ(IsSameFolder(c.a, c.b), c.same) << c.a << " " << c.b;

  EXPECT_TRUE(WantsSilentRemoval(L"/silent"));
  EXPECT_TRUE(WantsSilentRemoval(L"x /silent=1"));
  EXPECT_FALSE(WantsSilentRemoval(L"/SILENT"));
  EXPECT_FALSE(WantsSilentRemoval(L""));
  EXPECT_FALSE(WantsSilentRemoval(nullptr));
}

TEST(UninstallRules, EveryOutcomeHasItsOwnExitCode) {
  const struct {
    UninstallOutcome outcome;
    int code;
  } cases[] = {{UninstallOutcome::Removed, 0},   {UninstallOutcome::ViewerRunning, 1},
               {UninstallOutcome::Declined, 2},  {UninstallOutcome::FilesLeft, 3},
               {UninstallOutcome::NotThisFolder, 4}, {UninstallOutcome::FolderIsLink, 7}};
  for (const auto& c : cases) EXPECT_EQ(UninstallExitCode(c.outcome), c.code);
}

std::string Utf16(const std::wstring& text) {
  std::string bytes = "\xff\xfe";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

TEST(UninstallRules, OnlyTheSetupsPointerMakesASettingsFileOurs) {
  const std::wstring header = L"; UNICODE FILE - edit with care ;-)\r\n\r\n";
  struct Case {
    const char* what;
    std::string bytes;
    bool onlyPointer;
  };
  const Case cases[] = {
      {"8-bit, as the setup writes it", "[Others]\r\nINI_Folder=%APPDATA%\\Lumagrove\r\n", true},
      {"UTF-16 after the conversion",
       Utf16(header + L"[Others]\r\nINI_Folder=%APPDATA%\\Lumagrove\r\n"), true},
      {"UTF-16 without the header", Utf16(L"[Others]\r\nINI_Folder=C:\\Einst\u00e4llungen\r\n"), true},
      {"blanks, letter case, no final line end", " [others] \n\n ini_folder = D:\\x", true},
      {"the user's key beside it", "[Others]\r\nINI_Folder=x\r\nShowHidden=1\r\n", false},
      {"the user's settings", "[Others]\r\nINI_Folder=x\r\n[Toolbar]\r\nSkin=a.png\r\n", false},
      {"settings without a pointer", "[Toolbar]\r\nSkin=a.png\r\n", false},
      {"an empty section", "[Others]\r\n", false},
      {"an empty file", "", false},
      {"an empty pointer", "[Others]\r\nINI_Folder=\r\n", false},
      {"the pointer twice", "[Others]\r\nINI_Folder=x\r\nINI_Folder=y\r\n", false},
      {"the pointer outside its section", "INI_Folder=x\r\n", false},
      {"a comment of the user", "; mine\r\n[Others]\r\nINI_Folder=x\r\n", false},
      {"the header in another case", "; unicode file - edit with care ;-)\r\n[Others]\r\nINI_Folder=x\r\n", false},
      {"a line without a value", "[Others]\r\nINI_Folder=x\r\nFlag\r\n", false},
      {"a broken section line", "[Others\r\nINI_Folder=x\r\n", false},
      {"a NUL inside", std::string("[Others]\r\nINI_Folder=x\0y\r\n", 26), false},
      {"UTF-16 cut in a unit", Utf16(L"[Others]\r\nINI_Folder=x").substr(0, 39), false},
      {"UTF-16 without its mark", Utf16(L"[Others]\r\nINI_Folder=x").substr(2), false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsOnlySettingsPointer(c.bytes.data(), c.bytes.size()), c.onlyPointer) << c.what;
  EXPECT_FALSE(IsOnlySettingsPointer(nullptr, 0));
}

TEST(UninstallRules, WhatStaysIsListedWithItsReasonUpToALimit) {
  const LeftItems items = {{L"C:\\A\\a.dll", L"wird verwendet"}, {L"C:\\A\\Plugins", L"ist ein Link"},
                           {L"C:\\A\\c.txt", L"x"}};
  EXPECT_EQ(ListLeftItems(items, 3), L"C:\\A\\a.dll: wird verwendet\nC:\\A\\Plugins: ist ein Link\nC:\\A\\c.txt: x");
  EXPECT_EQ(ListLeftItems(items, 1), L"C:\\A\\a.dll: wird verwendet\n...");
  EXPECT_EQ(ListLeftItems(items, 0), L"...");
  EXPECT_EQ(ListLeftItems({}, 3), L"");
}

constexpr const wchar_t* kDefault[] = {L"", nullptr};
constexpr OwnedKey kTree[] = {
    {L"shell\\open\\command", kDefault}, {L"shell\\open", kDefault},
    {L"shell", kDefault},                {L"DefaultIcon", kDefault},
    {L"", kDefault},
};

class OwnedTree : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteRegistryTree(HKCU, L"Software\\LgUninstallTest");
    test::SetRegistryString(HKCU, kTop, L"", L"Lumagrove JPG File");
    test::SetRegistryString(HKCU, kTop + L"\\shell\\open\\command", L"", L"\"x.exe\" \"%1\"");
    test::SetRegistryString(HKCU, kTop + L"\\DefaultIcon", L"", L"x.exe,0");
  }
  void TearDown() override { test::DeleteRegistryTree(HKCU, L"Software\\LgUninstallTest"); }
  bool Exists(const std::wstring& key) {
    HKEY opened;
    if (RegOpenKeyExW(HKCU, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    RegCloseKey(opened);
    return true;
  }
  bool Remove() { return RemoveOwnedTree(HKCU, kTop.c_str(), kTree, 5); }
};

TEST_F(OwnedTree, GoesWholeWhenNothingForeignIsInIt) {
  EXPECT_TRUE(Remove());
  EXPECT_FALSE(Exists(kTop));
  EXPECT_TRUE(Exists(L"Software\\LgUninstallTest"));  // the tree's parent is not ours
  EXPECT_TRUE(Remove()) << "a missing tree counts as gone";
}

TEST_F(OwnedTree, AForeignSubkeyKeepsItselfAndEveryKeyAboveIt) {
  test::SetRegistryString(HKCU, kTop + L"\\shell\\edit\\command", L"", L"other.exe");
  EXPECT_FALSE(Remove());
  EXPECT_TRUE(Exists(kTop + L"\\shell\\edit\\command"));
  EXPECT_FALSE(Exists(kTop + L"\\shell\\open"));
  EXPECT_FALSE(Exists(kTop + L"\\DefaultIcon"));
  std::wstring name;
  ASSERT_TRUE(test::ReadRegistryString(HKCU, kTop, L"", name));
  EXPECT_EQ(name, L"Lumagrove JPG File");
}

TEST_F(OwnedTree, AForeignValueKeepsItsKey) {
  test::SetRegistryString(HKCU, kTop + L"\\DefaultIcon", L"Other", L"1");
  EXPECT_FALSE(Remove());
  EXPECT_TRUE(Exists(kTop + L"\\DefaultIcon"));
  EXPECT_FALSE(Exists(kTop + L"\\shell"));
}

TEST_F(OwnedTree, AValueGoesAndTakesItsKeyOnlyWhenNothingElseIsLeft) {
  test::SetRegistryString(HKCU, L"Software\\LgUninstallTest\\AppX", L"NoOpenWith", L"");
  test::SetRegistryString(HKCU, L"Software\\LgUninstallTest\\AppX2", L"NoOpenWith", L"");
  test::SetRegistryString(HKCU, L"Software\\LgUninstallTest\\AppX2", L"Other", L"kept");
  RemoveValueAndEmptyKey(HKCU, L"Software\\LgUninstallTest\\AppX", L"NoOpenWith");
  RemoveValueAndEmptyKey(HKCU, L"Software\\LgUninstallTest\\AppX2", L"NoOpenWith");
  EXPECT_FALSE(Exists(L"Software\\LgUninstallTest\\AppX"));
  std::wstring value;
  EXPECT_FALSE(test::ReadRegistryString(HKCU, L"Software\\LgUninstallTest\\AppX2", L"NoOpenWith", value));
  EXPECT_TRUE(test::ReadRegistryString(HKCU, L"Software\\LgUninstallTest\\AppX2", L"Other", value));
}

TEST(UninstallFiles, RemovesThePayloadButKeepsTheUsersFilesAndWhatIsHeldOpen) {
  test::ScratchFolder folder(L"uninstall-files");
  for (int i = 0; i < kPayloadEntryCount; ++i) {
    if (kPayloadIsFolder[i])
      CreateDirectoryW((folder / kPayloadPaths[i]).c_str(), nullptr);
    else
      test::WriteFileBytes(folder / kPayloadPaths[i], "x");
  }
  test::WriteFileBytes(folder / L"Html\\Meine_Vorlage.htm", "eigene");
  test::WriteFileBytes(folder / L"lg_show64.ini", "[Toolbar]\r\n");
  std::wstring running = folder / L"lgr_uninstall.exe";
  HANDLE held = CreateFileW((folder / L"Plugins\\Print.dll").c_str(), GENERIC_READ,
                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  GuardedFolder install;
  ASSERT_EQ(GuardedFolder::OpenTop(folder.path().c_str(), false, install), FileStatus::Done);
  LeftItems left;
  RemovePayloadFiles(install, L"LGR_uninstall.exe", left);
  RemoveSettingsPointer(install, left);
  CloseHandle(held);

  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].path, folder / L"Plugins\\Print.dll");
  EXPECT_STREQ(left[0].reason, FileStatusText(FileStatus::InUse));
  EXPECT_TRUE(test::FileExists(folder / L"Plugins\\Print.dll"));
  EXPECT_FALSE(test::FileExists(folder / L"Plugins\\Formats.dll"));
  EXPECT_FALSE(test::FileExists(folder / L"lg_show64.exe"));
  EXPECT_FALSE(test::FolderExists(folder / L"Toolbars"));
  EXPECT_TRUE(test::FileExists(folder / L"Html\\Meine_Vorlage.htm"));
  EXPECT_FALSE(test::FileExists(folder / L"Html\\Vorlage_Index.htm"));
  EXPECT_TRUE(test::FileExists(folder / L"lg_show64.ini")) << "the user's settings stay";
  EXPECT_TRUE(test::FileExists(running)) << "the running program is left to its own step";
  // A second run finds the rest missing, which is no failure.
  left.clear();
  RemovePayloadFiles(install, L"lgr_uninstall.exe", left);
  EXPECT_TRUE(left.empty());

  // The setup's pointer alone goes with the installation.
  test::WriteFileBytes(folder / L"lg_show64.ini", "[Others]\r\nINI_Folder=%APPDATA%\\Lumagrove\r\n");
  RemoveSettingsPointer(install, left);
  EXPECT_TRUE(left.empty());
  EXPECT_FALSE(test::FileExists(folder / L"lg_show64.ini"));
}

TEST(UninstallFiles, TheProgramIsMovedOutOfItsFolderAndTheFolderGoes) {
  test::ScratchFolder folder(L"uninstall-program");
  std::wstring program = folder / L"lgr_uninstall.exe";
  test::WriteFileBytes(program, "MZ");
  GuardedFolder install;
  ASSERT_EQ(GuardedFolder::OpenTop(folder.path().c_str(), false, install), FileStatus::Done);
  EXPECT_EQ(RemoveRunningProgram(install, L"lgr_uninstall.exe"), ProgramRemoval::Gone);
  EXPECT_FALSE(test::FileExists(program));
  RemoveFolderIfEmpty(install, false);
  EXPECT_FALSE(test::FolderExists(folder.path()));
}

}  // namespace
