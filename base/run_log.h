// Where a run's problems go. Each program's start-up installs the writer, so the layers
// below report without knowing which file (or none) receives the text.
#pragma once

using ProblemLogWriter = void (*)(const wchar_t* text);

// Until a writer is installed, problems of silent runs go nowhere.
void SetProblemLogWriter(ProblemLogWriter writer);

// One problem of a silent run.
void WriteProblemLog(const wchar_t* text);
