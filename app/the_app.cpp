#include "app/the_app.h"

#include "app/exit_codes.h"
#include "app/full_log.h"
#include "app/install_log.h"
#include "app/options.h"
#include "app/progress_window.h"
#include "base/handles.h"
#include "base/option_rules.h"
#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "base/viewer_check.h"
#include "engine/install_run.h"
#include "engine/version_rules.h"
#include "framework/common_controls.h"
#include "integration/install_paths.h"
#include "integration/registration.h"
#include "resources/resource_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"
#include "wizard/wizard_rules.h"

namespace {

// A newer registered version is not replaced by this one unless /allowdowngrade says so.
// The refusal goes to the log in a silent run and into a message box before the wizard.
bool RefuseDowngrade(const wchar_t* commandLine, bool silent) {
  DeploymentOptions deployment;
  ReadDeploymentOptions(commandLine, deployment);
  wchar_t installed[kMaxPath];
  bool registered = ReadRegisteredVersion(installed, kMaxPath);
  if (registered) LogStep(L"Registrierte Version (DisplayVersion): %ls", installed);
  if (deployment.allowDowngrade || !registered ||
      !IsNewerProductVersion(installed, kVersionMajor, kVersionMinor))
    return false;
  wchar_t format[kLongPath];
  LoadResourceString(IDS_NEWER_VERSION, format, kLongPath);
  // The registered text is data, never a format: it only fills the placeholder.
  const wchar_t* args[] = {installed};
  wchar_t message[kLongPath];
  FormatTemplateText(format, args, 1, message, kLongPath);
  if (silent) {
    WriteProblemLog(message);
  } else {
    LogStep(L"Meldung angezeigt: %ls", message);
    MessageBoxW(nullptr, message, kSetupTitle, MB_OK | MB_ICONWARNING);
  }
  return true;
}

// A path option that the 519-character limit cut short would install, or keep settings,
// somewhere nobody named: the run is refused instead, saying which option it was.
bool RefuseCutPathOption(const wchar_t* commandLine) {
  for (const wchar_t* option : {L"/folder=", L"/ini=", L"/log="}) {
    if (!PathOptionCutByLineLimit(commandLine, option)) continue;
    wchar_t format[kLongPath];
    LoadResourceString(IDS_COMMAND_LINE_CUT, format, kLongPath);
    const wchar_t* args[] = {option};
    wchar_t message[kLongPath];
    FormatTemplateText(format, args, 1, message, kLongPath);
    WriteProblemLog(message);
    return true;
  }
  return false;
}

}  // namespace

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
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
  comctl::InitCommonControlsEx(&controls);
  const wchar_t* commandLine = GetCommandLineW();
  bool silent = HasSilentSwitch(commandLine);
  StepLog fullLog;  // open until the outcome is written
  StartFullLog(commandLine, silent, fullLog);
  RunOutcome outcome = silent ? RunSilent(commandLine) : RunWizard(commandLine);
  exitCode = ExitCodeFor(outcome);
  LogOutcome(outcome, exitCode);
  return FALSE;
}

namespace {

// The viewer of the target folder, or any viewer window, still runs; with /closeviewer=N
// after asking it to close and waiting for it.
bool ViewerStillRunning(const wchar_t* commandLine, const wchar_t* targetFolder) {
  DeploymentOptions deployment;
  ReadDeploymentOptions(commandLine, deployment);
  bool running = !CloseRunningViewers(targetFolder, deployment.closeViewerSeconds);
  LogStep(running ? L"Lumagrove läuft noch" : L"Lumagrove läuft nicht");
  return running;
}

}  // namespace

RunOutcome TheApp::RunSilent(const wchar_t* commandLine) {
  // Only a silent run keeps a log; the wizard says what matters in its own windows.
  SetProblemLogWriter(WriteProblemEntry);
  // Before the viewer check: a refused run has no reason to bother a running viewer.
  if (RefuseDowngrade(commandLine, true)) return RunOutcome::NewerVersionInstalled;
  if (RefuseCutPathOption(commandLine)) return RunOutcome::InvalidFolder;
  InstallOptions options;
  SetSilentDefaults(options);
  ReadCommandLineOptions(commandLine, options);
  if (ViewerStillRunning(commandLine, options.targetFolder)) {
    wchar_t message[kMaxPath];
    LoadResourceString(IDS_VIEWER_RUNNING, message, kMaxPath);
    WriteProblemEntry(message);
    return RunOutcome::ViewerRunning;
  }
  DeploymentOptions deployment;
  ReadDeploymentOptions(commandLine, deployment);
  ProgressWindow progress;  // closed when the run is over, whatever its outcome
  if (deployment.progress) progress.Open(kSetupTitle);
  RunOutcome outcome = RunOutcome::Installed;
  RunInstallation(options, &outcome);
  return outcome;
}

RunOutcome TheApp::RunWizard(const wchar_t* commandLine) {
  if (!wizardSheet_) return RunOutcome::WizardAbandoned;
  if (RefuseDowngrade(commandLine, false)) return RunOutcome::NewerVersionInstalled;
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
  return sheet.installationSucceeded ? sheet.installationOutcome : RunOutcome::WizardAbandoned;
}
