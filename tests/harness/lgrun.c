/* Starts the command line in LG_COMMAND_LINE exactly as written, from the folder in
   LG_START_FOLDER, waits for it and returns its exit code (255 when it cannot start).
   A Unix exit status keeps only 8 bits, so the whole code (3010 is one) is also printed
   as the line "lgrun-exit-code N". */
#include <stdio.h>
#include <windows.h>

int main(void) {
  static wchar_t line[32768];
  static wchar_t folder[MAX_PATH];
  if (!GetEnvironmentVariableW(L"LG_COMMAND_LINE", line, 32768)) return 255;
  DWORD hasFolder = GetEnvironmentVariableW(L"LG_START_FOLDER", folder, MAX_PATH);
  STARTUPINFOW si;
  ZeroMemory(&si, sizeof(si));
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(NULL, line, NULL, NULL, FALSE, 0, NULL, hasFolder ? folder : NULL, &si,
                      &pi))
    return 255;
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 255;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  printf("lgrun-exit-code %lu\n", (unsigned long)code);
  fflush(stdout);
  return (int)code;
}
