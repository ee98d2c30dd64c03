// The archive walk on archives that each show one rule or fault, and the payload itself.
#include "engine/payload_extraction.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "test_support.h"

namespace {

class Extraction : public testing::Test {
 protected:
  Extraction() : target_(L"extract") {}

  int Extract(const wchar_t* archive, int skipIconLibrary = 0, LeftOutFiles* leftOut = nullptr) {
    return ExtractArchive(test::FixturePath(archive).c_str(), target_.path().c_str(),
                          skipIconLibrary, leftOut);
  }
  std::string Read(const std::wstring& rel) { return test::ReadFileBytes(target_ / rel); }
  bool Exists(const std::wstring& rel) { return test::FileExists(target_ / rel); }

  test::CurrentFolderGuard restore_;
  test::ScratchFolder target_;
};

TEST_F(Extraction, FoldersOnly) {
  EXPECT_EQ(Extract(L"folders_only.zip"), 0);
  EXPECT_TRUE(test::FolderExists(target_ / L"a\\b"));
  EXPECT_TRUE(test::FolderExists(target_ / L"c"));
}

TEST_F(Extraction, FilesWithFoldersMissingOrLateAndTheirTimes) {
  ASSERT_EQ(Extract(L"layout.zip"), 0);
  EXPECT_EQ(Read(L"deep\\er\\file.txt"), "deep");
  EXPECT_EQ(Read(L"late\\file.txt"), "late");
  std::string big = Read(L"Help\\big.bin");
  ASSERT_EQ(big.size(), 100000u);  // more than one copy block
  for (size_t i = 0; i < big.size(); i += 9973)
    EXPECT_EQ(static_cast<unsigned char>(big[i]), (i * 7919) % 251) << i;

  // The archive's 2021-05-24 14:03:06 is local time: creation and last write show it.
  HANDLE h = CreateFileW((target_ / L"readme.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME created, accessed, written;
  GetFileTime(h, &created, &accessed, &written);
  CloseHandle(h);
  for (FILETIME t : {created, written}) {
    FILETIME local;
    SYSTEMTIME st;
    FileTimeToLocalFileTime(&t, &local);
    FileTimeToSystemTime(&local, &st);
    EXPECT_EQ(st.wYear, 2021);
    EXPECT_EQ(st.wMonth, 5);
    EXPECT_EQ(st.wDay, 24);
    EXPECT_EQ(st.wHour, 14);
    EXPECT_EQ(st.wMinute, 3);
    EXPECT_EQ(st.wSecond, 6);
  }
}

TEST_F(Extraction, CurrentFolderIsTheTargetAfterwards) {
  ASSERT_EQ(Extract(L"folders_only.zip"), 0);
  wchar_t cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  EXPECT_EQ(std::wstring(cwd) + L"\\", target_.path());
}

TEST_F(Extraction, IconLibraryIsSkippedOnlyWhenAsked) {
  CreateDirectoryW((target_ / L"Plugins").c_str(), nullptr);
  test::WriteFileBytes(target_ / L"Plugins\\Icons.dll", "installed icons");
  ASSERT_EQ(Extract(L"layout.zip", 1), 0);
  EXPECT_EQ(Read(L"Plugins\\Icons.dll"), "installed icons");
  EXPECT_EQ(Read(L"Plugins\\other.dll"), "other");
  ASSERT_EQ(Extract(L"layout.zip", 0), 0);
  EXPECT_EQ(Read(L"Plugins\\Icons.dll"), "new icons");
}

TEST_F(Extraction, FaultsStopTheWalkWithTheirStatus) {
  struct Case {
    const wchar_t* archive;
    const wchar_t* extractedBefore;
    const wchar_t* notExtracted;
  } cases[] = {
      {L"crc_error.zip", L"ok.txt", L"after.txt"},
      {L"corrupt_data.zip", L"ok.txt", L"after.txt"},
  };
  for (const Case& c : cases) {
    target_.Clear();
    EXPECT_LT(Extract(c.archive), 0) << c.archive;
    EXPECT_TRUE(Exists(c.extractedBefore)) << c.archive;
    EXPECT_FALSE(Exists(c.notExtracted)) << c.archive;
  }
  EXPECT_EQ(Extract(L"crc_error.zip"), UNZ_CRCERROR);
  EXPECT_EQ(Extract(L"truncated.zip"), -1);  // no central directory: cannot be opened
  EXPECT_EQ(Extract(L"no such archive.zip"), -1);
  EXPECT_EQ(ExtractArchive(nullptr, target_.path().c_str(), 0), -1);
  EXPECT_EQ(ExtractArchive(test::FixturePath(L"layout.zip").c_str(), L"C:\\no\\such\\folder\\", 0),
            -1);
}

TEST_F(Extraction, AFileThatCannotBeCreatedIsLeftOutAndTheWalkGoesOn) {
  CreateDirectoryW((target_ / L"blocked.txt").c_str(), nullptr);  // a folder in the way
  LeftOutFiles leftOut;
  EXPECT_EQ(Extract(L"blocked.zip", 0, &leftOut), 0);
  EXPECT_EQ(Read(L"first.txt"), "1");
  EXPECT_EQ(Read(L"last.txt"), "3");
  ASSERT_EQ(leftOut.size(), 1u);
  EXPECT_EQ(leftOut[0], L"blocked.txt");
}

TEST_F(Extraction, EntriesThatWouldLeaveTheTargetAreRefused) {
  // The target lies two levels below the scratch root, so ".." cannot reach the test's
  // own folders, and any escape shows as evil.txt above it.
  test::ScratchFolder outer(L"escape-root");
  std::wstring target = outer / L"in\\deeper\\";
  CreateDirectoryW((outer / L"in").c_str(), nullptr);
  CreateDirectoryW(target.c_str(), nullptr);
  for (int n = 0; n <= 8; ++n) {
    std::wstring archive = test::FixturePath(L"escape" + std::to_wstring(n) + L".zip");
    EXPECT_NE(ExtractArchive(archive.c_str(), target.c_str(), 0), 0) << n;
    EXPECT_TRUE(test::FileExists(target + L"fine.txt")) << n;
    EXPECT_FALSE(test::FileExists(target + L"z.txt")) << "walk went on after entry " << n;
    EXPECT_FALSE(test::FileExists(outer / L"in\\evil.txt")) << n;
    EXPECT_FALSE(test::FileExists(outer / L"evil.txt")) << n;
    EXPECT_FALSE(test::FileExists(L"C:\\abs.txt")) << n;
    EXPECT_FALSE(test::FileExists(L"C:\\evil.txt")) << n;
  }
}

TEST(MakeParentFolders, EveryLevel) {
  test::CurrentFolderGuard restore;
  test::ScratchFolder root(L"parents");
  SetCurrentDirectoryW(root.path().c_str());
  EXPECT_EQ(MakeParentFolders(L"a/b\\c/"), 1);
  EXPECT_TRUE(test::FolderExists(root / L"a\\b\\c"));
  EXPECT_EQ(MakeParentFolders(L"a/b"), 1);  // existing levels are fine
  EXPECT_EQ(MakeParentFolders(L""), 0);
}

TEST(ExtractPayload, TheEmbeddedArchiveAndNoTemporaryCopyLeft) {
  test::CurrentFolderGuard restore;
  test::ScratchFolder target(L"payload");
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring copy = std::wstring(temp) + L"lgshowg_x64.zip";
  int status = ExtractPayload(target.path().c_str(), 0);
  EXPECT_FALSE(test::FileExists(copy));
  if (!resource) {
    EXPECT_EQ(status, -1);  // a build without the payload reports it
    return;
  }
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.exe"));
  EXPECT_TRUE(test::FileExists(target / L"Plugins\\Icons.dll"));
}

}  // namespace
