// Where a run's problems and its progress go. Each program's start-up installs the
// receivers, so the layers below report without knowing which file or window (or none)
// receives them.
#pragma once

#include <cstddef>

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
