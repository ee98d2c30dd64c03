// The viewer's uninstaller: asks, then removes what the setup wrote, keeping user data.
#include <windows.h>

#include <cwchar>

#include "base/option_rules.h"
#include "base/text_rules.h"
#include "base/viewer_check.h"
#include "integration/install_paths.h"
#include "payload/uninstaller/removal.h"
#include "payload/uninstaller/uninstall_rules.h"

namespace {

constexpr wchar_t kCaption[] = L"Lumagrove 64-bit Deinstallation";
constexpr wchar_t kViewerRunning[] =
    L"Warnung: Lumagrove läuft!\nBeenden Sie bitte Lumagrove bevor Sie mit der "
    L"Deinstallation fortsetzen!";
constexpr wchar_t kQuestionFormat[] = L"Möchten Sie %ls und alle seine Komponenten entfernen?";
constexpr wchar_t kRemovedFormat[] = L"%ls wurde von Ihrem Computer entfernt.";
constexpr wchar_t kFilesLeftFormat[] =
    L"%ls wurde entfernt, aber einige Dateien werden von einem anderen Programm verwendet "
    L"und konnten nicht gelöscht werden:\n\n%ls";
constexpr wchar_t kNotThisFolderFormat[] =
    L"In %ls ist keine Installation von Lumagrove registriert.\n\nBitte verwenden Sie das "
    L"Deinstallationsprogramm im Verzeichnis der Installation.";
constexpr size_t kMessageChars = 1024;

struct Context {
  bool silent = false;
  int32_t closeViewerSeconds = -1;  // /closeviewer=N
  bool located = false;             // program and folder known
  wchar_t program[kMaxPath] = {};
  wchar_t folder[kMaxPath] = {};  // final backslash
  wchar_t displayName[64] = {};
};

void Show(const Context& context, const wchar_t* text, UINT icon) {
  if (!context.silent) MessageBoxW(nullptr, text, kCaption, MB_OK | icon);
}

bool Ask(const Context& context) {
  wchar_t text[kMessageChars];
  swprintf(text, kMessageChars, kQuestionFormat, context.displayName);
  return MessageBoxW(nullptr, text, kCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
}

// The program's own path and folder; false when the path does not fit.
bool LocateProgram(Context& context) {
  DWORD n = GetModuleFileNameW(nullptr, context.program, kMaxPath);
  if (n == 0 || n >= kMaxPath) return false;
  CopyText(context.folder, kMaxPath, context.program);
  wchar_t* slash = wcsrchr(context.folder, L'\\');
  if (!slash) return false;
  slash[1] = L'\0';
  return true;
}

// The registered installation, or with none registered a folder that holds the viewer.
bool IsInstallationFolder(const wchar_t* folder) {
  wchar_t registered[kMaxPath];
  if (ReadRegisteredFolder(registered)) return IsSameFolder(registered, folder);
  wchar_t viewer[kMaxPath];
  CopyText(viewer, kMaxPath, folder);
  return AppendText(viewer, kMaxPath, kViewerExeName) &&
         GetFileAttributesW(viewer) != INVALID_FILE_ATTRIBUTES;
}

// A folder that is the current folder of a process cannot be removed.
void LeaveInstallFolder() {
  wchar_t temp[kMaxPath];
  DWORD n = GetTempPathW(kMaxPath, temp);
  if (n > 0 && n < kMaxPath) SetCurrentDirectoryW(temp);
}

UninstallOutcome Remove(const Context& context) {
  LeaveInstallFolder();
  RemoveShellLinks();
  RemoveRegistration();
  int left = RemovePayloadFiles(context.folder, context.program);
  bool programGone = RemoveRunningProgram(context.program);
  RemoveFolderIfEmpty(context.folder, !programGone);
  RemoveUninstallEntry();
  return left == 0 ? UninstallOutcome::Removed : UninstallOutcome::FilesLeft;
}

// A viewer window, or the viewer of this folder in any session, still runs; with
// /closeviewer=N after asking it to close and waiting for it.
bool ViewerStillRunning(const Context& context) {
  return !CloseRunningViewers(context.located ? context.folder : nullptr,
                              context.closeViewerSeconds);
}

UninstallOutcome Uninstall(Context& context) {
  swprintf(context.displayName, 64, L"%ls %d.%d (64-bit)", kProductName, kVersionMajor,
           kVersionMinor);
  context.located = LocateProgram(context);
  if (ViewerStillRunning(context)) {
    Show(context, kViewerRunning, MB_ICONEXCLAMATION);
    return UninstallOutcome::ViewerRunning;
  }
  wchar_t text[kMessageChars];
  if (!context.located || !IsInstallationFolder(context.folder)) {
    swprintf(text, kMessageChars, kNotThisFolderFormat, context.folder);
    Show(context, text, MB_ICONEXCLAMATION);
    return UninstallOutcome::NotThisFolder;
  }
  if (!context.silent && !Ask(context)) return UninstallOutcome::Declined;
  // The viewer may have been started while the question was open.
  if (ViewerStillRunning(context)) {
    Show(context, kViewerRunning, MB_ICONEXCLAMATION);
    return UninstallOutcome::ViewerRunning;
  }
  UninstallOutcome outcome = Remove(context);
  if (outcome == UninstallOutcome::Removed)
    swprintf(text, kMessageChars, kRemovedFormat, context.displayName);
  else
    swprintf(text, kMessageChars, kFilesLeftFormat, context.displayName, context.folder);
  Show(context, text, outcome == UninstallOutcome::Removed ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
  return outcome;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  Context context;
  context.silent = WantsSilentRemoval(arguments);
  DeploymentOptions deployment;
  ReadDeploymentOptions(arguments, deployment);
  context.closeViewerSeconds = deployment.closeViewerSeconds;
  return UninstallExitCode(Uninstall(context));
}
