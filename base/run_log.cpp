#include "base/run_log.h"

namespace {
ProblemLogWriter problemWriter = nullptr;
}  // namespace

void SetProblemLogWriter(ProblemLogWriter writer) { problemWriter = writer; }

void WriteProblemLog(const wchar_t* text) {
  if (problemWriter) problemWriter(text);
}
