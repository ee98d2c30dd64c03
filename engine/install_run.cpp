#include "engine/install_run.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/path_rules.h"
#include "base/run_log.h"
#include "base/safe_files.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/icon_library.h"
#include "engine/payload_extraction.h"
#include "engine/target_folder.h"
#include "engine/viewer_settings.h"
#include "integration/registration.h"
#include "payload_files.h"
#include "resources/resource_ids.h"

namespace {

enum class FolderFirst { No, Yes };

// The log joins message and folder; the wizard's box shows the message alone (the user has
// the folder in front of them on the welcome page).
void ReportWithFolder(const InstallOptions& options, unsigned messageId, const wchar_t* folder,
                      FolderFirst order) {
  wchar_t message[kLongPath];
  LoadResourceString(messageId, message, kLongPath);
  if (!options.silentMode) {
    ReportProblem(options, message);
    return;
  }
  wchar_t text[kLongPath * 2];
  if (order == FolderFirst::Yes)
    swprintf(text, kLongPath * 2, L"%ls: %ls", folder, message);
  else
    swprintf(text, kLongPath * 2, L"%ls: %ls", message, folder);
  ReportProblem(options, text);
}

// "message: path reason", the reason in the words of FileStatusText.
void ReportRefusedFolder(const InstallOptions& options, const std::wstring& path,
                         FileStatus why) {
  std::wstring named = path;
  while (named.size() > 3 && named.back() == L'\\') named.pop_back();
  LogStep(L"Verzeichnis abgelehnt: %ls %ls", named.c_str(), FileStatusText(why));
  wchar_t message[kLongPath];
  LoadResourceString(IDS_FOLDER_REFUSED, message, kLongPath);
  // Which folder it was matters in the box as much as in the log.
  std::wstring text = std::wstring(message) + L": " + named + L" " + FileStatusText(why);
  ReportProblem(options, text.c_str());
}

bool IsRefusal(FileStatus status) { return status == FileStatus::Link || status == FileStatus::Outside; }

size_t PayloadFileCount() {
  size_t count = 0;
  for (bool folder : kPayloadIsFolder) count += folder ? 0 : 1;
  return count;
}

int Stop(RunOutcome why, RunOutcome* outcome) {
  if (outcome) *outcome = why;
  return 0;
}

void LogPayloadFolder(const GuardedFolder& top, const std::wstring& name, FileStatus status,
                      DWORD error, const GuardedFolder& folder) {
  std::wstring path = top.PathOf(name.c_str());
  if (status == FileStatus::Done)
    LogStep(folder.Created() ? L"Verzeichnis erstellt: %ls" : L"Verzeichnis vorhanden: %ls",
            path.c_str());
  else  // its files are left out in turn, each with its reason
    LogStep(L"Verzeichnis nicht erstellt: %ls (%ls)", path.c_str(),
            FileStatusReason(status, error).c_str());
}

// Every folder of the payload, looked at before anything is written and then made where
// missing: a folder that is a link stops the run while the target is still untouched.
// Plugins stays open for the icon library's check; refused names the folder that stopped it.
FileStatus OpenPayloadFolders(const GuardedFolder& top, GuardedFolder& plugins,
                              std::wstring& refused) {
  for (bool create : {false, true}) {
    for (int i = 0; i < kPayloadEntryCount; ++i) {
      if (!kPayloadIsFolder[i]) continue;
      std::wstring name = kPayloadEntries[i];
      while (!name.empty() && name.back() == L'/') name.pop_back();
      GuardedFolder folder;
      FileStatus status = top.OpenChild(name.c_str(), create, folder);
      DWORD error = GetLastError();
      if (IsRefusal(status)) {
        refused = top.PathOf(name.c_str());
        return status;
      }
      if (create) LogPayloadFolder(top, name, status, error, folder);
      if (create && name == L"Plugins") plugins = std::move(folder);
    }
  }
  return FileStatus::Done;
}

bool ConfirmAssociations(const InstallOptions& options) {
  wchar_t question[kLongPath];
  LoadResourceString(IDS_CONFIRM_ASSOCIATIONS, question, kLongPath);
  bool yes = MessageBoxW(GetActiveWindow(), question, options.setupTitle,
                         MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  LogStep(L"Frage angezeigt: %ls Antwort: %ls", question, yes ? L"Ja" : L"Nein");
  return yes;
}

// A message followed by one line per file, in Windows paths; a box in a wizard run, one
// log entry in a silent run.
void ReportFiles(const InstallOptions& options, unsigned messageId, const wchar_t* folder,
                 const LeftOutFiles& files, unsigned boxIcon, unsigned boxClosingId = 0) {
  wchar_t message[kLongPath];
  LoadResourceString(messageId, message, kLongPath);
  std::wstring text = message;
  for (const std::wstring& name : files) {
    size_t start = text.size() + 1;
    text += L"\n" + std::wstring(folder) + name;
    // Archive names separate folders with "/"; the user reads Windows paths.
    for (size_t i = start; i < text.size(); ++i)
      if (text[i] == L'/') text[i] = L'\\';
  }
  if (options.silentMode) {
    WriteProblemLog(text.c_str());
    return;
  }
  if (boxClosingId) {
    LoadResourceString(boxClosingId, message, kLongPath);
    text += L"\n\n";
    text += message;
  }
  LogStep(L"Meldung angezeigt: %ls", text.c_str());
  MessageBoxW(GetActiveWindow(), text.c_str(), options.setupTitle, MB_OK | boxIcon);
}

// The selected entries as ranges, "0-46, 50": the log's short form of the 62 flags.
std::wstring SelectedRanges(const int32_t* selection) {
  std::wstring ranges;
  for (int i = 0; i < kSelectionCount;) {
    if (!selection[i]) {
      ++i;
      continue;
    }
    int last = i;
    while (last + 1 < kSelectionCount && selection[last + 1]) ++last;
    if (!ranges.empty()) ranges += L", ";
    ranges += std::to_wstring(i);
    if (last > i) ranges += L"-" + std::to_wstring(last);
    i = last + 1;
  }
  return ranges.empty() ? L"keine" : ranges;
}

void LogTargetFolder(const wchar_t* path, TargetOrigin origin) {
  std::wstring shown = ShownFolder(path);
  const wchar_t* folder = shown.c_str();
  switch (origin) {
    case TargetOrigin::Found: LogStep(L"Zielverzeichnis vorhanden: %ls", folder); break;
    case TargetOrigin::CreatedInherited:
      LogStep(L"Zielverzeichnis erstellt (Rechte von Program Files geerbt): %ls", folder);
      break;
    case TargetOrigin::CreatedProtected:
      LogStep(L"Zielverzeichnis erstellt (geschützt: Administratoren und SYSTEM schreiben, "
              L"Benutzer lesen): %ls",
              folder);
      break;
  }
}

void LogExtraction(const ExtractionReport& report) {
  LogStep(L"Entpacken beendet: %lu Dateien geschrieben, %lu ersetzt, %lu beim Neustart, "
          L"%lu ausgelassen",
          static_cast<unsigned long>(report.written), static_cast<unsigned long>(report.replaced),
          static_cast<unsigned long>(report.replacedAtRestart.size()),
          static_cast<unsigned long>(report.leftOut.size()));
}

// Installed completely, at the next restart, or not completely.
RunOutcome Completion(const ExtractionReport& report) {
  if (!report.leftOut.empty()) return RunOutcome::FilesLeftOut;
  return report.replacedAtRestart.empty() ? RunOutcome::Installed : RunOutcome::RestartRequired;
}

}  // namespace

void ReportProblem(const InstallOptions& options, const wchar_t* text) {
  if (options.silentMode) {
    WriteProblemLog(text);
    return;
  }
  LogStep(L"Meldung angezeigt: %ls", text);
  MessageBoxW(GetActiveWindow(), text, options.setupTitle, MB_OK | MB_ICONERROR);
}

void LogInstallOptions(const InstallOptions& options) {
  LogStep(L"Option Zielverzeichnis (/folder=): %ls", options.targetFolder);
  LogStep(L"Option Startmenügruppe (/group=): %d", options.startMenuShortcuts);
  LogStep(L"Option Desktop-Verknüpfung (/desktop=): %d", options.desktopShortcut);
  LogStep(L"Option Thumbnails-Verknüpfung (/thumbs=): %d", options.thumbnailsShortcut);
  LogStep(L"Option Für alle Benutzer (/allusers=): %d", options.allUsers);
  LogStep(L"Option Einstellungsverzeichnis (/ini=): %ls",
          options.iniFolder[0] ? options.iniFolder : L"(leer: Programmverzeichnis)");
  LogStep(L"Option Dateitypen (/assoc=): Zuordnen %d, ausgewählte Einträge: %ls",
          options.associationMode, SelectedRanges(options.associationSelection).c_str());
  LogStep(L"Option Unbeaufsichtigt (/silent): %d", options.silentMode);
  LogStep(L"Option Fenstertitel: %ls", options.setupTitle);
}

int RunInstallation(InstallOptions& options, RunOutcome* outcome) {
  LogStep(L"Installation beginnt");
  LogInstallOptions(options);
  wchar_t folder[kLongPath];
  CopyText(folder, kLongPath, options.targetFolder);
  if (folder[0] == L'\0' || !TargetFolderFits(folder)) {
    LogStep(L"Zielverzeichnis leer oder zu lang: %ls", folder);
    ReportWithFolder(options, IDS_INVALID_FOLDER, folder, FolderFirst::No);
    return Stop(RunOutcome::InvalidFolder, outcome);
  }
  TargetFolder target;
  if (!PrepareTargetFolder(folder, target)) {
    wchar_t error[600];
    FormatWin32Error(GetLastError(), error, 600);
    LogStep(L"Zielverzeichnis konnte nicht erstellt werden: %ls (%ls)",
            ShownFolder(folder).c_str(), error);
    ReportWithFolder(options, IDS_CANNOT_CREATE_FOLDER, folder, FolderFirst::No);
    return Stop(RunOutcome::FolderNotCreated, outcome);
  }
  if (IsRefusal(target.status)) {
    ReportRefusedFolder(options, folder, target.status);
    return Stop(RunOutcome::LinkRefused, outcome);
  }
  if (target.top.IsOpen()) LogTargetFolder(folder, target.origin);

  GuardedFolder plugins;
  std::wstring refused;
  FileStatus folders = target.top.IsOpen() ? OpenPayloadFolders(target.top, plugins, refused)
                                           : FileStatus::Failed;
  if (IsRefusal(folders)) {
    ReportRefusedFolder(options, refused, folders);
    return Stop(RunOutcome::LinkRefused, outcome);
  }
  bool replaceIconLibrary = ShouldReplaceIconLibrary(plugins);

  ExtractionReport report;
  int skipIconLibrary = replaceIconLibrary ? 0 : 1;
  ReportProgressStep(IDS_STEP_EXTRACTING);
  int walk = ExtractPayload(folder, skipIconLibrary, &report);
  if (walk == kFolderRefused) {
    ReportRefusedFolder(options, report.refusedFolder, report.refusedStatus);
    return Stop(RunOutcome::LinkRefused, outcome);
  }
  if (walk != 0)
    LogStep(L"Entpacken abgebrochen (Status %d)", walk);
  else
    LogExtraction(report);
  // A walk that could write none of the files (a read-only folder) installed nothing.
  if (walk != 0 || report.leftOut.size() >= PayloadFileCount() - skipIconLibrary) {
    ReportWithFolder(options, IDS_INSTALL_FAILED, folder, FolderFirst::Yes);
    return Stop(RunOutcome::ExtractionFailed, outcome);
  }

  wchar_t settingsFile[kLongPath];
  ReportProgressStep(IDS_STEP_SETTINGS);
  WriteViewerSettings(options.targetFolder, options.iniFolder, options.silentMode, settingsFile);

  // After No to the question the run goes on as if no type had been selected.
  bool declined = options.associationMode && !options.silentMode && !ConfirmAssociations(options);
  if (declined) LogStep(L"Dateitypen: keine Auswahl übernommen (Antwort Nein)");
  static const int32_t kNothingSelected[kSelectionCount] = {};
  ReportProgressStep(IDS_STEP_LINKS);
  IntegrateWithSystem(declined ? 0 : options.associationMode, options.targetFolder,
                      options.startMenuShortcuts, options.desktopShortcut,
                      options.thumbnailsShortcut, options.allUsers,
                      declined ? kNothingSelected : options.associationSelection);
  ConvertSettingsToUnicode(settingsFile);
  // Files held open by another program: skipped (the installation is not complete), or
  // waiting for the restart that completes it.
  if (!report.leftOut.empty())
    ReportFiles(options, IDS_FILES_LEFT_OUT, folder, report.leftOut, MB_ICONWARNING);
  if (!report.replacedAtRestart.empty())
    ReportFiles(options, IDS_REPLACED_AT_RESTART, folder, report.replacedAtRestart,
                MB_ICONINFORMATION, IDS_RESTART_TO_FINISH);
  if (outcome) *outcome = Completion(report);
  return 1;
}
