#include "app/the_app.h"

#include <commctrl.h>

#include "app/exit_codes.h"
#include "app/install_log.h"
#include "app/options.h"
#include "base/handles.h"
#include "base/option_rules.h"
#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "base/viewer_check.h"
#include "engine/install_run.h"
#include "resources/resource_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"

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
  SetProblemLogWriter(WriteInstallLog);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  const wchar_t* commandLine = GetCommandLineW();
  RunOutcome outcome = HasSilentSwitch(commandLine) ? RunSilent(commandLine) : RunWizard();
  exitCode = ExitCodeFor(outcome);
  return FALSE;
}

namespace {

// The viewer of the target folder, or any viewer window, still runs; with /closeviewer=N
// after asking it to close and waiting for it.
bool ViewerStillRunning(const wchar_t* commandLine, const wchar_t* targetFolder) {
  DeploymentOptions deployment;
  ReadDeploymentOptions(commandLine, deployment);
  return !CloseRunningViewers(targetFolder, deployment.closeViewerSeconds);
}

}  // namespace

RunOutcome TheApp::RunSilent(const wchar_t* commandLine) {
  InstallOptions options;
  SetSilentDefaults(options);
  ReadCommandLineOptions(commandLine, options);
  if (ViewerStillRunning(commandLine, options.targetFolder)) {
    wchar_t message[kMaxPath];
    LoadResourceString(IDS_VIEWER_RUNNING, message, kMaxPath);
    WriteInstallLog(message);
    return RunOutcome::ViewerRunning;
  }
  RunOutcome outcome = RunOutcome::Installed;
  RunInstallation(options, &outcome);
  return outcome;
}

RunOutcome TheApp::RunWizard() {
  if (!wizardSheet_) return RunOutcome::WizardAbandoned;
  CWizPropertySheet& sheet = *wizardSheet_;
  titleLogFont = {};
  int dpi = 96;
  {
    ScreenDC screen;
    if (screen.get()) dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
  }
  titleLogFont.lfHeight = MulDiv(18, dpi, 96);
  titleLogFont.lfWeight = FW_BOLD;
  titleLogFont.lfQuality = ANTIALIASED_QUALITY;
  CopyText(titleLogFont.lfFaceName, LF_FACESIZE, L"Arial");
  sheet.titleFont.Attach(CreateFontIndirectW(&titleLogFont));
  sheet.fileTypeList = nullptr;

  CWizPropertyPage pages[] = {CWizPropertyPage(IDD_WELCOME), CWizPropertyPage(IDD_WHATS_NEW),
                              CWizPropertyPage(IDD_ASSOCIATIONS), CWizPropertyPage(IDD_READY),
                              CWizPropertyPage(IDD_FINISH)};
  for (CWizPropertyPage& page : pages) {
    sheet.AddPage(&page);
    page.sheet = &sheet;
  }
  mainWindow = &sheet;
  sheet.DoModal();
  mainWindow = nullptr;
  return sheet.installationSucceeded ? RunOutcome::Installed : RunOutcome::WizardAbandoned;
}
