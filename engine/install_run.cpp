#include "engine/install_run.h"

#include <windows.h>

#include <cwchar>
#include <string>

#include "base/folder_tree.h"
#include "base/run_log.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/icon_library.h"
#include "engine/payload_extraction.h"
#include "engine/viewer_settings.h"
#include "integration/registration.h"
#include "payload_files.h"
#include "resources/resource_ids.h"

namespace {

enum class FolderFirst { No, Yes };

void ReportWithFolder(const InstallOptions& options, unsigned messageId, const wchar_t* folder,
                      FolderFirst order) {
  wchar_t message[kLongPath];
  LoadResourceString(messageId, message, kLongPath);
  wchar_t text[kLongPath * 2];
  if (order == FolderFirst::Yes)
    swprintf(text, kLongPath * 2, L"%ls: %ls", folder, message);
  else
    swprintf(text, kLongPath * 2, L"%ls: %ls", message, folder);
  ReportProblem(options, text);
}

size_t PayloadFileCount() {
  size_t count = 0;
  for (bool folder : kPayloadIsFolder) count += folder ? 0 : 1;
  return count;
}

int Stop(RunOutcome why, RunOutcome* outcome) {
  if (outcome) *outcome = why;
  return 0;
}

bool ConfirmAssociations(const InstallOptions& options) {
  wchar_t question[kLongPath];
  LoadResourceString(IDS_CONFIRM_ASSOCIATIONS, question, kLongPath);
  return MessageBoxW(GetActiveWindow(), question, options.setupTitle,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

void ReportLeftOutFiles(const InstallOptions& options, const wchar_t* folder,
                        const LeftOutFiles& leftOut) {
  wchar_t message[kLongPath];
  LoadResourceString(IDS_FILES_LEFT_OUT, message, kLongPath);
  std::wstring text = message;
  for (const std::wstring& name : leftOut) {
    size_t start = text.size() + 1;
    text += L"\n" + std::wstring(folder) + name;
    // Archive names separate folders with "/"; the user reads Windows paths.
    for (size_t i = start; i < text.size(); ++i)
      if (text[i] == L'/') text[i] = L'\\';
  }
  if (options.silentMode)
    WriteProblemLog(text.c_str());
  else
    MessageBoxW(GetActiveWindow(), text.c_str(), options.setupTitle, MB_OK | MB_ICONWARNING);
}

}  // namespace

void ReportProblem(const InstallOptions& options, const wchar_t* text) {
  if (options.silentMode)
    WriteProblemLog(text);
  else
    MessageBoxW(GetActiveWindow(), text, options.setupTitle, MB_OK | MB_ICONERROR);
}

int RunInstallation(InstallOptions& options, RunOutcome* outcome) {
  wchar_t folder[kLongPath];
  CopyText(folder, kLongPath, options.targetFolder);
  if (folder[0] == L'\0' || !TargetFolderFits(folder)) {
    ReportWithFolder(options, IDS_INVALID_FOLDER, folder, FolderFirst::No);
    return Stop(RunOutcome::InvalidFolder, outcome);
  }
  if (!CreateFolderTree(folder)) {
    ReportWithFolder(options, IDS_CANNOT_CREATE_FOLDER, folder, FolderFirst::No);
    return Stop(RunOutcome::FolderNotCreated, outcome);
  }

  wchar_t pluginFolder[kLongPath];
  swprintf(pluginFolder, kLongPath, L"%lsPlugins", folder);
  CreateFolderTree(pluginFolder);
  wchar_t iconLibraryPath[kLongPath];
  swprintf(iconLibraryPath, kLongPath, L"%lsIcons.dll", pluginFolder);
  bool replaceIconLibrary = ShouldReplaceIconLibrary(iconLibraryPath);

  LeftOutFiles leftOut;
  int skipIconLibrary = replaceIconLibrary ? 0 : 1;
  // A walk that could write none of the files (a read-only folder) installed nothing.
  if (ExtractPayload(folder, skipIconLibrary, &leftOut) != 0 ||
      leftOut.size() >= PayloadFileCount() - skipIconLibrary) {
    ReportWithFolder(options, IDS_INSTALL_FAILED, folder, FolderFirst::Yes);
    return Stop(RunOutcome::ExtractionFailed, outcome);
  }

  wchar_t settingsFile[kLongPath];
  WriteViewerSettings(options.targetFolder, options.iniFolder, options.silentMode, settingsFile);

  // After No to the question the run goes on as if no type had been selected.
  bool declined = options.associationMode && !options.silentMode && !ConfirmAssociations(options);
  static const int32_t kNothingSelected[kSelectionCount] = {};
  IntegrateWithSystem(declined ? 0 : options.associationMode, options.targetFolder,
                      options.startMenuShortcuts, options.desktopShortcut,
                      options.thumbnailsShortcut, options.allUsers,
                      declined ? kNothingSelected : options.associationSelection);
  ConvertSettingsToUnicode(settingsFile);
  // Files held open by another program were skipped: the installation is not complete.
  if (!leftOut.empty()) ReportLeftOutFiles(options, folder, leftOut);
  if (outcome) *outcome = leftOut.empty() ? RunOutcome::Installed : RunOutcome::FilesLeftOut;
  return 1;
}
