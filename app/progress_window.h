// The small window a silent run shows with /progress: the setup's title, the current step
// and a bar over the archive's entries. It asks nothing and has no buttons. Everything
// runs on the setup's one thread: the window repaints whenever the run reports progress.
#pragma once

#include <windows.h>

#include <cstddef>

#include "framework/window.h"

class ProgressWindow {
 public:
  ProgressWindow() = default;
  // Closes the window and stops receiving the run's progress.
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Shows the window centred on the screen and receives the run's progress from now on.
  // False when it cannot be made; the run then goes on without it.
  bool Open(const wchar_t* title);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static void OnStep(unsigned textId);
  static void OnAdvance(size_t done, size_t total);

  bool CreateControls();
  // Font and children for dpi; returns the client height they need.
  int Layout(int dpi, int clientWidth);
  void OnDpiChanged(int dpi, const RECT& suggested);
  void PumpMessages();

  CFont font_;
  HWND window_ = nullptr;
  HWND text_ = nullptr;
  HWND bar_ = nullptr;
  int systemDpi_ = 96;
  size_t total_ = 0;
};
