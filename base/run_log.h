// Where a run's problems and its progress go. Each program's start-up installs the
// receivers, so the layers below report without knowing which file or window (or none)
// receives them.
#pragma once

#include <cstddef>

// The longest step line in characters; a longer one is cut.
inline constexpr size_t kStepLineChars = 2048;

using ProblemLogWriter = void (*)(const wchar_t* text);

// Until a writer is installed, problems of silent runs go nowhere.
void SetProblemLogWriter(ProblemLogWriter writer);

// One problem of a silent run.
void WriteProblemLog(const wchar_t* text);

// Receives how far a run has come. A step is named by the id of its text in the
// program's string table: the engine need not load texts that nobody shows.
struct ProgressSink {
  void (*step)(unsigned textId);
  void (*advance)(size_t done, size_t total);
};

// Until a sink is installed (and again after nullptr), progress goes nowhere.
void SetProgressSink(const ProgressSink* sink);

// A new step of the run begins.
void ReportProgressStep(unsigned textId);

// done of total units of the current step are finished.
void ReportProgress(size_t done, size_t total);

// Receives the steps of a run for its full log (/log=PATH): one line of text per step.
using StepLogWriter = void (*)(const wchar_t* line);

// Until a writer is installed (and again after nullptr), steps go nowhere.
void SetStepLogWriter(StepLogWriter writer);

// Whether steps are written at all: work done only for the log can be skipped.
bool StepLogActive();

// One step, formatted by swprintf rules (%ls for texts, %d, %lu) into at most
// kStepLineChars - 1 characters. The format is always a literal of the caller's; names,
// paths and messages are only ever arguments.
void LogStep(const wchar_t* format, ...);
