// The setup program's application object: chooses the wizard or the silent run.
#pragma once

#include <windows.h>

#include "engine/install_options.h"
#include "engine/run_outcome.h"
#include "framework/app.h"

class CWizPropertySheet;

class TheApp : public CWinApp {
 public:
  // The wizard branch runs the given sheet; without one it shows nothing.
  explicit TheApp(CWizPropertySheet* wizardSheet = nullptr) : wizardSheet_(wizardSheet) {}
  ~TheApp() override = default;

  // Runs one branch to its end; always FALSE.
  BOOL InitInstance() override;

  LOGFONTW titleLogFont = {};

 private:
  CWizPropertySheet* wizardSheet_;

  // The wizard reads one option: /allowdowngrade.
  RunOutcome RunWizard(const wchar_t* commandLine);
  RunOutcome RunSilent(const wchar_t* commandLine);
};

// The silent branch's defaults: an existing installation's folder, else the default folder
// with the settings under %APPDATA%.
void SetSilentDefaults(InstallOptions& options);
