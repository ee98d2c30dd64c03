// What a run ended with, and the process exit code each outcome gives.
#pragma once

enum class RunOutcome {
  Installed,
  ViewerRunning,
  InvalidFolder,
  FolderNotCreated,
  ExtractionFailed,
  WizardAbandoned,
  FilesLeftOut,  // installed, but files held open elsewhere could not be written
};

// The one place that turns outcomes into exit codes (documented in the README).
constexpr int ExitCodeFor(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Installed: return 0;
    case RunOutcome::ViewerRunning: return 1;
    case RunOutcome::InvalidFolder: return 2;
    case RunOutcome::FolderNotCreated: return 3;
    case RunOutcome::ExtractionFailed: return 4;
    case RunOutcome::WizardAbandoned: return 5;
    case RunOutcome::FilesLeftOut: return 6;
  }
  return 5;
}
