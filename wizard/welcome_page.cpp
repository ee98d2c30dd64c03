// The welcome and options page (index 0): texts, shortcut boxes, target folder and browser.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>

#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "integration/registration.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"
#include "wizard/wizard_rules.h"

namespace {

constexpr wchar_t kBitness[] = L"64";

// Replaces the control's template text, used as a template with the given arguments.
void FillTemplate(CWnd& page, int id, const wchar_t* const* args, size_t count) {
  wchar_t format[kLongPath];
  page.GetDlgItemText(id, format, kLongPath);
  wchar_t text[kLongPath];
  FormatTemplateText(format, args, count, text, kLongPath);
  page.SetDlgItemText(id, text);
}

void SetShortcutUserButtons(CWnd& page, bool enable) {
  page.EnableDlgItem(IDC_CURRENT_USER, enable);
  page.EnableDlgItem(IDC_ALL_USERS, enable);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM current) {
  if (message == BFFM_INITIALIZED) {
    wchar_t start[kLongPath];
    BrowserStartFolder(reinterpret_cast<const wchar_t*>(current), start, kLongPath);
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(start));
  }
  return 0;
}

}  // namespace

void CWizPropertyPage::SetUpWelcome() {
  EnableWindow(sheet->GetButton(IDC_SHEET_BACK), FALSE);
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SETUP));
  SendMessageW(sheet->GetSafeHwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  if (firstActivation) {
    SetWindowTextW(sheet->GetButton(IDC_SHEET_BACK), L"< &Zurück");
    SetWindowTextW(sheet->GetButton(IDC_SHEET_NEXT), L"&Weiter >");
    SendDlgItemMessage(IDC_WELCOME_HEADING, WM_SETFONT,
                       reinterpret_cast<WPARAM>(sheet->titleFont.Get()), TRUE);
    const wchar_t* heading[] = {kBitness};
    FillTemplate(*this, IDC_WELCOME_HEADING, heading, 1);
    wchar_t version[16];
    swprintf(version, 16, L"%d.%d", 4, 58);
    const wchar_t* description[] = {version, kBitness};
    FillTemplate(*this, IDC_DESCRIPTION, description, 2);
    CheckDlgButton(IDC_DESKTOP_LINK, true);
    CheckDlgButton(IDC_THUMBNAILS_LINK, true);
    CheckDlgButton(IDC_START_MENU_LINKS, true);
    CheckDlgButton(IDC_CURRENT_USER, true);
    CheckDlgButton(IDC_ALL_USERS, false);
    wchar_t folder[kLongPath];
    GetDefaultInstallFolder(folder);
    SetDlgItemText(IDC_TARGET_FOLDER, folder);
    if (FindExistingInstallation(folder)) SetDlgItemText(IDC_TARGET_FOLDER, folder);
  }
  if (ViewerRunning()) ShowMessage(IDS_VIEWER_RUNNING, MB_ICONWARNING | MB_OK);
  firstActivation = 0;
}

void CWizPropertyPage::BindLicenceLink(CDataExchange* dx) {
  DDX_Control(dx, IDC_EULA_LINK, sheet->eulaLink);
  sheet->eulaLink.SetUnderlineMode(CHyperLink::UnderlineAlways);
  sheet->eulaLink.SetLinkUrl(kLicenceUrl);
}

bool CWizPropertyPage::TargetFolderAccepted() {
  // Read more than fits so that a longer text is refused instead of cut.
  wchar_t folder[kLongPath];
  GetDlgItemText(IDC_TARGET_FOLDER, folder, kLongPath);
  bool fits = wcslen(folder) < static_cast<size_t>(kMaxPath);
  if (fits && TargetTextHasDrive(folder) && TargetFolderFits(folder)) return true;
  ShowMessage(IDS_INVALID_FOLDER, MB_ICONERROR | MB_OK);
  return false;
}

void CWizPropertyPage::OnShortcutBox() {
  SetShortcutUserButtons(*this, IsDlgButtonChecked(IDC_DESKTOP_LINK) ||
                                    IsDlgButtonChecked(IDC_THUMBNAILS_LINK) ||
                                    IsDlgButtonChecked(IDC_START_MENU_LINKS));
}

void CWizPropertyPage::OnNoShortcuts() {
  CheckDlgButton(IDC_DESKTOP_LINK, false);
  CheckDlgButton(IDC_THUMBNAILS_LINK, false);
  CheckDlgButton(IDC_START_MENU_LINKS, false);
  SetShortcutUserButtons(*this, false);
}

void CWizPropertyPage::OnBrowse() {
  wchar_t path[kLongPath];
  GetDlgItemText(IDC_TARGET_FOLDER, path, kMaxPath);
  if (!BrowseForTargetFolder(GetActiveWindow(), path, kLongPath)) return;
  // A result that cannot take the folder name stays as chosen; Next refuses it if too long.
  CompleteBrowsedFolder(path, kLongPath);
  SetDlgItemText(IDC_TARGET_FOLDER, path);
}

int BrowseForTargetFolder(HWND owner, wchar_t* path, size_t capacity) {
  wchar_t title[50];
  LoadResourceString(IDS_TARGET_FOLDER_COLON, title, 50);
  wchar_t displayName[MAX_PATH] = {};
  BROWSEINFOW browse = {};
  browse.hwndOwner = owner;
  browse.pszDisplayName = displayName;
  browse.lpszTitle = title;
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  browse.lpfn = BrowseCallback;
  browse.lParam = reinterpret_cast<LPARAM>(path);
  ComInit com;
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&browse);
  if (!chosen) return 0;
  wchar_t folder[MAX_PATH] = {};
  BOOL hasPath = SHGetPathFromIDListW(chosen, folder);
  CoTaskMemFree(chosen);
  if (!hasPath) return 0;
  CopyText(path, capacity, folder);
  AppendBackslash(path, capacity);
  return 1;
}
