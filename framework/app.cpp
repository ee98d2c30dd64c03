#include "framework/app.h"

CWinApp* CWinApp::current_ = nullptr;

CWinApp::CWinApp() { current_ = this; }

CWinApp::~CWinApp() {
  if (current_ == this) current_ = nullptr;
}

int RunApplication() {
  CWinApp* app = CWinApp::Current();
  if (!app) return 1;
  app->InitInstance();
  return app->exitCode;
}
