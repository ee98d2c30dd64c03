#include "base/run_log.h"

namespace {
ProblemLogWriter problemWriter = nullptr;
const ProgressSink* progressSink = nullptr;
}  // namespace

void SetProblemLogWriter(ProblemLogWriter writer) { problemWriter = writer; }

void WriteProblemLog(const wchar_t* text) {
  if (problemWriter) problemWriter(text);
}

void SetProgressSink(const ProgressSink* sink) { progressSink = sink; }

void ReportProgressStep(unsigned textId) {
  if (progressSink && progressSink->step) progressSink->step(textId);
}

void ReportProgress(size_t done, size_t total) {
  if (progressSink && progressSink->advance) progressSink->advance(done, total);
}
