// The archive walk on archives that each show one rule or fault, and the payload itself.
#include "engine/payload_extraction.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

class Extraction : public testing::Test {
 protected:
  Extraction() : target_(L"extract") {}

  int Extract(const wchar_t* archive, int skipIconLibrary = 0, ExtractionReport* report = nullptr) {
    return ExtractArchive(test::FixturePath(archive).c_str(), target_.path().c_str(),
                          skipIconLibrary, report);
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
    EXPECT_EQ(test::CountFiles(target_.path()), 1) << "a damaged file took its name: " << c.archive;
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
  ExtractionReport report;
  EXPECT_EQ(Extract(L"blocked.zip", 0, &report), 0);
  EXPECT_EQ(Read(L"first.txt"), "1");
  EXPECT_EQ(Read(L"last.txt"), "3");
  ASSERT_EQ(report.leftOut.size(), 1u);
  EXPECT_EQ(report.leftOut[0], L"blocked.txt");
  EXPECT_TRUE(report.replacedAtRestart.empty());
  EXPECT_EQ(test::CountFiles(target_.path()), 2);  // no scratch file stays behind
}

TEST_F(Extraction, AHeldFileWhereUsersCanWriteIsLeftOutNotScheduled) {
  // Outside Program Files a restart would follow a path a user could have replaced.
  test::WriteFileBytes(target_ / L"last.txt", "running");
  HANDLE holder = CreateFileW((target_ / L"last.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  ExtractionReport report;
  int status = Extract(L"blocked.zip", 0, &report);
  CloseHandle(holder);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(report.leftOut.size(), 1u);
  EXPECT_EQ(report.leftOut[0], L"last.txt");
  EXPECT_TRUE(report.replacedAtRestart.empty());
  EXPECT_EQ(Read(L"last.txt"), "running");
  EXPECT_EQ(test::CountFiles(target_.path()), 3);
}

TEST_F(Extraction, APlantedHardLinkIsReplacedNotWrittenThrough) {
  test::ScratchFolder outside(L"extract-outside");
  test::WriteFileBytes(outside / L"victim.txt", "victim");
  CreateDirectoryW((target_ / L"Plugins").c_str(), nullptr);
  if (!CreateHardLinkW((target_ / L"Plugins\\other.dll").c_str(), (outside / L"victim.txt").c_str(),
                       nullptr))
    GTEST_SKIP() << "no hard links here";
  ASSERT_EQ(Extract(L"layout.zip"), 0);
  EXPECT_EQ(Read(L"Plugins\\other.dll"), "other");
  EXPECT_EQ(test::ReadFileBytes(outside / L"victim.txt"), "victim");
}

TEST(ExtractFromMemory, DamagedOrMissingArchivesAndTargets) {
  test::CurrentFolderGuard restore;
  test::ScratchFolder target(L"memory");
  std::string whole = test::ReadFileBytes(test::FixturePath(L"whole.zip"));
  ASSERT_FALSE(whole.empty());
  struct Case {
    size_t size;
    const wchar_t* folder;
    int status;
  } cases[] = {
      {whole.size(), target.path().c_str(), 0},
      {whole.size() / 2, target.path().c_str(), -1},  // no central directory
      {0, target.path().c_str(), -1},
      {whole.size(), L"C:\\no\\such\\folder\\", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExtractFromMemory(whole.data(), c.size, c.folder, 0), c.status) << c.size;
  EXPECT_EQ(ExtractFromMemory(nullptr, 10, target.path().c_str(), 0), -1);
  EXPECT_EQ(test::ReadFileBytes(target / L"two.bin").size(), 100000u);
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

TEST(ExtractPayload, TheEmbeddedArchiveStraightFromMemory) {
  test::CurrentFolderGuard restore;
  test::ScratchFolder target(L"payload");
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP");
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::vector<std::wstring> before = test::FolderNames(temp);
  int status = ExtractPayload(target.path().c_str(), 0);
  EXPECT_EQ(test::FolderNames(temp), before);  // no copy of the archive is left there, nor anything else
  if (!resource) {
    EXPECT_EQ(status, -1);  // a build without the payload reports it
    return;
  }
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.exe"));
  EXPECT_TRUE(test::FileExists(target / L"Plugins\\Icons.dll"));
}

}  // namespace

namespace {

// Run by tests/e2e/test_planted_links.py, which plants host links below LG_LINK_ROOT first:
//   target-link -> outside\target        walk\Help -> outside\help
TEST(ExtractionLinks, TheWalkStopsAtAPlantedFolder) {
  const std::wstring root = test::LinkRoot();
  if (root.empty()) GTEST_SKIP() << "needs the links the end-to-end test plants";
  test::CurrentFolderGuard restore;
  std::wstring archive = test::FixturePath(L"layout.zip");

  ExtractionReport report;
  EXPECT_EQ(ExtractArchive(archive.c_str(), (root + L"target-link\\").c_str(), 0, &report),
            kFolderRefused);
  EXPECT_EQ(report.refusedFolder, root + L"target-link");
  EXPECT_EQ(report.refusedStatus, FileStatus::Link);

  // Plugins/ comes first and is written; Help/ stops the walk before its file.
  report = ExtractionReport();
  EXPECT_EQ(ExtractArchive(archive.c_str(), (root + L"walk\\").c_str(), 0, &report),
            kFolderRefused);
  EXPECT_EQ(report.refusedFolder, root + L"walk\\Help");
  EXPECT_EQ(report.refusedStatus, FileStatus::Link);
  EXPECT_EQ(test::ReadFileBytes(root + L"walk\\Plugins\\other.dll"), "other");
  EXPECT_FALSE(test::FileExists(root + L"walk\\readme.txt"));
}

}  // namespace
