// The page class's dispatch by page index, the navigation and the shared command table.
#include "wizard/wiz_page.h"

#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "base/viewer_check.h"
#include "resources/resource_ids.h"
#include "wizard/control_ids.h"
#include "wizard/wiz_sheet.h"

const MessageEntry<CWizPropertyPage> CWizPropertyPage::kMessageMap[] = {
    OnClicked<&CWizPropertyPage::OnBrowse>(IDC_BROWSE),
    OnClicked<&CWizPropertyPage::OnShortcutBox>(IDC_DESKTOP_LINK),
    OnClicked<&CWizPropertyPage::OnShortcutBox>(IDC_THUMBNAILS_LINK),
    OnClicked<&CWizPropertyPage::OnShortcutBox>(IDC_START_MENU_LINKS),
    OnClicked<&CWizPropertyPage::OnNoShortcuts>(IDC_NO_SHORTCUTS),
    OnClicked<&CWizPropertyPage::OnRegistryBox>(IDC_REGISTRY_BOX),
    OnClicked<&CWizPropertyPage::OnImagesOnly>(IDC_IMAGES_ONLY),
    OnClicked<&CWizPropertyPage::OnMarkAll>(IDC_MARK_ALL),
    OnClicked<&CWizPropertyPage::OnMarkNone>(IDC_MARK_NONE),
};

bool CWizPropertyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return RouteMessage(*this, kMessageMap, message, wParam, lParam, result) ||
         CPropertyPage::OnMessage(message, wParam, lParam, result);
}

int CWizPropertyPage::ActiveIndex() const { return sheet ? sheet->GetActiveIndex() : -1; }

bool CWizPropertyPage::ViewerRunning() {
  if (!sheet) return IsViewerRunning(nullptr);
  wchar_t folder[kLongPath];
  sheet->GetPage(kWelcomePage)->GetDlgItemText(IDC_TARGET_FOLDER, folder, kLongPath);
  return IsViewerRunning(folder);
}

int CWizPropertyPage::ShowMessage(unsigned messageId, UINT flags) {
  wchar_t text[kLongPath];
  LoadResourceString(messageId, text, kLongPath);
  return MessageBox(text, sheet ? sheet->titleText : L"", flags);
}

void CWizPropertyPage::DoDataExchange(CDataExchange* dx) {
  CPropertyPage::DoDataExchange(dx);
  switch (ActiveIndex()) {
    case kWelcomePage: BindLicenceLink(dx); break;
    case kReadyPage: BindProgressLabel(dx); break;
  }
}

BOOL CWizPropertyPage::OnSetActive() {
  switch (ActiveIndex()) {
    case kWelcomePage: SetUpWelcome(); break;
    case kWhatsNewPage: LoadWhatsNewText(*this); break;
    case kAssociationsPage: SetUpTypeList(); break;
    case kReadyPage: SetUpReady(); break;
    case kFinishPage: SetUpFinish(); break;
  }
  return CPropertyPage::OnSetActive();
}

LRESULT CWizPropertyPage::OnWizardBack() { return GetAdjacentPageId(false); }

LRESULT CWizPropertyPage::OnWizardNext() {
  if (!sheet) return -1;
  EnableWindow(sheet->GetButton(IDC_SHEET_BACK), TRUE);
  switch (ActiveIndex()) {
    case kWelcomePage:
      if (!TargetFolderAccepted()) return -1;
      break;
    case kReadyPage:
      if (ViewerRunning()) {
        ShowMessage(IDS_VIEWER_RUNNING, MB_ICONWARNING | MB_OK);
        return -1;
      }
      if (!InstallFromPages()) return sheet->GetPage(kWelcomePage)->TemplateId();
      break;
  }
  return GetAdjacentPageId(true);
}

LRESULT CWizPropertyPage::GetAdjacentPageId(bool forward) {
  if (!sheet) return -1;
  int step = forward ? 1 : -1;
  int count = sheet->GetPageCount();
  for (int i = ActiveIndex() + step; i >= 0 && i < count; i += step) {
    auto* page = static_cast<CWizPropertyPage*>(sheet->GetPage(i));
    if (page->included) return page->TemplateId();
  }
  return -1;
}
