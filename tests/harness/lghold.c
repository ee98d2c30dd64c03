/* Holds files open without sharing, as a running program would, for the tests of files
   that cannot be replaced: lghold.exe READY-MARKER SECONDS FILE... Opens every FILE
   (creating it when missing, keeping its contents), then creates the marker and keeps
   the handles for the seconds given. No window: a program bringing up its first window
   can stall another one that starts at the same time. */
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  for (int i = 3; i < argc; ++i) {
    HANDLE held = CreateFileW(argv[i], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (held == INVALID_HANDLE_VALUE) return 3;  /* the handles close when the process ends */
  }
  HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (ready == INVALID_HANDLE_VALUE) return 4;
  CloseHandle(ready);
  Sleep((DWORD)_wtoi(argv[2]) * 1000);
  return 0;
}
