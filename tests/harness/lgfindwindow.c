/* Waits for a top-level window of a class on the desktop it runs on:
   lgfindwindow.exe CLASS SECONDS. Exit code 0 once FindWindowW sees one, 1 when none came
   within the seconds (0: look once). */
#include <stdlib.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  DWORD until = GetTickCount() + (DWORD)_wtoi(argv[2]) * 1000;
  for (;;) {
    if (FindWindowW(argv[1], NULL)) return 0;
    if ((LONG)(until - GetTickCount()) <= 0) return 1;
    Sleep(100);
  }
}
