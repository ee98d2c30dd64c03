// The window base's helpers and the font and DPI queries shared by the controls.
#include "framework/window.h"

int CWnd::GetDlgItemText(int id, wchar_t* text, int capacity) const {
  if (capacity <= 0) return 0;
  text[0] = L'\0';
  UINT n = ::GetDlgItemTextW(hwnd_, id, text, capacity);
  text[capacity - 1] = L'\0';
  return static_cast<int>(n);
}

LOGFONTW WindowFontDescription(HWND window) {
  HGDIOBJ font = window ? reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0))
                        : nullptr;
  if (!font) font = GetStockObject(DEFAULT_GUI_FONT);
  if (!font) font = GetStockObject(SYSTEM_FONT);
  LOGFONTW description = {};
  if (font) GetObjectW(font, sizeof(description), &description);
  return description;
}

int GetWindowDpi(HWND window) {
  HDC dc = GetDC(window);
  if (!dc) return 96;
  int dpi = GetDeviceCaps(dc, LOGPIXELSX);
  ReleaseDC(window, dc);
  return dpi > 0 ? dpi : 96;
}
