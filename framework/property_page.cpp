// The page's dialog procedure: PSN_* notifications to overridables, reflection of control
// notifications, and the one place that writes a page's DWLP_MSGRESULT.
#include "framework/property_page.h"

#include "framework/property_sheet.h"
#include "framework/static_control.h"

void DDX_Control(CDataExchange* dx, int id, CStatic& control) {
  if (control.GetSafeHwnd()) return;
  control.SubclassWindow(dx->dialog->GetDlgItem(id));
}

BOOL CPropertyPage::UpdateData(BOOL saveAndValidate) {
  CDataExchange dx = {this, saveAndValidate != FALSE};
  DoDataExchange(&dx);
  return TRUE;
}

BOOL CPropertyPage::OnInitDialog() { return UpdateData(FALSE); }

BOOL CPropertyPage::OnSetActive() {
  if (firstSetActive_)
    firstSetActive_ = false;
  else
    UpdateData(FALSE);
  return TRUE;
}

bool CPropertyPage::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

bool CPropertyPage::HandleNotify(const NMHDR& header, LRESULT& result) {
  switch (header.code) {
    case PSN_SETACTIVE: {
      CPropertySheet::Activation activation(parentSheet_, this);
      result = OnSetActive() ? 0 : -1;
      return true;
    }
    case PSN_WIZNEXT:
      result = OnWizardNext();
      return true;
    case PSN_WIZBACK:
      result = OnWizardBack();
      return true;
    case PSN_KILLACTIVE:
      result = FALSE;  // the page may always be left
      return true;
  }
  return false;
}

bool CPropertyPage::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG: {
      if (parentSheet_) parentSheet_->AttachWindow(GetParent(hwnd_));
      CPropertySheet::Activation activation(parentSheet_, this);
      result = OnInitDialog();
      return true;
    }
    case WM_NOTIFY: {
      const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
      if (header.hwndFrom == GetParent(hwnd_) && HandleNotify(header, result)) return true;
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_COMMAND:
      // The control may want its own notification (colours, clicks) first.
      if (lParam) {
        result = CStatic::ReflectToChild(reinterpret_cast<HWND>(lParam), message, wParam, lParam);
        if (result) return true;
      }
      break;
  }
  return OnMessage(message, wParam, lParam, result);
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  CPropertyPage* self;
  if (message == WM_INITDIALOG) {
    // The sheet passes its copy of the PROPSHEETPAGE, whose lParam is the page object.
    self = reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEW*>(lParam)->lParam);
    SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
  } else {
    self = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(window, DWLP_USER));
  }
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->hwnd_ = nullptr;
    self->firstSetActive_ = true;
    return FALSE;
  }
  LRESULT result = 0;
  if (!self->HandleMessage(message, wParam, lParam, result)) return FALSE;
  switch (message) {
    // These answer through the procedure's return value.
    case WM_INITDIALOG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
      return static_cast<INT_PTR>(result);
  }
  SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
  return TRUE;
}
