// File work in guarded folders: scratch files and commits, reads, appends and deletes,
// and the path and descriptor rules they rest on. Links are planted by the end-to-end
// tests (a Unix link needs the host); here the ordinary paths and hard links.
#include "base/safe_files.h"

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/folder_security.h"
#include "base/path_rules.h"
#include "base/private_folder.h"
#include "test_support.h"

namespace {

TEST(PathRules, FinalPathsAgainstTheFoldersMeant) {
  EXPECT_EQ(PlainFinalPath(L"\\\\?\\C:\\Program Files\\Lumagrove\\"), L"C:\\Program Files\\Lumagrove");
  EXPECT_EQ(PlainFinalPath(L"\\\\?\\UNC\\srv\\share\\x"), L"\\\\srv\\share\\x");
  EXPECT_EQ(PlainFinalPath(L"C:\\x"), L"C:\\x");

  struct Case {
    const wchar_t *child, *folder, *name;
    bool of;
  } cases[] = {
      {L"C:\\Apps\\Lumagrove\\Plugins", L"C:\\apps\\lumagrove\\", L"plugins", true},
      {L"C:\\Apps\\Lumagrove\\Plugins", L"C:\\Apps\\Lumagrove", L"Plugins\\", true},
      {L"C:\\outside\\Plugins", L"C:\\Apps\\Lumagrove", L"Plugins", false},
      {L"C:\\Apps\\Lumagrove\\Plugins\\x", L"C:\\Apps\\Lumagrove", L"Plugins", false},
      {L"C:\\Apps\\LumagroveX\\Plugins", L"C:\\Apps\\Lumagrove", L"Plugins", false},
      // Outside ASCII, letter case is not folded: a refusal rather than a false match.
      {L"C:\\Apps\\\u00dcber", L"C:\\Apps", L"\u00fcber", false},
      {L"C:\\x", L"", L"x", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IsPathOf(c.child, c.folder, c.name), c.of) << c.child << " | " << c.folder;

  EXPECT_TRUE(IsPathBelow(L"C:\\Program Files\\Lumagrove", L"c:\\program files\\"));
  EXPECT_FALSE(IsPathBelow(L"C:\\Program Files", L"C:\\Program Files"));
  EXPECT_FALSE(IsPathBelow(L"C:\\Program FilesX\\a", L"C:\\Program Files"));

  for (const wchar_t* bad : {L"", L".", L"..", L"a\\b", L"a/b", L"c:x", L"x:stream"})
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  EXPECT_TRUE(IsPlainFileName(L"lg_show64.ini"));
}

TEST(GuardedFolder, OpensAndMakesTheTreeItNames) {
  test::ScratchFolder root(L"guarded");
  GuardedFolder top;
  ASSERT_EQ(GuardedFolder::OpenTop((root / L"Target").c_str(), true, top), FileStatus::Done);
  EXPECT_TRUE(top.Created());
  EXPECT_EQ(top.Path(), root / L"Target\\");
  EXPECT_TRUE(IsSamePath(top.FinalPath(), PlainFinalPath((root / L"Target").c_str())));

  GuardedFolder deep;
  ASSERT_EQ(top.OpenChild(L"help/deutsch", true, deep), FileStatus::Done);
  EXPECT_EQ(deep.Path(), root / L"Target\\help\\deutsch\\");
  EXPECT_TRUE(test::FolderExists(root / L"Target\\help\\deutsch"));

  GuardedFolder again;
  ASSERT_EQ(GuardedFolder::OpenTop((root / L"Target\\").c_str(), true, again), FileStatus::Done);
  EXPECT_FALSE(again.Created());

  GuardedFolder missing;
  EXPECT_EQ(top.OpenChild(L"Nope", false, missing), FileStatus::Missing);
  EXPECT_EQ(top.OpenChild(L"..\\guarded", false, missing), FileStatus::Failed);
  test::WriteFileBytes(root / L"Target\\file", "x");
  EXPECT_EQ(top.OpenChild(L"file", false, missing), FileStatus::Failed);  // not a folder
  EXPECT_FALSE(missing.IsOpen());
}

TEST(GuardedFolder, WritesThroughScratchFilesAndReplacesWhole) {
  test::ScratchFolder root(L"guarded-write");
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(root.path().c_str(), false, folder), FileStatus::Done);

  ASSERT_EQ(WriteWholeFile(folder, L"a.ini", "first", 5), FileStatus::Done);
  ASSERT_EQ(WriteWholeFile(folder, L"a.ini", "2nd", 3), FileStatus::Done);
  EXPECT_EQ(test::ReadFileBytes(root / L"a.ini"), "2nd");
  EXPECT_EQ(test::CountFiles(root.path()), 1);  // no scratch file stays behind

  std::string bytes;
  EXPECT_EQ(ReadWholeFile(folder, L"a.ini", bytes), FileStatus::Done);
  EXPECT_EQ(bytes, "2nd");
  EXPECT_EQ(ReadWholeFile(folder, L"none.ini", bytes), FileStatus::Missing);

  // Two scratch names are never the same, and neither is the final name.
  UniqueHandle one, two;
  std::wstring oneName, twoName;
  ASSERT_EQ(CreateScratchFile(folder, L"x", one, &oneName), FileStatus::Done);
  ASSERT_EQ(CreateScratchFile(folder, L"x", two, &twoName), FileStatus::Done);
  EXPECT_NE(oneName, twoName);
  EXPECT_EQ(oneName.size(), std::wstring(L"x.0123456789abcdef.tmp").size());
  DeleteOpenFile(one.get());
  DeleteOpenFile(two.get());
}

TEST(GuardedFolder, FileHeldOpenIsInUseAndTheScratchFileStays) {
  test::ScratchFolder root(L"guarded-held");
  test::WriteFileBytes(root / L"held.dll", "old");
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(root.path().c_str(), false, folder), FileStatus::Done);
  UniqueHandle holder(CreateFileW((root / L"held.dll").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);

  UniqueHandle scratch;
  std::wstring name;
  ASSERT_EQ(CreateScratchFile(folder, L"held.dll", scratch, &name), FileStatus::Done);
  EXPECT_EQ(CommitScratchFile(scratch.get(), folder, L"held.dll"), FileStatus::InUse);
  EXPECT_TRUE(test::FileExists(root / name));
  EXPECT_EQ(DeleteGuardedFile(folder, L"held.dll"), FileStatus::InUse);
  holder.reset();
  EXPECT_EQ(CommitScratchFile(scratch.get(), folder, L"held.dll"), FileStatus::Done);
  EXPECT_FALSE(test::FileExists(root / name));
}

TEST(GuardedFolder, HardLinksAreNotReadAndDeletesGoByHandle) {
  test::ScratchFolder root(L"guarded-delete");
  test::WriteFileBytes(root / L"secret", "secret");
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(root.path().c_str(), false, folder), FileStatus::Done);
  if (CreateHardLinkW((root / L"lg_show64.ini").c_str(), (root / L"secret").c_str(), nullptr)) {
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(folder, L"lg_show64.ini", bytes), FileStatus::Link);
    EXPECT_TRUE(bytes.empty());
    // Replacing the name leaves the other file's content alone.
    ASSERT_EQ(WriteWholeFile(folder, L"lg_show64.ini", "mine", 4), FileStatus::Done);
    EXPECT_EQ(test::ReadFileBytes(root / L"secret"), "secret");
  }
  EXPECT_EQ(DeleteGuardedFile(folder, L"lg_show64.ini"), FileStatus::Done);
  EXPECT_FALSE(test::FileExists(root / L"lg_show64.ini"));
  EXPECT_EQ(DeleteGuardedFile(folder, L"lg_show64.ini"), FileStatus::Missing);

  GuardedFolder sub;
  ASSERT_EQ(folder.OpenChild(L"sub", true, sub), FileStatus::Done);
  test::WriteFileBytes(root / L"sub\\keep", "user");
  EXPECT_EQ(RemoveGuardedFolder(sub), FileStatus::Failed);  // holds a file of the user
  EXPECT_TRUE(test::FileExists(root / L"sub\\keep"));
  DeleteFileW((root / L"sub\\keep").c_str());
  ASSERT_EQ(folder.OpenChild(L"sub", false, sub), FileStatus::Done);
  EXPECT_EQ(RemoveGuardedFolder(sub), FileStatus::Done);
  EXPECT_FALSE(test::FolderExists(root / L"sub"));
}

TEST(GuardedFolder, AppendsToALogAndKeepsWhatWasThere) {
  test::ScratchFolder root(L"guarded-append");
  test::WriteFileBytes(root / L"x.log", "one\r\n");
  GuardedFolder folder;
  ASSERT_EQ(GuardedFolder::OpenTop(root.path().c_str(), false, folder), FileStatus::Done);
  for (const char* line : {"two\r\n", "three\r\n"}) {
    UniqueHandle log;
    ASSERT_EQ(OpenAppendFile(folder, L"x.log", log), FileStatus::Done);
    DWORD written = 0;
    WriteFile(log.get(), line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  }
  EXPECT_EQ(test::ReadFileBytes(root / L"x.log"), "one\r\ntwo\r\nthree\r\n");
}

TEST(PrivateFolder, IsNewProtectedAndGoesWithItsFiles) {
  std::wstring path;
  {
    PrivateFolder one, two;
    ASSERT_EQ(one.Create(), FileStatus::Done);
    ASSERT_EQ(two.Create(), FileStatus::Done);
    path = one.Folder().Path();
    EXPECT_NE(path, two.Folder().Path());
    ASSERT_EQ(WriteWholeFile(one.Folder(), L"lg_show64.ini", "x", 1), FileStatus::Done);
  }
  EXPECT_FALSE(test::FolderExists(path));

  // The tests run elevated (as Wine's user is): the user's kind, in a folder the user can
  // write, is refused to an elevated process.
  PrivateFolder user;
  EXPECT_EQ(user.CreateForUser(), FileStatus::Failed);
  EXPECT_FALSE(user.IsOpen());
}

TEST(PrivateFolder, RemovedNowUnlessAFileInItIsStillOpen) {
  PrivateFolder busy, idle;
  ASSERT_EQ(busy.Create(), FileStatus::Done);
  ASSERT_EQ(idle.Create(), FileStatus::Done);
  const std::wstring busyPath = busy.Folder().Path(), idlePath = idle.Folder().Path();
  ASSERT_EQ(WriteWholeFile(busy.Folder(), L"a.exe", "MZ", 2), FileStatus::Done);
  ASSERT_EQ(WriteWholeFile(idle.Folder(), L"a.exe", "MZ", 2), FileStatus::Done);
  HANDLE held = CreateFileW((busyPath + L"a.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(busy.Remove(), FileStatus::Failed);
  EXPECT_TRUE(test::FolderExists(busyPath));
  CloseHandle(held);
  EXPECT_EQ(idle.Remove(), FileStatus::Done);
  EXPECT_FALSE(test::FolderExists(idlePath));
  test::RemoveTree(busyPath);
}

TEST(GuardedFolder, MovesAFileByHandleAndNeverReplacesOne) {
  test::ScratchFolder root(L"move");
  GuardedFolder from, to;
  ASSERT_EQ(GuardedFolder::OpenTop((root / L"from").c_str(), true, from), FileStatus::Done);
  ASSERT_EQ(GuardedFolder::OpenTop((root / L"to").c_str(), true, to), FileStatus::Done);
  test::WriteFileBytes(root / L"from\\a.exe", "MZ");
  test::WriteFileBytes(root / L"to\\taken.exe", "other");
  EXPECT_EQ(MoveGuardedFile(from, L"a.exe", to, L"taken.exe"), FileStatus::Failed);
  EXPECT_EQ(test::ReadFileBytes(root / L"to\\taken.exe"), "other");
  EXPECT_EQ(MoveGuardedFile(from, L"a.exe", to, L"b.exe"), FileStatus::Done);
  EXPECT_FALSE(test::FileExists(root / L"from\\a.exe"));
  EXPECT_EQ(test::ReadFileBytes(root / L"to\\b.exe"), "MZ");
  EXPECT_EQ(MoveGuardedFile(from, L"a.exe", to, L"c.exe"), FileStatus::Missing);
  EXPECT_EQ(MoveGuardedFile(from, L"..\\b.exe", to, L"c.exe"), FileStatus::Failed);
}

TEST(FolderSecurity, ProgramFilesCountsAsOutOfUsersReach) {
  wchar_t programFiles[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
  GuardedFolder inside, outside;
  ASSERT_EQ(GuardedFolder::OpenTop((std::wstring(programFiles) + L"\\LgTrust").c_str(), true, inside),
            FileStatus::Done);
  test::ScratchFolder scratch(L"trust");
  ASSERT_EQ(GuardedFolder::OpenTop(scratch.path().c_str(), false, outside), FileStatus::Done);
  EXPECT_TRUE(UsersCannotWrite(inside));
  EXPECT_FALSE(UsersCannotWrite(outside));  // the user owns it here
  EXPECT_EQ(RemoveGuardedFolder(inside), FileStatus::Done);
}

TEST(FolderSecurity, OnlyAdministratorsMayChangeWhatTheDescriptorGuards) {
  struct Case {
    const wchar_t* sddl;
    bool onlyAdministrators;
  } cases[] = {
      {L"O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", true},
      // A typical program folder: creator-owner entries apply to children only.
      {L"O:S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"
       L"D:(A;;FA;;;S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464)"
       L"(A;OICIIO;GA;;;CO)(A;OICI;0x1301bf;;;SY)(A;OICI;0x1301bf;;;BA)(A;OICI;0x1200a9;;;BU)",
       true},
      {L"O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;BU)", false},   // users may modify
      {L"O:BAD:(A;OICI;FA;;;BA)(A;OICI;0x100116;;;AU)", false},   // add files, delete
      {L"O:BAD:(A;OICI;FA;;;BA)(A;;WD;;;WD)", false},             // everyone: change rights
      {L"O:BUD:P(A;OICI;FA;;;BA)", false},                        // a user owns it
      {L"O:BAD:P(A;OICI;FA;;;BA)(D;OICI;FA;;;BU)", true},         // a denial grants nothing
      {L"O:BA", false},                                           // no list: everyone
      {L"O:BAD:", true},                                          // empty list: nobody
  };
  for (const Case& c : cases) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1,
                                                                     &descriptor, nullptr))
        << c.sddl;
    EXPECT_EQ(DescriptorAllowsOnlyAdministrators(descriptor), c.onlyAdministrators) << c.sddl;
    LocalFree(descriptor);
  }
  // What the setup applies (Wine keeps no descriptors on files, so it is checked here).
  for (const wchar_t* sddl : {kProtectedFolderSddl, kPrivateFolderSddl}) {
    FolderSecurity applied(sddl);
    ASSERT_NE(applied.get(), nullptr) << sddl;
    EXPECT_TRUE(DescriptorAllowsOnlyAdministrators(applied.get()->lpSecurityDescriptor)) << sddl;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(applied.get()->lpSecurityDescriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited: " << sddl;
  }
}

}  // namespace

namespace {

// Run by tests/e2e/test_guarded_links.py, which plants host links below LG_LINK_ROOT first:
//   top-link -> outside\dir         real\sub-link -> outside\dir
//   real\file-link.ini -> outside\victim.txt   real\delete-link.ini -> outside\victim.txt
//   real\dangling.log -> outside\made.log (missing)   via-parent -> real (with inner\)
TEST(GuardedLinks, NothingIsReachedThroughALink) {
  const std::wstring root = test::LinkRoot();
  if (root.empty()) GTEST_SKIP() << "needs the links the end-to-end test plants";
  const std::wstring victim = root + L"outside\\victim.txt";
  const std::string victimBytes = test::ReadFileBytes(victim);

  GuardedFolder folder;
  EXPECT_EQ(GuardedFolder::OpenTop((root + L"top-link").c_str(), false, folder), FileStatus::Link);
  EXPECT_EQ(GuardedFolder::OpenTop((root + L"top-link").c_str(), true, folder), FileStatus::Link);
  // Folders above the top may be links; the top itself may not.
  EXPECT_EQ(GuardedFolder::OpenTop((root + L"via-parent").c_str(), false, folder), FileStatus::Link);
  // A folder that may be a link is guarded where it leads.
  ASSERT_EQ(GuardedFolder::OpenResolved((root + L"via-parent").c_str(), folder), FileStatus::Done);
  EXPECT_TRUE(IsSamePath(folder.FinalPath(), PlainFinalPath((root + L"real").c_str())));
  EXPECT_TRUE(IsSamePath(folder.Path(), folder.FinalPath()));
  ASSERT_EQ(GuardedFolder::OpenTop((root + L"via-parent\\inner").c_str(), false, folder),
            FileStatus::Done);
  ASSERT_EQ(GuardedFolder::OpenTop((root + L"real").c_str(), false, folder), FileStatus::Done);

  GuardedFolder child;
  EXPECT_EQ(folder.OpenChild(L"sub-link", false, child), FileStatus::Link);
  EXPECT_EQ(folder.OpenChild(L"sub-link\\deeper", true, child), FileStatus::Link);
  EXPECT_FALSE(test::FolderExists(root + L"outside\\dir\\deeper"));

  std::string bytes;
  FileStatus read = ReadWholeFile(folder, L"file-link.ini", bytes);
  EXPECT_TRUE(read == FileStatus::Link || read == FileStatus::Outside);
  EXPECT_TRUE(bytes.empty());

  UniqueHandle log;
  FileStatus append = OpenAppendFile(folder, L"dangling.log", log);
  EXPECT_TRUE(append == FileStatus::Link || append == FileStatus::Outside);
  EXPECT_FALSE(test::FileExists(root + L"outside\\made.log"));

  FileStatus deleted = DeleteGuardedFile(folder, L"delete-link.ini");
  EXPECT_TRUE(deleted == FileStatus::Link || deleted == FileStatus::Outside);
  GuardedFolder inner;
  ASSERT_EQ(folder.OpenChild(L"inner", false, inner), FileStatus::Done);
  FileStatus moved = MoveGuardedFile(folder, L"delete-link.ini", inner, L"moved.ini");
  EXPECT_TRUE(moved == FileStatus::Link || moved == FileStatus::Outside);

  // Writing replaces the link itself; its target is never written.
  EXPECT_EQ(WriteWholeFile(folder, L"file-link.ini", "mine", 4), FileStatus::Done);
  EXPECT_EQ(test::ReadFileBytes(root + L"real\\file-link.ini"), "mine");
  EXPECT_EQ(test::ReadFileBytes(victim), victimBytes);
  EXPECT_TRUE(test::FileExists(victim));
}

}  // namespace
