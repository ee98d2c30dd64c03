#include "app/the_app.h"

#include <commctrl.h>

#include "app/install_log.h"
#include "app/options.h"
#include "app/system_helpers.h"
#include "app/text_rules.h"
#include "engine/install_run.h"
#include "resources/resource_ids.h"

bool IsViewerRunning() { return FindWindowW(L"Lumagrove", nullptr) != nullptr; }

void SetSilentDefaults(InstallOptions& options) {
  CopyText(options.setupTitle, kMaxPath, kSetupTitle);
  options.targetFolder[0] = L'\0';
  options.iniFolder[0] = L'\0';
  if (!FindExistingInstallation(options.targetFolder)) {
    GetDefaultInstallFolder(options.targetFolder);
    CopyText(options.iniFolder, kLongPath, kDefaultIniFolder);
  }
  for (int32_t& entry : options.associationSelection) entry = 0;
  options.associationMode = 0;
  options.silentMode = 1;
}

BOOL TheApp::InitInstance() {
  HardenDllSearchPath();
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const wchar_t* commandLine = GetCommandLineW();
  RunOutcome outcome = HasSilentSwitch(commandLine) ? RunSilent(commandLine) : RunWizard();
  exitCode = ExitCodeFor(outcome);
  return FALSE;
}

RunOutcome TheApp::RunSilent(const wchar_t* commandLine) {
  if (IsViewerRunning()) {
    wchar_t message[kMaxPath];
    LoadResourceString(IDS_VIEWER_RUNNING, message, kMaxPath);
    WriteInstallLog(message);
    return RunOutcome::ViewerRunning;
  }
  InstallOptions options;
  SetSilentDefaults(options);
  ReadCommandLineOptions(commandLine, options);
  RunOutcome outcome = RunOutcome::Installed;
  RunInstallation(options, &outcome);
  return outcome;
}

RunOutcome TheApp::RunWizard() {
  // The wizard pages come with their own sheet; until then nothing is shown.
  return RunOutcome::WizardAbandoned;
}
