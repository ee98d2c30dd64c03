#include "base/run_log.h"

#include <cstdarg>
#include <cwchar>

namespace {
ProblemLogWriter problemWriter = nullptr;
const ProgressSink* progressSink = nullptr;
StepLogWriter stepWriter = nullptr;
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

void SetStepLogWriter(StepLogWriter writer) { stepWriter = writer; }

bool StepLogActive() { return stepWriter != nullptr; }

void LogStep(const wchar_t* format, ...) {
  if (!stepWriter) return;
  wchar_t line[kStepLineChars];
  line[0] = L'\0';
  va_list args;
  va_start(args, format);
  int n = vswprintf(line, kStepLineChars, format, args);
  va_end(args);
  // A line too long for the buffer is kept as far as it went, always terminated.
  if (n < 0) line[kStepLineChars - 1] = L'\0';
  stepWriter(line);
}
