// A wizard run over files another program holds open: the warning box lists them, and the
// run still counts as done (the wizard moves on to its finish page) with FilesLeftOut.
#include "engine/install_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "base/handles.h"
#include "integration_support.h"
#include "test_support.h"

namespace {

constexpr wchar_t kTitle[] = L"Lumagrove Test Setup";

// Waits for the run's message box, keeps its text and its icon kind, and presses OK.
class MessageBoxAnswerer {
 public:
  MessageBoxAnswerer() : thread_([this] { Answer(); }) {}
  ~MessageBoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::wstring text;
  int boxes = 0;

 private:
  void Answer() {
    for (DWORD start = GetTickCount(); !stop_ && GetTickCount() - start < 60000; Sleep(20)) {
      HWND box = FindWindowW(L"#32770", kTitle);
      if (!box) continue;
      wchar_t shown[4096] = {};
      GetDlgItemTextW(box, 0xFFFF, shown, 4096);  // the static text of a message box
      text = shown;
      ++boxes;
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      while (IsWindow(box) && GetTickCount() - start < 60000) Sleep(20);
    }
  }
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

TEST(RunInstallation, AWizardRunListsHeldFilesInAWarningAndGoesOn) {
  if (!FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP")) GTEST_SKIP() << "no payload";
  test::CurrentFolderGuard restore;
  test::ScratchFolder target(L"held");
  CreateDirectoryW((target / L"Html").c_str(), nullptr);
  std::wstring held[] = {target / L"lg_about.txt", target / L"Html\\Vorlage_Bild.htm"};
  UniqueHandle holds[2];
  for (int i = 0; i < 2; ++i) {
    holds[i].reset(CreateFileW(held[i].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holds[i]);
  }

  InstallOptions options;
  wcscpy(options.targetFolder, target.path().c_str());
  wcscpy(options.setupTitle, kTitle);
  options.silentMode = 0;
  RunOutcome outcome = RunOutcome::Installed;
  int result;
  std::wstring shown;
  int boxes;
  {
    MessageBoxAnswerer answerer;
    result = RunInstallation(options, &outcome);
    Sleep(200);  // a second box would show up by now
    boxes = answerer.boxes;
    shown = answerer.text;
  }
  for (UniqueHandle& h : holds) h.reset();
  itest::RemoveIntegration();

  EXPECT_EQ(result, 1);
  EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(RunOutcome::FilesLeftOut));
  EXPECT_EQ(boxes, 1);
  EXPECT_EQ(shown.rfind(L"Warnung: Einige Dateien konnten nicht geschrieben werden", 0), 0u)
      << std::string(shown.begin(), shown.end());
  EXPECT_NE(shown.find(L"\n" + held[0]), std::wstring::npos);
  EXPECT_NE(shown.find(L"\n" + held[1]), std::wstring::npos);
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.exe"));  // the walk went on
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.ini"));  // and so did the run
  EXPECT_EQ(test::ReadFileBytes(held[0]), "");                 // the held file is untouched
}

}  // namespace
