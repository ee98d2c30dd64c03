// Building and running the wizard sheet, the active-page query and the sheet's subclass.
#include "framework/property_sheet.h"

#include "base/text_rules.h"
#include "framework/common_controls.h"
#include "framework/property_page.h"

namespace {
constexpr UINT_PTR kSubclassId = 1;
}

CPropertySheet::CPropertySheet(const wchar_t* caption, HWND parent, UINT startPage)
    : parent_(parent), startPage_(startPage) {
  CopyText(caption_, MAX_PATH, caption);
}

CPropertySheet::~CPropertySheet() { Detach(); }

bool CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page || pageCount_ >= kMaxPages) return false;
  pages_[pageCount_++] = page;
  page->parentSheet_ = this;
  return true;
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
  return index >= 0 && index < pageCount_ ? pages_[index] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
  for (int i = 0; i < pageCount_; ++i)
    if (pages_[i] == page) return i;
  return -1;
}

int CPropertySheet::GetActiveIndex() const {
  // comctl32 reports no current page while it switches pages.
  if (activating_) return GetPageIndex(activating_);
  if (!hwnd_) return static_cast<int>(startPage_);
  LRESULT page = SendMessageW(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0);
  return static_cast<int>(SendMessageW(hwnd_, PSM_HWNDTOINDEX, static_cast<WPARAM>(page), 0));
}

void CPropertySheet::SetPageCaption(const wchar_t* caption) {
  CopyText(pageCaption_, MAX_PATH, caption);
}

INT_PTR CPropertySheet::DoModal() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  PROPSHEETPAGEW pages[kMaxPages] = {};
  for (int i = 0; i < pageCount_; ++i) {
    PROPSHEETPAGEW& page = pages[i];
    page.dwSize = sizeof(page);
    page.dwFlags = pageCaption_[0] ? PSP_USETITLE : PSP_DEFAULT;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(pages_[i]->TemplateId());
    page.pszTitle = pageCaption_;
    page.pfnDlgProc = CPropertyPage::DialogProc;
    page.lParam = reinterpret_cast<LPARAM>(pages_[i]);
  }
  PROPSHEETHEADERW header = {};
  header.dwSize = sizeof(header);
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | (wizard_ ? PSH_WIZARD : 0);
  header.hwndParent = parent_;
  header.hInstance = instance;
  header.pszCaption = caption_;
  header.nPages = static_cast<UINT>(pageCount_);
  header.nStartPage = startPage_;
  header.ppsp = pages;
  INT_PTR result = comctl::PropertySheetW(&header);
  activating_ = nullptr;
  return result;
}

BOOL CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
  comctl::DefSubclassProc(hwnd_, WM_COMMAND, wParam, lParam);
  return TRUE;
}

void CPropertySheet::OnSysCommand(UINT command, LPARAM lParam) {
  comctl::DefSubclassProc(hwnd_, WM_SYSCOMMAND, command, lParam);
}

bool CPropertySheet::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND) {
    OnCommand(wParam, lParam);
    result = 0;
    return true;
  }
  if (message == PSM_PRESSBUTTON && wParam == PSBTN_CANCEL) {
    // comctl32 would cancel at once; as the Cancel button's command it reaches OnCommand
    // like the button, Escape and the close command do.
    OnCommand(MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetButton(IDCANCEL)));
    result = 0;
    return true;
  }
  return false;
}

CPropertySheet::Activation::Activation(CPropertySheet* sheet, CPropertyPage* page)
    : sheet_(sheet), previous_(sheet ? sheet->activating_ : nullptr) {
  if (sheet_) sheet_->activating_ = page;
}

CPropertySheet::Activation::~Activation() {
  if (sheet_) sheet_->activating_ = previous_;
}

void CPropertySheet::AttachWindow(HWND sheetWindow) {
  if (hwnd_ || !sheetWindow) return;
  hwnd_ = sheetWindow;
  comctl::SetWindowSubclass(sheetWindow, SubclassProc, kSubclassId,
                            reinterpret_cast<DWORD_PTR>(this));
  OnInitDialog();
}

void CPropertySheet::Detach() {
  if (hwnd_) comctl::RemoveWindowSubclass(hwnd_, SubclassProc, kSubclassId);
  hwnd_ = nullptr;
}

LRESULT CALLBACK CPropertySheet::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR reference) {
  CPropertySheet* self = reinterpret_cast<CPropertySheet*>(reference);
  if (message == WM_NCDESTROY) {
    self->Detach();
    return comctl::DefSubclassProc(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (self->OnMessage(message, wParam, lParam, result)) return result;
  return comctl::DefSubclassProc(window, message, wParam, lParam);
}
