// The finish page (index 4): both follow-up actions preselected, Cancel becomes the finish
// button.
#include <windows.h>

#include "base/system_helpers.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/wiz_page.h"
#include "wizard/wiz_sheet.h"

void CWizPropertyPage::SetUpFinish() {
  SendDlgItemMessage(IDC_FINISH_HEADING, WM_SETFONT,
                     reinterpret_cast<WPARAM>(sheet->titleFont.Get()), TRUE);
  CheckDlgButton(IDC_SHOW_FAQ, true);
  CheckDlgButton(IDC_START_VIEWER, true);
  wchar_t finish[64];
  LoadResourceString(IDS_FINISH_TEXT, finish, 64);
  SetWindowTextW(sheet->GetButton(IDCANCEL), finish);
  EnableWindow(sheet->GetButton(IDC_SHEET_BACK), FALSE);
  EnableWindow(sheet->GetButton(IDC_SHEET_NEXT), FALSE);
}
