// The wizard sheet: caption, Cancel handling and the finish actions.
#include "wizard/wiz_sheet.h"

#include <shellapi.h>

#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/install_options.h"
#include "framework/property_page.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/wizard_rules.h"

const MessageEntry<CWizPropertySheet> CWizPropertySheet::kMessageMap[] = {
    OnSysCommandMessage<&CWizPropertySheet::OnSysCommand>(),
};

CWizPropertySheet::CWizPropertySheet() : CPropertySheet(L"Lumagrove Setup", nullptr, 0) {
  SetWizardMode();
  // The wizard shows the active page's title; every page carries the setup's caption.
  SetPageCaption(kSetupTitle);
}

bool CWizPropertySheet::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return RouteMessage(*this, kMessageMap, message, wParam, lParam, result) ||
         CPropertySheet::OnMessage(message, wParam, lParam, result);
}

BOOL CWizPropertySheet::OnInitDialog() {
  CopyText(titleText, MAX_PATH, kSetupTitle);
  BOOL result = CPropertySheet::OnInitDialog();
  wchar_t cancel[64];
  LoadResourceString(IDS_CANCEL_TEXT, cancel, 64);
  SetWindowTextW(GetButton(IDCANCEL), cancel);
  SetWindowTextW(hwnd_, titleText);
  return result;
}

bool CWizPropertySheet::ConfirmQuit() {
  wchar_t question[128];
  LoadResourceString(IDS_CONFIRM_QUIT, question, 128);
  return MessageBox(question, titleText, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

BOOL CWizPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  // The notification code is not looked at: Escape arrives as IDCANCEL too.
  if (LOWORD(wParam) != IDCANCEL) return CPropertySheet::OnCommand(wParam, lParam);
  if (GetActiveIndex() != kFinishPage) {
    if (!ConfirmQuit()) return TRUE;
  } else {
    RunFinishActions();
  }
  return CPropertySheet::OnCommand(wParam, lParam);
}

void CWizPropertySheet::OnSysCommand(UINT command, LPARAM lParam) {
  if (command == SC_CLOSE && GetActiveIndex() != kFinishPage && !ConfirmQuit()) return;
  CPropertySheet::OnSysCommand(command, lParam);
}

void CWizPropertySheet::RunFinishActions() {
  CPropertyPage* finish = GetPage(kFinishPage);
  if (!finish) return;
  if (finish->IsDlgButtonChecked(IDC_SHOW_FAQ))
    ShellExecuteW(GetDesktopWindow(), L"open", kFaqUrl, nullptr, L"", SW_SHOW);
  if (finish->IsDlgButtonChecked(IDC_START_VIEWER)) StartViewer();
}

void CWizPropertySheet::StartViewer() {
  CPropertyPage* welcome = GetPage(kWelcomePage);
  if (!welcome) return;
  wchar_t folder[MAX_PATH];
  welcome->GetDlgItemText(IDC_TARGET_FOLDER, folder, MAX_PATH);
  wchar_t viewer[MAX_PATH];
  // A folder too long for the viewer's path cannot have been installed to.
  if (!BuildViewerPath(folder, viewer, MAX_PATH)) return;
  ShellExecuteW(GetActiveWindow(), L"open", viewer, L"", nullptr, SW_SHOW);
  // Bring the viewer to the front once its window is there: at most 50 + 5 x 500 ms.
  Sleep(50);
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (HWND viewerWindow = FindWindowW(L"Lumagrove", nullptr)) {
      SetForegroundWindow(viewerWindow);
      return;
    }
    Sleep(500);
  }
}
