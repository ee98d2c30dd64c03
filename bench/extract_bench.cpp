// Times ExtractArchive on one archive: `extract_bench ARCHIVE TARGET RUNS`; prints one
// line per run with the seconds it took, measured inside the process.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

#include "engine/payload_extraction.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    fwprintf(stderr, L"usage: extract_bench ARCHIVE TARGET RUNS\n");
    return 2;
  }
  int runs = _wtoi(argv[3]);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  for (int i = 0; i < runs; ++i) {
    CreateDirectoryW(argv[2], nullptr);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    int status = ExtractArchive(argv[1], argv[2], 0);
    QueryPerformanceCounter(&end);
    SetCurrentDirectoryW(L"C:\\");
    if (status != 0) {
      fwprintf(stderr, L"extraction failed with %d\n", status);
      return 1;
    }
    wprintf(L"%.4f\n", static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    fflush(stdout);
  }
  return 0;
}
