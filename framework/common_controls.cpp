#include "framework/common_controls.h"

#include "base/system_helpers.h"
#include "base/text_rules.h"

namespace {

HMODULE LoadSystemLibrary(const wchar_t* name) {
  HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module || GetLastError() != ERROR_INVALID_PARAMETER) return module;
  // Windows 7 without the search-flag update: the system folder's own copy by its full
  // path, its imports from that folder first. Version 6 needs the name, so no visual styles.
  wchar_t path[kMaxPath];
  if (!SystemLibraryPath(name, path, kMaxPath)) return nullptr;
  return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

// Loaded once and kept for the life of the process, as a static import would be.
HMODULE CommonControls() {
  static const HMODULE module = [] {
    HMODULE controls = LoadSystemLibrary(L"comctl32.dll");
    // uxtheme, which comes with comctl32, loads msimg32 when it first draws. Wine resolves
    // such delayed imports of its own libraries through the search path the process
    // started with, the program's folder first, whatever SetDefaultDllDirectories said.
    // Loaded here from the system folder, msimg32 is then found already loaded.
    if (controls) LoadSystemLibrary(L"msimg32.dll");
    return controls;
  }();
  return module;
}

template <typename Fn>
Fn Entry(const char* name) {
  HMODULE module = CommonControls();
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

}  // namespace

namespace comctl {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
  static const auto fn = Entry<decltype(&::InitCommonControlsEx)>("InitCommonControlsEx");
  return fn ? fn(controls) : FALSE;
}

INT_PTR PropertySheetW(const PROPSHEETHEADERW* header) {
  static const auto fn = Entry<decltype(&::PropertySheetW)>("PropertySheetW");
  return fn ? fn(header) : -1;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR reference) {
  static const auto fn = Entry<decltype(&::SetWindowSubclass)>("SetWindowSubclass");
  return fn ? fn(window, proc, id, reference) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  static const auto fn = Entry<decltype(&::RemoveWindowSubclass)>("RemoveWindowSubclass");
  return fn ? fn(window, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const auto fn = Entry<decltype(&::DefSubclassProc)>("DefSubclassProc");
  if (!fn) return DefWindowProcW(window, message, wParam, lParam);
  return fn(window, message, wParam, lParam);
}

}  // namespace comctl
