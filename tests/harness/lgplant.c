/* A library planted beside a program under the name of one the program or Windows loads
   (built as uxtheme.dll and msimg32.dll). Loading it is all it takes: DllMain leaves
   %LG_PLANTED_MARKERS%\planted-<its file name>.txt with the path of the program that
   loaded it. It exports nothing; a program that goes on to call into it may fail. */
#include <windows.h>

static void Append(wchar_t* text, const wchar_t* tail) {
  int used = lstrlenW(text), extra = lstrlenW(tail);
  if (used + extra < MAX_PATH) lstrcpyW(text + used, tail);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t marker[MAX_PATH], own[MAX_PATH], program[MAX_PATH];
  DWORD n = GetEnvironmentVariableW(L"LG_PLANTED_MARKERS", marker, MAX_PATH - 64);
  if (n == 0 || n >= MAX_PATH - 64) return TRUE;
  n = GetModuleFileNameW(self, own, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return TRUE;
  const wchar_t* name = own;
  for (const wchar_t* c = own; *c; ++c)
    if (*c == L'\\') name = c + 1;
  Append(marker, L"\\planted-");
  Append(marker, name);
  Append(marker, L".txt");
  n = GetModuleFileNameW(NULL, program, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) program[0] = L'\0';
  char text[3 * MAX_PATH];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, program, -1, text, sizeof(text), NULL, NULL);
  HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return TRUE;
  DWORD written = 0;
  if (bytes > 1) {
    text[bytes - 1] = '\n';
    WriteFile(file, text, (DWORD)bytes, &written, NULL);
  }
  CloseHandle(file);
  return TRUE;
}
