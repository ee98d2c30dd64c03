// The link label: colours, hover underline, hand cursor and opening the URL.
#include "controls/hyperlink.h"

#include <shellapi.h>

#include "base/handles.h"
#include "base/text_rules.h"
#include "controls/label_rules.h"

const MessageEntry<CHyperLink> CHyperLink::kMessageMap[] = {
    OnReflectedCtlColor<&CHyperLink::CtlColor>(),
    OnAnyMessage<&CHyperLink::OnSetCursor>(WM_SETCURSOR),
    OnAnyMessage<&CHyperLink::OnMouseMove>(WM_MOUSEMOVE),
    OnAnyMessage<&CHyperLink::OnTimer>(WM_TIMER),
    OnReflectedCommand<&CHyperLink::OnClicked>(STN_CLICKED),
    OnAnyMessage<&CHyperLink::OnEraseBackground>(WM_ERASEBKGND),
};

CHyperLink::~CHyperLink() {
  if (handCursor) DestroyCursor(handCursor);
}

bool CHyperLink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return RouteMessage(*this, kMessageMap, message, wParam, lParam, result) ||
         CStatic::OnMessage(message, wParam, lParam, result);
}

void CHyperLink::SetLinkUrl(const wchar_t* link) {
  CopyText(url, 2 * MAX_PATH, link);
  if (hwnd_) FitWindowToText();
}

void CHyperLink::SetUnderlineMode(int mode) {
  if (mode == underlineMode) return;
  if (hwnd_) {
    SelectFont(mode == UnderlineAlways ? underlineFont : standardFont);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  underlineMode = mode;
}

BOOL CHyperLink::DestroyWindow() {
  if (hwnd_) KillTimer(hwnd_, hoverTimerId);
  return CStatic::DestroyWindow();
}

void CHyperLink::SelectFont(const CFont& font) {
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
}

void CHyperLink::PreSubclassWindow() {
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) | SS_NOTIFY);
  wchar_t text[2 * MAX_PATH];
  GetWindowTextW(hwnd_, text, 2 * MAX_PATH);
  if (url[0] == L'\0') CopyText(url, 2 * MAX_PATH, text);
  if (text[0] == L'\0') SetWindowTextW(hwnd_, url);
  LOGFONTW description = WindowFontDescription(hwnd_);
  standardFont.CreateFontIndirect(description);
  description.lfUnderline = TRUE;
  underlineFont.CreateFontIndirect(description);
  FitWindowToText();
  LoadHandCursor();
  SetUnderlineMode(UnderlineHover);
}

HBRUSH CHyperLink::CtlColor(HDC dc) {
  COLORREF colour = mouseOver ? hoverColour : visited ? visitedColour : linkColour;
  SetTextColor(dc, colour);
  SetBkMode(dc, TRANSPARENT);
  return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

bool CHyperLink::OnSetCursor(WPARAM, LPARAM, LRESULT& result) {
  if (!handCursor) return false;
  SetCursor(handCursor);
  result = TRUE;
  return true;
}

bool CHyperLink::OnMouseMove(WPARAM, LPARAM, LRESULT& result) {
  if (!mouseOver) {
    mouseOver = 1;
    if (underlineMode == UnderlineHover) SelectFont(underlineFont);
    InvalidateRect(hwnd_, nullptr, TRUE);
    SetTimer(hwnd_, hoverTimerId, 100, nullptr);
  }
  result = Default();
  return true;
}

bool CHyperLink::OnTimer(WPARAM, LPARAM, LRESULT& result) {
  DWORD pos = GetMessagePos();
  POINT cursor = {static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
  ScreenToClient(hwnd_, &cursor);
  RECT client;
  GetClientRect(hwnd_, &client);
  if (!PtInRect(&client, cursor)) {
    mouseOver = 0;
    KillTimer(hwnd_, hoverTimerId);
    if (underlineMode != UnderlineAlways) SelectFont(standardFont);
    InvalidateRect(hwnd_, nullptr, TRUE);
  }
  result = Default();
  return true;
}

bool CHyperLink::OnEraseBackground(WPARAM wParam, LPARAM, LRESULT& result) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
  result = TRUE;
  return true;
}

void CHyperLink::OnClicked() {
  mouseOver = 0;
  INT_PTR opened = OpenLink(url);
  visited = static_cast<int32_t>(opened) > 32;
  if (!visited)
    MessageBeep(MB_ICONEXCLAMATION);
  else
    InvalidateRect(hwnd_, nullptr, TRUE);
}

INT_PTR CHyperLink::OpenLink(const wchar_t* link) {
  INT_PTR shell = reinterpret_cast<INT_PTR>(
      ShellExecuteW(GetDesktopWindow(), L"open", link, nullptr, nullptr, SW_SHOWNORMAL));
  if (shell > 32) return shell;

  // No handler for the URL itself: ask the .htm handler's open command.
  UniqueKey typeKey;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L".htm", 0, KEY_READ, typeKey.put()) != ERROR_SUCCESS)
    return shell;
  wchar_t keyName[MAX_PATH + 32] = {};
  DWORD bytes = MAX_PATH * sizeof(wchar_t);
  if (RegQueryValueExW(typeKey.get(), nullptr, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(keyName), &bytes) != ERROR_SUCCESS)
    return shell;
  keyName[MAX_PATH - 1] = L'\0';
  AppendText(keyName, MAX_PATH + 32, L"\\shell\\open\\command");
  UniqueKey commandKey;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, keyName, 0, KEY_READ, commandKey.put()) != ERROR_SUCCESS)
    return shell;
  wchar_t handler[MAX_PATH] = {};
  bytes = (MAX_PATH - 1) * sizeof(wchar_t);
  if (RegQueryValueExW(commandKey.get(), nullptr, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(handler), &bytes) != ERROR_SUCCESS)
    return shell;
  wchar_t command[3 * MAX_PATH];
  if (!BuildBrowserCommand(handler, link, command, 3 * MAX_PATH)) return shell;
  char ansi[6 * MAX_PATH];
  if (!WideCharToMultiByte(CP_THREAD_ACP, 0, command, -1, ansi, sizeof(ansi), nullptr, nullptr))
    return shell;
  return static_cast<INT_PTR>(WinExec(ansi, SW_SHOW));
}

void CHyperLink::FitWindowToText() {
  if (!hwnd_ || !adjustToFit) return;
  HWND parent = GetParent(hwnd_);
  RECT window, client;
  GetWindowRect(hwnd_, &window);
  GetClientRect(hwnd_, &client);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&window), 2);
  MapWindowPoints(hwnd_, parent, reinterpret_cast<POINT*>(&client), 2);

  wchar_t text[2 * MAX_PATH];
  int length = GetWindowTextW(hwnd_, text, 2 * MAX_PATH);
  SIZE extent = {};
  if (HDC dc = GetDC(hwnd_)) {
    HGDIOBJ old = SelectObject(dc, underlineFont.Get());
    GetTextExtentPoint32W(dc, text, length, &extent);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
  }
  LabelRect fitted = FitLabelRect({window.left, window.top, window.right, window.bottom},
                                  {client.left, client.top, client.right, client.bottom},
                                  extent.cx, extent.cy,
                                  static_cast<uint32_t>(GetWindowLongPtrW(hwnd_, GWL_STYLE)));
  SetWindowPos(hwnd_, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
               fitted.bottom - fitted.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHyperLink::LoadHandCursor() {
  if (handCursor) return;
  wchar_t path[MAX_PATH];
  UINT n = GetWindowsDirectoryW(path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return;
  if (!AppendBackslash(path, MAX_PATH) || !AppendText(path, MAX_PATH, L"winhlp32.exe")) return;
  UniqueModule help(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!help) return;
  if (HCURSOR cursor = LoadCursorW(help.get(), MAKEINTRESOURCEW(106)))
    handCursor = static_cast<HCURSOR>(CopyImage(cursor, IMAGE_CURSOR, 0, 0, 0));
}
