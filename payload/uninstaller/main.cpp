// The viewer's uninstaller: asks, then removes what the setup wrote, keeping user data.
#include <windows.h>

#include <cwchar>
#include <string>

#include "base/option_rules.h"
#include "base/path_rules.h"
#include "base/run_log.h"
#include "base/safe_files.h"
#include "base/step_log.h"
#include "base/system_helpers.h"
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
    L"%ls wurde entfernt, aber diese Dateien und Verzeichnisse konnten nicht gelöscht "
    L"werden:\n\n";
constexpr wchar_t kFolderRefusedFormat[] =
    L"Das Installationsverzeichnis %ls %ls.\n\nEs wurde nichts entfernt.";
constexpr wchar_t kProgramStays[] =
    L"konnte nicht verschoben werden und muss von Hand gelöscht werden";
constexpr size_t kLeftLines = 12;
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
  GuardedFolder install;  // held from the question to the end: nobody swaps it meanwhile
  LeftItems left;
};

void Show(const Context& context, const wchar_t* text, UINT icon) {
  if (context.silent) return;
  LogStep(L"Meldung angezeigt: %ls", text);
  MessageBoxW(nullptr, text, kCaption, MB_OK | icon);
}

bool Ask(const Context& context) {
  wchar_t text[kMessageChars];
  swprintf(text, kMessageChars, kQuestionFormat, context.displayName);
  bool yes =
      MessageBoxW(nullptr, text, kCaption, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES;
  LogStep(L"Frage angezeigt: %ls Antwort: %ls", text, yes ? L"Ja" : L"Nein");
  return yes;
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
  wchar_t system[kMaxPath];
  UINT n = GetSystemDirectoryW(system, kMaxPath);
  if (n > 0 && n < kMaxPath) SetCurrentDirectoryW(system);
}

UninstallOutcome Remove(Context& context) {
  LogStep(L"Entfernen beginnt: %ls", ShownFolder(context.folder).c_str());
  LeaveInstallFolder();
  RemoveShellLinks();
  RemoveRegistration();
  const wchar_t* name = context.program + TextLength(context.folder);
  RemovePayloadFiles(context.install, name, context.left);
  RemoveSettingsPointer(context.install, context.left);
  ProgramRemoval program = RemoveRunningProgram(context.install, name);
  if (program == ProgramRemoval::Stays) context.left.push_back({context.program, kProgramStays});
  RemoveFolderIfEmpty(context.install, program == ProgramRemoval::AtRestart);
  RemoveUninstallEntry();
  return context.left.empty() ? UninstallOutcome::Removed : UninstallOutcome::FilesLeft;
}

// A viewer window, or the viewer of this folder in any session, still runs; with
// /closeviewer=N after asking it to close and waiting for it.
bool ViewerStillRunning(const Context& context) {
  bool running = !CloseRunningViewers(context.located ? context.folder : nullptr,
                                      context.closeViewerSeconds);
  LogStep(running ? L"Lumagrove läuft noch" : L"Lumagrove läuft nicht");
  return running;
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
    LogStep(L"Keine Installation in diesem Verzeichnis registriert: %ls", context.folder);
    swprintf(text, kMessageChars, kNotThisFolderFormat, context.folder);
    Show(context, text, MB_ICONEXCLAMATION);
    return UninstallOutcome::NotThisFolder;
  }
  FileStatus opened = GuardedFolder::OpenTop(context.folder, false, context.install);
  if (opened != FileStatus::Done) {
    LogStep(L"Installationsverzeichnis abgelehnt: %ls %ls", context.folder,
            FileStatusText(opened));
    swprintf(text, kMessageChars, kFolderRefusedFormat, context.folder, FileStatusText(opened));
    Show(context, text, MB_ICONEXCLAMATION);
    return UninstallOutcome::FolderIsLink;
  }
  if (!context.silent) {
    if (!Ask(context)) return UninstallOutcome::Declined;
    // The viewer may have been started while the question was open.
    if (ViewerStillRunning(context)) {
      Show(context, kViewerRunning, MB_ICONEXCLAMATION);
      return UninstallOutcome::ViewerRunning;
    }
  }
  UninstallOutcome outcome = Remove(context);
  bool removed = outcome == UninstallOutcome::Removed;
  swprintf(text, kMessageChars, removed ? kRemovedFormat : kFilesLeftFormat, context.displayName);
  std::wstring message = text;
  if (!removed) message += ListLeftItems(context.left, kLeftLines);
  Show(context, message.c_str(), removed ? MB_ICONINFORMATION : MB_ICONEXCLAMATION);
  return outcome;
}

const wchar_t* OutcomeText(UninstallOutcome outcome) {
  switch (outcome) {
    case UninstallOutcome::Removed: return L"entfernt";
    case UninstallOutcome::ViewerRunning: return L"Lumagrove läuft, nichts entfernt";
    case UninstallOutcome::Declined: return L"mit Nein beantwortet, nichts entfernt";
    case UninstallOutcome::FilesLeft: return L"entfernt, aber Dateien bleiben";
    case UninstallOutcome::NotThisFolder:
      return L"keine Installation in diesem Verzeichnis, nichts entfernt";
    case UninstallOutcome::FolderIsLink:
      return L"das Installationsverzeichnis ist ein Link, nichts entfernt";
  }
  return L"unbekannt";
}

// The full log (/log=PATH): the same header as the setup's, then the options.
void StartFullLog(const wchar_t* arguments, const Context& context,
                  const DeploymentOptions& deployment, StepLog& log) {
  if (deployment.logPath[0] == L'\0' || PathOptionCutByLineLimit(arguments, L"/log=") ||
      log.Open(deployment.logPath) != FileStatus::Done)
    return;
  wchar_t version[16];
  swprintf(version, 16, L"%d.%d", kVersionMajor, kVersionMinor);
  LogRunHeader(kCaption, version, GetCommandLineW());
  LogStep(L"Option Unbeaufsichtigt (/silent): %ls", context.silent ? L"ja" : L"nein");
  if (context.closeViewerSeconds < 0)
    LogStep(L"Option Betrachter schließen (/closeviewer=): nicht angegeben");
  else
    LogStep(L"Option Betrachter schließen (/closeviewer=): %d s", context.closeViewerSeconds);
  LogStep(L"Option Protokoll (/log=): %ls", deployment.logPath);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR arguments, int) {
  // Elevated, and perhaps started from a folder a user may write: before anything else,
  // libraries loaded by name come from the system folder only.
  HardenDllSearchPath();
  Context context;
  context.silent = WantsSilentRemoval(arguments);
  DeploymentOptions deployment;
  ReadDeploymentOptions(arguments, deployment);
  context.closeViewerSeconds = deployment.closeViewerSeconds;
  StepLog log;  // open until the outcome is written
  StartFullLog(arguments, context, deployment, log);
  UninstallOutcome outcome = Uninstall(context);
  int code = UninstallExitCode(outcome);
  LogStep(L"Ergebnis: %ls (Exitcode %d)", OutcomeText(outcome), code);
  return code;
}
