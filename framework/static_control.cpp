// Subclassing of one control for the custom labels, and the reflection of notifications.
#include "framework/static_control.h"

#include "framework/common_controls.h"
#include "framework/message_map.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

CStatic::~CStatic() { Detach(); }

bool CStatic::SubclassWindow(HWND control) {
  if (hwnd_ || !control) return false;
  hwnd_ = control;
  PreSubclassWindow();
  if (!comctl::SetWindowSubclass(control, SubclassProc, kSubclassId,
                                 reinterpret_cast<DWORD_PTR>(this))) {
    hwnd_ = nullptr;
    return false;
  }
  return true;
}

BOOL CStatic::DestroyWindow() { return hwnd_ ? ::DestroyWindow(hwnd_) : FALSE; }

bool CStatic::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CStatic::Default() {
  return comctl::DefSubclassProc(hwnd_, currentMessage_, currentWParam_, currentLParam_);
}

void CStatic::Detach() {
  if (hwnd_) comctl::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

LRESULT CStatic::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!child) return 0;
  return SendMessageW(child, kReflectBase + message, wParam, lParam);
}

LRESULT CALLBACK CStatic::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR reference) {
  CStatic* self = reinterpret_cast<CStatic*>(reference);
  if (message == WM_NCDESTROY) {
    self->Detach();
    return comctl::DefSubclassProc(window, message, wParam, lParam);
  }
  // Keep the outer message when a handler's own calls re-enter the procedure.
  UINT savedMessage = self->currentMessage_;
  WPARAM savedWParam = self->currentWParam_;
  LPARAM savedLParam = self->currentLParam_;
  self->currentMessage_ = message;
  self->currentWParam_ = wParam;
  self->currentLParam_ = lParam;
  LRESULT result = 0;
  bool handled = self->OnMessage(message, wParam, lParam, result);
  self->currentMessage_ = savedMessage;
  self->currentWParam_ = savedWParam;
  self->currentLParam_ = savedLParam;
  if (handled) return result;
  // Reflected notifications that the control does not want go nowhere.
  if (message >= kReflectBase && message < kReflectBase + 0x400) return 0;
  return comctl::DefSubclassProc(window, message, wParam, lParam);
}
