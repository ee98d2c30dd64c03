// The full log: its line format, the bounded step hook, the file it appends to, the
// system's error texts, and the lines the archive walk gives each file.
#include "base/step_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "base/run_log.h"
#include "base/system_helpers.h"
#include "engine/payload_extraction.h"
#include "test_support.h"

namespace {

std::vector<std::wstring> lines;
void Record(const wchar_t* line) { lines.emplace_back(line); }

// Records the steps while it lives.
class RecordedSteps {
 public:
  RecordedSteps() {
    lines.clear();
    SetStepLogWriter(Record);
  }
  ~RecordedSteps() { SetStepLogWriter(nullptr); }
};

TEST(FormatStepLine, TimeTwoBlanksUtf8AndOneLinePerStep) {
  SYSTEMTIME time = {};
  time.wYear = 2026;
  time.wMonth = 12;
  time.wDay = 1;
  time.wHour = 4;
  time.wMinute = 3;
  time.wSecond = 7;
  struct Case {
    const wchar_t* text;
    const char* bytes;
  } cases[] = {
      {L"Datei geschrieben: C:\\a", "2026-12-01 04:03:07  Datei geschrieben: C:\\a\r\n"},
      {L"Verfügbare \u0416 \U0001F600", "2026-12-01 04:03:07  Verf\xc3\xbc" "gbare \xd0\x96 \xf0\x9f\x98\x80\r\n"},
      // A message of several lines stays one line: each run of breaks is one blank.
      {L"Fehler!\n\nBitte\r\nprüfen", "2026-12-01 04:03:07  Fehler! Bitte pr\xc3\xbc" "fen\r\n"},
      {L"", "2026-12-01 04:03:07  \r\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatStepLine(time, c.text), c.bytes);
}

TEST(LogStep, FormatsBoundedAndOnlyWithAWriter) {
  lines.clear();
  LogStep(L"nobody listens %d", 1);
  EXPECT_FALSE(StepLogActive());
  EXPECT_TRUE(lines.empty());
  RecordedSteps record;
  EXPECT_TRUE(StepLogActive());
  LogStep(L"%ls: %d, %lu", L"Datei", -3, 3010ul);
  std::wstring longPath(3 * kStepLineChars, L'x');
  LogStep(L"Datei: %ls", longPath.c_str());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], L"Datei: -3, 3010");
  // Cut, never overrun: the start stays, the length stops one short of the buffer.
  EXPECT_EQ(lines[1].size(), kStepLineChars - 1);
  EXPECT_EQ(lines[1].substr(0, 8), L"Datei: x");
}

TEST(FormatWin32Error, OneLineWithTheNumber) {
  wchar_t text[600];
  FormatWin32Error(ERROR_ACCESS_DENIED, text, 600);
  std::wstring known = text;
  EXPECT_GT(known.size(), std::wstring(L" (Fehler 5)").size());
  EXPECT_EQ(known.substr(known.size() - 11), L" (Fehler 5)");
  EXPECT_EQ(known.find_first_of(L"\r\n"), std::wstring::npos);
  FormatWin32Error(0x2000FFFFu, text, 600);  // a customer code without a system text
  EXPECT_STREQ(text, L"Fehler 536936447");
  FormatWin32Error(ERROR_ACCESS_DENIED, text, 8);
  EXPECT_EQ(wcslen(text), 7u);
}

class StepLogFile : public testing::Test {
 protected:
  StepLogFile() : folder_(L"steplog") {}
  test::ScratchFolder folder_;
};

TEST_F(StepLogFile, AppendsEachStepAsALineUntilItCloses) {
  std::wstring path = folder_ / L"setup.log";
  test::WriteFileBytes(path, "older run\r\n");
  {
    StepLog log;
    ASSERT_EQ(log.Open(path.c_str()), FileStatus::Done);
    EXPECT_EQ(log.Path(), path);
    StepLog second;  // one full log per run
    EXPECT_EQ(second.Open((folder_ / L"other.log").c_str()), FileStatus::Failed);
    LogStep(L"Datei geschrieben: %ls", L"C:\\Ä.txt");
    // Shared for reading while the run goes on.
    EXPECT_NE(test::ReadFileBytes(path).find("\xc3\x84.txt\r\n"), std::string::npos);
  }
  LogStep(L"after the end");
  std::string bytes = test::ReadFileBytes(path);
  std::regex appended("older run\r\n\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}  "
                      "Datei geschrieben: C:\\\\\xc3\x84\\.txt\r\n");
  EXPECT_TRUE(std::regex_match(bytes, appended)) << bytes;
  EXPECT_FALSE(test::FileExists(folder_ / L"other.log"));
  EXPECT_FALSE(StepLogActive());
}

TEST_F(StepLogFile, APathThatCannotBeALogLeavesTheRunWithout) {
  std::string victim = "someone else's bytes";
  test::WriteFileBytes(folder_ / L"victim.txt", victim);
  ASSERT_TRUE(CreateHardLinkW((folder_ / L"hard.log").c_str(), (folder_ / L"victim.txt").c_str(),
                              nullptr));
  CreateDirectoryW((folder_ / L"a folder").c_str(), nullptr);
  struct Case {
    std::wstring path;
    FileStatus status;
  } cases[] = {
      {folder_ / L"missing\\setup.log", FileStatus::Missing},  // no folder is made
      {folder_ / L"hard.log", FileStatus::Link},
      {folder_ / L"a folder", FileStatus::Failed},
      {folder_.path(), FileStatus::Failed},  // no file name at all
      {L"", FileStatus::Failed},
  };
  for (const Case& c : cases) {
    StepLog log;
    EXPECT_EQ(log.Open(c.path.c_str()), c.status) << c.path;
    EXPECT_FALSE(StepLogActive()) << c.path;
  }
  EXPECT_FALSE(test::FolderExists(folder_ / L"missing"));
  EXPECT_EQ(test::ReadFileBytes(folder_ / L"victim.txt"), victim);
}

TEST_F(StepLogFile, ARelativePathIsTheCurrentFolders) {
  test::CurrentFolderGuard restore;
  ASSERT_TRUE(SetCurrentDirectoryW(folder_.path().c_str()));
  StepLog log;
  ASSERT_EQ(log.Open(L"relative.log"), FileStatus::Done);
  EXPECT_EQ(log.Path(), folder_ / L"relative.log");
}

TEST(ExtractionSteps, EachFileWrittenReplacedOrLeftOutWithTheReason) {
  test::ScratchFolder target(L"steplog-walk");
  test::CurrentFolderGuard restore;
  std::wstring archive = test::FixturePath(L"blocked.zip");
  RecordedSteps record;
  ExtractionReport first;
  ASSERT_EQ(ExtractArchive(archive.c_str(), target.path().c_str(), 0, &first), 0);
  std::vector<std::wstring> firstLines = lines;
  lines.clear();
  // The second time a folder stands in the way of blocked.txt.
  ASSERT_TRUE(DeleteFileW((target / L"blocked.txt").c_str()));
  ASSERT_TRUE(CreateDirectoryW((target / L"blocked.txt").c_str(), nullptr));
  ExtractionReport second;
  ASSERT_EQ(ExtractArchive(archive.c_str(), target.path().c_str(), 0, &second), 0);

  EXPECT_EQ(firstLines, (std::vector<std::wstring>{L"Datei geschrieben: " + target / L"first.txt",
                                                   L"Datei geschrieben: " + target / L"blocked.txt",
                                                   L"Datei geschrieben: " + target / L"last.txt"}));
  EXPECT_EQ(first.written, 3u);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], L"Datei ersetzt: " + target / L"first.txt");
  std::wstring leftOut = L"Datei ausgelassen: " + target / L"blocked.txt" + L" (";
  EXPECT_EQ(lines[1].substr(0, leftOut.size()), leftOut);
  EXPECT_NE(lines[1].find(L"(Fehler "), std::wstring::npos) << lines[1];  // the system's text
  EXPECT_EQ(lines[2], L"Datei ersetzt: " + target / L"last.txt");
  EXPECT_EQ(second.replaced, 2u);
  EXPECT_EQ(second.leftOut.size(), 1u);
}

}  // namespace
