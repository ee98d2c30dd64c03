// The few comctl32 functions the framework uses. comctl32 is not one of the libraries that
// Windows always takes from the system folder, and a static import would be resolved
// before the program can restrict the search path: a comctl32 or uxtheme.dll planted
// beside the elevated setup would run. So it is loaded on first use, by name (the
// manifest's version 6 applies) and from the system folder only.
#pragma once

#include <windows.h>
#include <commctrl.h>

namespace comctl {

// Each fails as its comctl32 function does when comctl32 cannot be loaded.
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls);
INT_PTR PropertySheetW(const PROPSHEETHEADERW* header);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR reference);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
// Without comctl32 no subclass exists, and this is DefWindowProcW.
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace comctl
