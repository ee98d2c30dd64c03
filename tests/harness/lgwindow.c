/* Keeps a top-level window of the viewer's class "Lumagrove" open for the tests that
   need a running viewer: lgwindow.exe [SECONDS] [refuse]. Ends after the seconds (default
   60) or when its window is closed; with "refuse" it ignores WM_CLOSE, as a viewer
   that will not close. */
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static LRESULT CALLBACK RefusingProc(HWND w, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(w, message, wp, lp);
}

int main(int argc, char** argv) {
  int refuse = argc > 2 && strcmp(argv[2], "refuse") == 0;
  WNDCLASSW wc = {0};
  wc.lpfnWndProc = refuse ? RefusingProc : DefWindowProcW;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"Lumagrove";
  if (!RegisterClassW(&wc)) return 2;
  HWND w = CreateWindowW(L"Lumagrove", L"Lumagrove", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL,
                         NULL, wc.hInstance, NULL);
  if (!w) return 3;
  /* Tells the test that the window is there. */
  HANDLE ready = CreateFileW(L"C:\\lgwindow.ready", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
  DWORD ms = (argc > 1 ? (DWORD)atoi(argv[1]) : 60) * 1000;
  DWORD until = GetTickCount() + ms;
  MSG msg;
  while ((LONG)(until - GetTickCount()) > 0 && IsWindow(w)) {
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
  }
  return 0;
}
