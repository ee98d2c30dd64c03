// The full log of a setup run (/log=PATH), silent or wizard: the header and the deployment
// options first, every failure-log entry as it is written, the outcome last. The steps in
// between come from the layers below through base/run_log.h.
#pragma once

#include "base/step_log.h"
#include "engine/run_outcome.h"

// Opens the log that /log= names and writes the header. A path cut short by the line limit
// is not used (it names a file nobody asked for); a log that cannot be opened leaves the
// run without one, and nothing else changes.
void StartFullLog(const wchar_t* commandLine, bool silent, StepLog& log);

// The problem writer of silent runs: the entry goes to the failure log as it always has,
// and the full log notes it with the failure log's path.
void WriteProblemEntry(const wchar_t* message);

// The outcome in words, with the exit code.
void LogOutcome(RunOutcome outcome, int exitCode);

// A few German words for each outcome.
const wchar_t* OutcomeText(RunOutcome outcome);
