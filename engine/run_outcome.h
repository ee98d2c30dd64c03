// What an installation run ended with (app/exit_codes.h turns it into the exit code).
#pragma once

enum class RunOutcome {
  Installed,
  ViewerRunning,
  InvalidFolder,
  FolderNotCreated,
  ExtractionFailed,
  WizardAbandoned,
  FilesLeftOut,  // installed, but files held open elsewhere could not be written
  NewerVersionInstalled,  // a newer version is registered: nothing installed
  LinkRefused,  // the target or one of its payload folders is a link: stopped there
  RestartRequired,  // installed; files held open are replaced at the next restart
};
