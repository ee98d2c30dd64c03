// Thin window objects over Win32 handles: the window base and the font owner.
//
// Classes in this file:
//   CWnd   the handle of one window and the dialog-item calls the pages and the sheet use
//   CFont  an owned HFONT, deleted with the object
#pragma once

#include <windows.h>

#include "base/handles.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND GetSafeHwnd() const { return hwnd_; }

  HWND GetDlgItem(int id) const { return ::GetDlgItem(hwnd_, id); }
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageW(hwnd_, id, message, wParam, lParam);
  }
  // Reads at most capacity - 1 characters; the text is always terminated.
  int GetDlgItemText(int id, wchar_t* text, int capacity) const;
  void SetDlgItemText(int id, const wchar_t* text) const { ::SetDlgItemTextW(hwnd_, id, text); }
  bool IsDlgButtonChecked(int id) const {
    return ::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED;
  }
  void CheckDlgButton(int id, bool checked) const {
    ::CheckDlgButton(hwnd_, id, checked ? BST_CHECKED : BST_UNCHECKED);
  }
  void EnableDlgItem(int id, bool enable) const { ::EnableWindow(GetDlgItem(id), enable); }
  int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const {
    return ::MessageBoxW(hwnd_, text, caption, type);
  }

 protected:
  HWND hwnd_ = nullptr;
};

class CFont {
 public:
  CFont() = default;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  bool CreateFontIndirect(const LOGFONTW& description) {
    font_.reset(::CreateFontIndirectW(&description));
    return static_cast<bool>(font_);
  }
  // Takes ownership of a font made elsewhere.
  void Attach(HFONT font) { font_.reset(font); }
  void DeleteObject() { font_.reset(); }
  HFONT Get() const { return static_cast<HFONT>(font_.get()); }

 private:
  UniqueGdiObject font_;
};

// The description of the font a window draws with: its own font, else the stock GUI font,
// else the variable-pitch system font.
LOGFONTW WindowFontDescription(HWND window);

// LOGPIXELSX of the window's device context, or 96 when there is none.
int GetWindowDpi(HWND window);
