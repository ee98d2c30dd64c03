#include "app/progress_window.h"

#include <commctrl.h>

#include "base/handles.h"
#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "resources/resource_ids.h"

namespace {

constexpr wchar_t kClassName[] = L"LumagroveSetupProgress";
// The window is made without a system menu: no close button, nothing to ask.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION;
// Sizes at 96 dpi.
constexpr int kClientWidth = 380;
constexpr int kMargin = 14;
constexpr int kGap = 10;
constexpr int kBarHeight = 18;

// The one window that receives the sink's calls; the sink has no context of its own.
ProgressWindow* receiver = nullptr;

int Scale(int value, int dpi) { return MulDiv(value, dpi, 96); }

int SystemDpi() {
  ScreenDC screen;
  int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
  return dpi > 0 ? dpi : 96;
}

// The message font of the system settings, which come at the system's dpi.
LOGFONTW MessageFont(int dpi, int systemDpi) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW font = {};
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    font = metrics.lfMessageFont;
  else
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
  font.lfHeight = MulDiv(font.lfHeight, dpi, systemDpi);
  return font;
}

int TextHeight(HFONT font) {
  ScreenDC screen;
  TEXTMETRICW metrics = {};
  if (!screen.get()) return 16;
  HGDIOBJ previous = SelectObject(screen.get(), font);
  GetTextMetricsW(screen.get(), &metrics);
  SelectObject(screen.get(), previous);
  return metrics.tmHeight;
}

bool RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (GetClassInfoExW(instance, kClassName, &windowClass)) return true;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SETUP));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0;
}

// The primary monitor's work area; the whole screen when there is none.
RECT WorkArea() {
  RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info))
    area = info.rcWork;
  return area;
}

}  // namespace

ProgressWindow::~ProgressWindow() {
  if (receiver == this) {
    SetProgressSink(nullptr);
    receiver = nullptr;
  }
  if (window_) DestroyWindow(window_);
}

bool ProgressWindow::Open(const wchar_t* title) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (window_ || !RegisterWindowClass(instance, WindowProc)) return false;
  systemDpi_ = SystemDpi();
  // Made at its place and size once the controls know their height.
  window_ = CreateWindowExW(0, kClassName, title, kStyle, 0, 0, 0, 0, nullptr, nullptr,
                            instance, this);
  if (!window_ || !CreateControls()) return false;
  RECT frame = {0, 0, Scale(kClientWidth, systemDpi_), 0};
  frame.bottom = Layout(systemDpi_, frame.right);
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT area = WorkArea();
  SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  // The first show follows the starter's STARTUPINFO: a tool that starts us hidden gets no window.
  ShowWindow(window_, SW_SHOWNORMAL);
  UpdateWindow(window_);
  static const ProgressSink sink = {OnStep, OnAdvance};
  receiver = this;
  SetProgressSink(&sink);
  PumpMessages();
  return true;
}

bool ProgressWindow::CreateControls() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  DWORD textStyle = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  text_ = CreateWindowExW(0, L"STATIC", L"", textStyle, 0, 0, 0, 0, window_, nullptr, instance,
                          nullptr);
  bar_ = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, window_,
                         nullptr, instance, nullptr);
  return text_ && bar_;
}

int ProgressWindow::Layout(int dpi, int clientWidth) {
  LOGFONTW description = MessageFont(dpi, systemDpi_);
  // The text takes the new font before the old one is deleted.
  HFONT font = CreateFontIndirectW(&description);
  SendMessageW(text_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  font_.Attach(font);
  int margin = Scale(kMargin, dpi);
  int width = clientWidth - 2 * margin;
  int textHeight = TextHeight(font_.Get());
  int barTop = margin + textHeight + Scale(kGap, dpi);
  MoveWindow(text_, margin, margin, width, textHeight, TRUE);
  MoveWindow(bar_, margin, barTop, width, Scale(kBarHeight, dpi), TRUE);
  return barTop + Scale(kBarHeight, dpi) + margin;
}

void ProgressWindow::OnDpiChanged(int dpi, const RECT& suggested) {
  SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
               suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(window_, &client);
  Layout(dpi, client.right);
}

void ProgressWindow::PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for whoever loops next
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void ProgressWindow::OnStep(unsigned textId) {
  if (!receiver) return;
  wchar_t text[kMaxPath];
  LoadResourceString(textId, text, kMaxPath);
  SetWindowTextW(receiver->text_, text);
  receiver->PumpMessages();
}

void ProgressWindow::OnAdvance(size_t done, size_t total) {
  if (!receiver) return;
  HWND bar = receiver->bar_;
  // The bar counts in int; an archive's entries fit, but stay safe for any total.
  constexpr size_t kLimit = 0x7FFFFFFF;
  if (total > kLimit) {
    done = static_cast<size_t>(static_cast<unsigned long long>(done) * kLimit / total);
    total = kLimit;
  }
  if (total != receiver->total_) {
    receiver->total_ = total;
    SendMessageW(bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
  }
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(done), 0);
  receiver->PumpMessages();
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_CLOSE:
      return 0;  // the run ends the window, nobody else
    case WM_DPICHANGED:
      if (self) self->OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_NCDESTROY:
      if (self) self->window_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
