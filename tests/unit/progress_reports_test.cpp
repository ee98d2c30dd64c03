// What a run tells its progress sink: the archive walk one report per entry it got past,
// the installation its steps in the order they happen.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "base/run_log.h"
#include "engine/install_run.h"
#include "engine/payload_extraction.h"
#include "integration_support.h"
#include "payload_files.h"
#include "resources/resource_ids.h"
#include "test_support.h"

namespace {

std::vector<unsigned> steps;
std::vector<std::pair<size_t, size_t>> advances;

void RecordStep(unsigned textId) { steps.push_back(textId); }
void RecordAdvance(size_t done, size_t total) { advances.emplace_back(done, total); }

class ProgressReports : public testing::Test {
 protected:
  ProgressReports() : target_(L"progress") {
    steps.clear();
    advances.clear();
    static const ProgressSink sink = {RecordStep, RecordAdvance};
    SetProgressSink(&sink);
  }
  ~ProgressReports() override { SetProgressSink(nullptr); }

  static std::vector<std::pair<size_t, size_t>> Counting(size_t done, size_t total) {
    std::vector<std::pair<size_t, size_t>> expected;
    for (size_t i = 1; i <= done; ++i) expected.emplace_back(i, total);
    return expected;
  }

  test::CurrentFolderGuard restore_;
  test::ScratchFolder target_;
};

TEST_F(ProgressReports, TheWalkCountsEveryEntryUpToAFault) {
  struct Case {
    const wchar_t* archive;
    size_t reported, entries;
  } cases[] = {
      {L"layout.zip", 9, 9},      // folders count as entries too
      {L"empty.zip", 0, 0},
      {L"blocked.zip", 3, 3},     // a file left out still counts as passed
      {L"crc_error.zip", 1, 3},   // ok.txt, then bad.txt fails
      {L"corrupt_data.zip", 1, 3},
  };
  for (const Case& c : cases) {
    target_.Clear();
    advances.clear();
    CreateDirectoryW((target_ / L"blocked.txt").c_str(), nullptr);  // in blocked.zip's way
    ExtractionReport report;
    ExtractArchive(test::FixturePath(c.archive).c_str(), target_.path().c_str(), 0, &report);
    EXPECT_EQ(advances, Counting(c.reported, c.entries)) << c.archive;
  }
  EXPECT_TRUE(steps.empty());  // steps are the run's business, not the walk's
}

TEST_F(ProgressReports, AnInstallationNamesItsStepsInOrderAndCountsThePayload) {
  if (!FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_PAYLOAD), L"ZIP")) GTEST_SKIP() << "no payload";
  InstallOptions options;
  wcscpy(options.targetFolder, target_.path().c_str());
  wcscpy(options.setupTitle, L"Lumagrove Test Setup");
  options.silentMode = 1;
  RunOutcome outcome = RunOutcome::InvalidFolder;
  EXPECT_EQ(RunInstallation(options, &outcome), 1);
  itest::RemoveIntegration();
  EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(RunOutcome::Installed));
  EXPECT_EQ(steps, (std::vector<unsigned>{IDS_STEP_EXTRACTING, IDS_STEP_SETTINGS, IDS_STEP_LINKS,
                                          IDS_STEP_FILE_TYPES}));
  EXPECT_EQ(advances, Counting(kPayloadEntryCount, kPayloadEntryCount));

  // A run that stops before the extraction has no step to show.
  steps.clear();
  advances.clear();
  options.targetFolder[0] = L'\0';
  RunInstallation(options, &outcome);
  EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(RunOutcome::InvalidFolder));
  EXPECT_TRUE(steps.empty());
  EXPECT_TRUE(advances.empty());
}

}  // namespace
