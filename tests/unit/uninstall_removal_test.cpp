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
  const UninstallOutcome outcomes[] = {UninstallOutcome::Removed, UninstallOutcome::ViewerRunning,
                                       UninstallOutcome::Declined, UninstallOutcome::FilesLeft,
                                       UninstallOutcome::NotThisFolder};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(UninstallExitCode(outcomes[i]), i);
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
  int left = RemovePayloadFiles(folder.path().c_str(), running.c_str());
  CloseHandle(held);

  EXPECT_EQ(left, 1);
  EXPECT_TRUE(test::FileExists(folder / L"Plugins\\Print.dll"));
  EXPECT_FALSE(test::FileExists(folder / L"Plugins\\Formats.dll"));
  EXPECT_FALSE(test::FileExists(folder / L"lg_show64.exe"));
  EXPECT_FALSE(test::FolderExists(folder / L"Toolbars"));
  EXPECT_TRUE(test::FileExists(folder / L"Html\\Meine_Vorlage.htm"));
  EXPECT_FALSE(test::FileExists(folder / L"Html\\Vorlage_Index.htm"));
  EXPECT_TRUE(test::FileExists(folder / L"lg_show64.ini"));
  EXPECT_TRUE(test::FileExists(running)) << "the running program is left to its own step";
  // A second run finds the rest missing, which is no failure.
  EXPECT_EQ(RemovePayloadFiles(folder.path().c_str(), running.c_str()), 0);
}

TEST(UninstallFiles, TheProgramIsMovedOutOfItsFolder) {
  test::ScratchFolder folder(L"uninstall-program");
  std::wstring program = folder / L"lgr_uninstall.exe";
  test::WriteFileBytes(program, "MZ");
  EXPECT_TRUE(RemoveRunningProgram(program.c_str()));
  EXPECT_FALSE(test::FileExists(program));
  RemoveFolderIfEmpty(folder.path().c_str(), false);
  EXPECT_FALSE(test::FolderExists(folder.path()));
}

}  // namespace
