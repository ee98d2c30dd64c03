/* Keeps a top-level window of the viewer's class "Lumagrove" open for the tests that
   need a running viewer; ends after the seconds given as its argument (default 60). */
#include <stdlib.h>
#include <windows.h>

int main(int argc, char** argv) {
  WNDCLASSW wc = {0};
  wc.lpfnWndProc = DefWindowProcW;
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
  while ((LONG)(until - GetTickCount()) > 0) {
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(50);
  }
  return 0;
}
