// The process exit code of each outcome of the setup (documented in the README).
#pragma once

#include "engine/run_outcome.h"

// The one place that turns outcomes into exit codes.
constexpr int ExitCodeFor(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::Installed: return 0;
    case RunOutcome::ViewerRunning: return 1;
    case RunOutcome::InvalidFolder: return 2;
    case RunOutcome::FolderNotCreated: return 3;
    case RunOutcome::ExtractionFailed: return 4;
    case RunOutcome::WizardAbandoned: return 5;
    case RunOutcome::FilesLeftOut: return 6;
    case RunOutcome::LinkRefused: return 7;
    case RunOutcome::NewerVersionInstalled: return 8;
    case RunOutcome::RestartRequired: return 3010;
  }
  return 5;
}
