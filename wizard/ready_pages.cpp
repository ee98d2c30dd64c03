// The what's-new page (index 1) and the ready page (index 3), which runs the installation.
#include <windows.h>

#include <cwchar>

#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/install_options.h"
#include "engine/install_run.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"
#include "wizard/wizard_rules.h"

namespace {

constexpr int kReleaseNotesCapacity = 10240;

void EnableSheetButtons(CWizPropertySheet& sheet, bool enable) {
  EnableWindow(sheet.GetButton(IDC_SHEET_BACK), enable);
  EnableWindow(sheet.GetButton(IDC_SHEET_NEXT), enable);
  EnableWindow(sheet.GetButton(IDCANCEL), enable);
}

}  // namespace

void LoadWhatsNewText(CWizPropertyPage& page) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(IDR_RELEASE_NOTES), L"TXT");
  if (!found) return;
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return;
  static wchar_t notes[kReleaseNotesCapacity];
  ZeroMemory(notes, sizeof(notes));
  DWORD bytes = SizeofResource(module, found);
  DWORD limit = (kReleaseNotesCapacity - 1) * sizeof(wchar_t);
  CopyMemory(notes, data, bytes < limit ? bytes : limit);
  StripReleaseNotesTail(notes);
  page.SetDlgItemText(IDC_RELEASE_NOTES, notes);
}

void CWizPropertyPage::SetUpReady() {
  SendDlgItemMessage(IDC_READY_HEADING, WM_SETFONT,
                     reinterpret_cast<WPARAM>(sheet->titleFont.Get()), TRUE);
  wchar_t folder[kMaxPath];
  sheet->GetPage(kWelcomePage)->GetDlgItemText(IDC_TARGET_FOLDER, folder, kMaxPath);
  TrimBlanks(folder);
  wchar_t label[50];
  LoadResourceString(IDS_TARGET_FOLDER, label, 50);
  wchar_t line[kLongPath];
  swprintf(line, kLongPath, L"%ls: %ls", label, folder);
  SetDlgItemText(IDC_FOLDER_LINE, line);
  bool vistaOrLater = IsWindowsVersionAtLeast(0);
  CheckDlgButton(IDC_INI_APPDATA, vistaOrLater);
  CheckDlgButton(IDC_INI_PROGRAM_FOLDER, !vistaOrLater);
}

void CWizPropertyPage::BindProgressLabel(CDataExchange* dx) {
  CXColorStatic& label = sheet->progressLabel;
  DDX_Control(dx, IDC_PROGRESS_LABEL, label);
  label.textColour = RGB(255, 0, 0);
  label.SetBold();
  label.SetFontHeight(MulDiv(18, GetWindowDpi(sheet->GetSafeHwnd()), 96));
}

void CWizPropertyPage::ReadOptions(InstallOptions& options) {
  CPropertyPage& welcome = *sheet->GetPage(kWelcomePage);
  welcome.GetDlgItemText(IDC_TARGET_FOLDER, options.targetFolder, kLongPath);
  TrimBlanks(options.targetFolder);
  options.startMenuShortcuts = welcome.IsDlgButtonChecked(IDC_START_MENU_LINKS);
  options.desktopShortcut = welcome.IsDlgButtonChecked(IDC_DESKTOP_LINK);
  options.thumbnailsShortcut = welcome.IsDlgButtonChecked(IDC_THUMBNAILS_LINK);
  options.allUsers = welcome.IsDlgButtonChecked(IDC_ALL_USERS);
  CopyText(options.iniFolder, kLongPath,
           IsDlgButtonChecked(IDC_INI_APPDATA) ? kDefaultIniFolder : L"");
  ReadTypeListSelection(sheet->fileTypeList, options.associationSelection,
                        &options.associationMode);
  options.silentMode = 0;
  CopyText(options.setupTitle, kMaxPath, sheet->titleText);
}

bool CWizPropertyPage::InstallFromPages() {
  InstallOptions options;
  ReadOptions(options);
  HWND label = GetDlgItem(IDC_PROGRESS_LABEL);
  ShowWindow(label, SW_SHOW);
  UpdateWindow(label);
  EnableSheetButtons(*sheet, false);
  RunOutcome outcome = RunOutcome::Installed;
  int installed = RunInstallation(options, &outcome);
  EnableSheetButtons(*sheet, true);
  if (installed) {
    sheet->installationSucceeded = true;
    sheet->installationOutcome = outcome;
  }
  return installed != 0;
}
