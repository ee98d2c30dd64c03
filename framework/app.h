// The application object: one per process, started by WinMain through InitInstance.
#pragma once

#include <windows.h>

#include "framework/window.h"

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // Return FALSE to end the process at once (there is no message loop of our own).
  virtual BOOL InitInstance() { return FALSE; }

  static CWinApp* Current() { return current_; }

  // The window that stands for the application while it runs (the wizard sheet).
  CWnd* mainWindow = nullptr;
  // What the process returns to its caller.
  int exitCode = 0;

 private:
  static CWinApp* current_;
};

// Runs the application object's InitInstance and returns the process exit code.
int RunApplication();
