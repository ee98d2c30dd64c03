// A wizard run over files another program holds open: the box lists them, and the run
// still counts as done (the wizard moves on to its finish page): with FilesLeftOut where
// users can write the folder, with RestartRequired below Program Files, where the new
// files wait for the restart.
#include "engine/install_run.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

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

constexpr wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";

itest::RegValue PendingRenames() {
  return itest::ReadValue(HKEY_LOCAL_MACHINE, kSessionManager, L"PendingFileRenameOperations");
}

void ClearPendingRenames() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  RegDeleteValueW(key, L"PendingFileRenameOperations");
  RegCloseKey(key);
}

struct HeldRun {
  int result = 0;
  RunOutcome outcome = RunOutcome::Installed;
  int boxes = 0;
  std::wstring shown;
};

// A wizard run into target while another program holds the files named (relative).
HeldRun RunWhileHeld(const std::wstring& target, const std::vector<std::wstring>& held) {
  std::vector<UniqueHandle> holds;
  CreateDirectoryW((target + L"Html").c_str(), nullptr);
  for (const std::wstring& name : held) {
    holds.emplace_back(CreateFileW((target + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(holds.back());
  }
  InstallOptions options;
  wcscpy(options.targetFolder, target.c_str());
  wcscpy(options.setupTitle, kTitle);
  options.silentMode = 0;
  HeldRun run;
  {
    MessageBoxAnswerer answerer;
    run.result = RunInstallation(options, &run.outcome);
    Sleep(200);  // a second box would show up by now
    run.boxes = answerer.boxes;
    run.shown = answerer.text;
  }
  holds.clear();
  itest::RemoveIntegration();
  return run;
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

TEST(RunInstallation, AWizardRunListsHeldFilesInAWarningAndGoesOn) {
  if (!FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP")) GTEST_SKIP() << "no payload";
  test::CurrentFolderGuard restore;
  test::ScratchFolder target(L"held");
  HeldRun run = RunWhileHeld(target.path(), {L"lg_about.txt", L"Html\\Vorlage_Bild.htm"});

  EXPECT_EQ(run.result, 1);
  EXPECT_EQ(static_cast<int>(run.outcome), static_cast<int>(RunOutcome::FilesLeftOut));
  EXPECT_EQ(run.boxes, 1);
  EXPECT_EQ(run.shown.rfind(L"Warnung: Einige Dateien konnten nicht geschrieben werden", 0), 0u)
      << Narrow(run.shown);
  EXPECT_NE(run.shown.find(L"\n" + (target / L"lg_about.txt")), std::wstring::npos);
  EXPECT_NE(run.shown.find(L"\n" + (target / L"Html\\Vorlage_Bild.htm")), std::wstring::npos);
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.exe"));  // the walk went on
  EXPECT_TRUE(test::FileExists(target / L"lg_show64.ini"));  // and so did the run
  EXPECT_EQ(test::ReadFileBytes(target / L"lg_about.txt"), "");  // the held file is untouched
  EXPECT_FALSE(PendingRenames().found);
}

TEST(RunInstallation, BelowProgramFilesHeldFilesWaitForTheRestart) {
  if (!FindResourceW(nullptr, MAKEINTRESOURCEW(1974), L"ZIP")) GTEST_SKIP() << "no payload";
  test::CurrentFolderGuard restore;
  wchar_t programFiles[MAX_PATH];
  ASSERT_GT(GetEnvironmentVariableW(L"ProgramFiles", programFiles, MAX_PATH), 0u);
  std::wstring target = std::wstring(programFiles) + L"\\LgRestartTest\\";
  test::RemoveTree(target);
  CreateDirectoryW(target.c_str(), nullptr);
  HeldRun run = RunWhileHeld(target, {L"lg_about.txt"});
  itest::RegValue pending = PendingRenames();
  ClearPendingRenames();
  std::vector<std::wstring> left = test::FolderNames(target);
  SetCurrentDirectoryW(programFiles);
  test::RemoveTree(target);

  EXPECT_EQ(run.result, 1);
  EXPECT_EQ(static_cast<int>(run.outcome), static_cast<int>(RunOutcome::RestartRequired));
  EXPECT_EQ(run.boxes, 1);
  EXPECT_EQ(run.shown.rfind(L"Hinweis: Einige Dateien werden von einem anderen Programm verwendet "
                            L"und werden beim n\u00e4chsten Neustart ersetzt:\n" +
                                target + L"lg_about.txt\n\nStarten Sie den Computer neu",
                            0),
            0u)
      << Narrow(run.shown);
  // The new file waits beside the held one under its scratch name, and the rename that
  // will put it in place is recorded.
  std::wstring scratch;
  for (const std::wstring& name : left)
    if (name.rfind(L"~lg.", 0) == 0) scratch = name;
  ASSERT_FALSE(scratch.empty());
  ASSERT_TRUE(pending.found);
  std::wstring renames(reinterpret_cast<const wchar_t*>(pending.data.data()),
                       pending.data.size() / sizeof(wchar_t));
  std::wstring expected = L"\\??\\" + target + scratch + L'\0' + L"!\\??\\" + target +
                          L"lg_about.txt" + L'\0';
  EXPECT_EQ(renames.substr(0, expected.size()), expected);
}

}  // namespace

namespace {

// A failed wizard run: the box shows the message alone; the folder is joined only in the
// silent log.
TEST(RunInstallation, AWizardErrorBoxShowsTheMessageAlone) {
  test::CurrentFolderGuard restore;
  test::ScratchFolder scratch(L"wizard-error");
  test::WriteFileBytes(scratch / L"file", "x");
  struct Case {
    std::wstring folder;
    unsigned message;
    RunOutcome outcome;
  } cases[] = {
      {L"", 5, RunOutcome::InvalidFolder},
      {scratch / L"file\\Lumagrove", 11, RunOutcome::FolderNotCreated},
  };
  for (const Case& c : cases) {
    InstallOptions options;
    wcscpy(options.targetFolder, c.folder.c_str());
    wcscpy(options.setupTitle, kTitle);
    options.silentMode = 0;
    RunOutcome outcome = RunOutcome::Installed;
    std::wstring shown;
    {
      MessageBoxAnswerer answerer;
      EXPECT_EQ(RunInstallation(options, &outcome), 0);
      Sleep(200);
      shown = answerer.text;
    }
    wchar_t expected[1024];
    LoadStringW(GetModuleHandleW(nullptr), c.message, expected, 1024);
    EXPECT_EQ(shown, expected) << Narrow(shown);
    EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(c.outcome));
  }
}

}  // namespace
