// The viewer check: the path rules as tables, then a real process that runs a program
// named lg_show64.exe in a scratch folder, found by its image path.
#include "base/viewer_check.h"

#include <windows.h>
#include <restartmanager.h>
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "base/text_rules.h"
#include "test_support.h"

namespace {

TEST(ViewerImagePath, Cases) {
  struct Case {
    std::wstring folder;
    bool built;
    std::wstring path;
  } cases[] = {
      {L"C:\\Apps\\Lumagrove", true, L"C:\\Apps\\Lumagrove\\lg_show64.exe"},
      {L"C:\\Apps\\Lumagrove\\", true, L"C:\\Apps\\Lumagrove\\lg_show64.exe"},
      {L"  C:\\Program Files\\Lumagrove  ", true, L"C:\\Program Files\\Lumagrove\\lg_show64.exe"},
      {L"C:/Apps/", true, L"C:/Apps/lg_show64.exe"},
      {L"C:\\", true, L"C:\\lg_show64.exe"},
      {L"", false, L""},
      {L"    ", false, L""},
  };
  for (const Case& c : cases) {
    wchar_t path[kLongPath] = L"#";
    EXPECT_EQ(ViewerImagePath(c.folder.c_str(), path, kLongPath), c.built) << c.folder;
    EXPECT_EQ(std::wstring(path), c.path) << c.folder;
  }
}

TEST(ViewerImagePath, TooLongForTheBufferIsRefusedNotCut) {
  std::wstring folder = L"C:\\" + std::wstring(40, L'x');
  wchar_t path[64] = L"#";
  EXPECT_FALSE(ViewerImagePath(folder.c_str(), path, 57));  // one character short
  EXPECT_STREQ(path, L"");
  EXPECT_TRUE(ViewerImagePath(folder.c_str(), path, 58));
  EXPECT_EQ(std::wstring(path), folder + L"\\lg_show64.exe");
  std::wstring overlong(kLongPath + 10, L'x');
  EXPECT_FALSE(ViewerImagePath(overlong.c_str(), path, 64));
}

TEST(IsSameImagePath, Cases) {
  const std::wstring viewer = L"C:\\Program Files\\Lumagrove\\lg_show64.exe";
  struct Case {
    std::wstring image;
    bool same;
  } cases[] = {
      {L"C:\\Program Files\\Lumagrove\\lg_show64.exe", true},
      {L"c:\\PROGRAM FILES\\lumagrove\\LG_SHOW64.EXE", true},
      {L"C:/Program Files/Lumagrove/lg_show64.exe", true},
      {L"C:\\Program Files\\Lumagrove\\lg_show64.exe.old", false},
      {L"C:\\Program Files\\Lumagrove\\lg_show64.ex", false},
      {L"C:\\Program Files\\Lumagrove2\\lg_show64.exe", false},
      {L"D:\\Program Files\\Lumagrove\\lg_show64.exe", false},
      {L"C:\\Program Files\\Lumagrove\\Plugins\\lg_show64.exe", false},
      {L"C:\\Program Files\\Lumagrove_lg_show64.exe", false},  // "_" is no separator
      {L"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsSameImagePath(c.image.c_str(), viewer.c_str()), c.same) << c.image;
    EXPECT_EQ(IsSameImagePath(viewer.c_str(), c.image.c_str()), c.same) << c.image;
  }
  // Letter case beyond ASCII, as in file names: Ü and ü, Ä and ä are the same.
  EXPECT_TRUE(
      IsSameImagePath(L"C:\\Über\\Bäume\\lg_show64.exe", L"C:\\über\\BÄUME\\lg_show64.exe"));
  EXPECT_FALSE(IsSameImagePath(L"C:\\Uber\\lg_show64.exe", L"C:\\Über\\lg_show64.exe"));
}

TEST(CloseViewerWaitMilliseconds, IsBoundedAndNeverNegative) {
  struct Case {
    int32_t seconds;
    uint32_t milliseconds;
  } cases[] = {
      {-1, 0}, {INT32_MIN, 0}, {0, 0}, {1, 1000}, {10, 10000}, {3600, 3600000},
      {3601, 3600000}, {INT32_MAX, 3600000},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CloseViewerWaitMilliseconds(c.seconds), c.milliseconds) << c.seconds;
}

TEST(RestartManagerEntryIsViewer, Cases) {
  struct Case {
    int appType;
    ProcessImage image;
    bool viewer;
  } cases[] = {
      {RmMainWindow, ProcessImage::Viewer, true},
      {RmMainWindow, ProcessImage::Other, false},  // another program with the file open
      {RmMainWindow, ProcessImage::Unknown, true},
      {RmOtherWindow, ProcessImage::Unknown, true},
      {RmConsole, ProcessImage::Unknown, true},
      {RmUnknownApp, ProcessImage::Unknown, true},
      // The shell reading icons, a scanner or an indexer: never shut down as the viewer.
      {RmExplorer, ProcessImage::Unknown, false},
      {RmService, ProcessImage::Unknown, false},
      {RmCritical, ProcessImage::Unknown, false},
      {RmExplorer, ProcessImage::Other, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RestartManagerEntryIsViewer(c.appType, c.image), c.viewer)
        << "type " << c.appType << ", image " << static_cast<int>(c.image);
}

// lghold.exe (a windowless program that waits) copied to <folder>lg_show64.exe and started.
class ViewerProcess : public ::testing::Test {
 protected:
  ViewerProcess() : folder_(L"Viewer Check Folder") {}

  void SetUp() override {
    // The harness programs are built beside the fixture folder.
    ASSERT_TRUE(test::CopyFileTo(test::FixturePath(L"..\\lghold.exe"), folder_ / L"lg_show64.exe"));
    std::wstring marker = folder_ / L"ready";
    std::wstring line = L"\"" + (folder_ / L"lg_show64.exe") + L"\" \"" + marker + L"\" 60 \"" +
                        (folder_ / L"held") + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &si, &pi));
    process_.reset(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    for (int i = 0; i < 300 && !test::FileExists(marker); ++i) Sleep(50);
    ASSERT_TRUE(test::FileExists(marker)) << "the stand-in process did not start";
  }

  void TearDown() override {
    if (process_) {
      TerminateProcess(process_.get(), 0);
      WaitForSingleObject(process_.get(), 10000);
    }
  }

  std::wstring Folder() const { return folder_.path(); }

  test::ScratchFolder folder_;
  UniqueHandle process_;
};

TEST_F(ViewerProcess, IsFoundByTheImagePathOfItsFolder) {
  std::wstring folder = Folder();
  std::wstring upper = folder;
  for (wchar_t& c : upper) c = towupper(c);
  wchar_t shortName[kLongPath] = {};
  ASSERT_GT(GetShortPathNameW(folder.c_str(), shortName, kLongPath), 0u);
  ASSERT_NE(std::wstring(shortName), folder) << "the folder has no short name to test with";
  const std::wstring found[] = {
      folder,                                // with its final backslash
      folder.substr(0, folder.size() - 1),   // without
      L"  " + folder + L"  ",                // with blanks, as a typed folder
      upper,                                 // in other letter case
      shortName,                             // by its short name
      folder + L"Plugins\\..\\",             // through a detour
  };
  for (const std::wstring& f : found) EXPECT_TRUE(IsViewerRunning(f.c_str())) << f;

  const std::wstring notFound[] = {folder + L"Plugins\\", L"C:\\Program Files\\Lumagrove\\"};
  for (const std::wstring& f : notFound) EXPECT_FALSE(IsViewerRunning(f.c_str())) << f;
  // Without a folder only the window counts, and this process has none.
  EXPECT_FALSE(IsViewerRunning(nullptr));
}

TEST_F(ViewerProcess, EndedProcessIsNoViewer) {
  ASSERT_TRUE(IsViewerRunning(Folder().c_str()));
  TerminateProcess(process_.get(), 0);
  ASSERT_EQ(WaitForSingleObject(process_.get(), 10000), WAIT_OBJECT_0);
  EXPECT_FALSE(IsViewerRunning(Folder().c_str()));
  EXPECT_TRUE(CloseRunningViewers(Folder().c_str(), 5));
}

// A process without a window cannot be asked by WM_CLOSE (and Wine's Restart Manager asks
// nobody): the wait ends after the seconds given, and reports the viewer as running.
TEST_F(ViewerProcess, WaitEndsAfterTheSecondsGiven) {
  struct Case {
    int32_t seconds;
    DWORD atLeast, atMost;  // milliseconds
  } cases[] = {{-1, 0, 1500}, {0, 0, 1500}, {2, 1900, 5000}};
  for (const Case& c : cases) {
    ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(CloseRunningViewers(Folder().c_str(), c.seconds)) << c.seconds;
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, c.atLeast) << c.seconds;
    EXPECT_LE(elapsed, c.atMost) << c.seconds;
  }
  EXPECT_EQ(WaitForSingleObject(process_.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
}

}  // namespace
