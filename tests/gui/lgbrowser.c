/* Stand-in web browser for the wizard tests: appends the URL it is given (its first
   argument) to C:\lgbrowser.log and ends. */
#include <stdio.h>
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  FILE* log = _wfopen(L"C:\\lgbrowser.log", L"ab");
  if (!log) return 1;
  char url[4096] = "";
  if (argc > 1) WideCharToMultiByte(CP_UTF8, 0, argv[1], -1, url, sizeof(url), NULL, NULL);
  fprintf(log, "%s\n", url);
  fclose(log);
  return 0;
}
