// One whole installation from a filled InstallOptions record.
#pragma once

#include "engine/install_options.h"
#include "engine/run_outcome.h"

// 1 when the installation went through, 0 when it stopped with message 5, 11, 7 or 14.
// The outcome, when asked for, says which of them (or the success) it was.
int RunInstallation(InstallOptions& options, RunOutcome* outcome = nullptr);

// A problem of the run: a message box in a wizard run, one log entry in a silent run.
void ReportProblem(const InstallOptions& options, const wchar_t* text);

// Every field of the record, one log line each, for the run's full log.
void LogInstallOptions(const InstallOptions& options);
