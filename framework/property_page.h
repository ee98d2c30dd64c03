// One page of a property sheet, made from a dialog template of the program's resources.
//
// Classes in this file:
//   CDataExchange  the context of one data exchange: the page and its direction
//   CPropertyPage  the page object: created by the sheet, it gets the page's messages and
//                  turns the sheet's PSN_* notifications into the overridables below
#pragma once

#include <windows.h>
#include <prsht.h>

#include "framework/window.h"

class CPropertyPage;
class CPropertySheet;
class CStatic;

struct CDataExchange {
  CPropertyPage* dialog;
  bool saveAndValidate;  // false: from the program to the controls
};

// Attaches control to the dialog item id, but only while control has no window yet.
void DDX_Control(CDataExchange* dx, int id, CStatic& control);

class CPropertyPage : public CWnd {
 public:
  explicit CPropertyPage(UINT templateId) : templateId_(templateId) {}

  UINT TemplateId() const { return templateId_; }
  CPropertySheet* GetParentSheet() const { return parentSheet_; }

  // Runs DoDataExchange; saveAndValidate false fills the controls.
  BOOL UpdateData(BOOL saveAndValidate);

 protected:
  // Runs when the page's window has been created. Return TRUE to let the dialog manager
  // set the focus. The base runs the first data exchange.
  virtual BOOL OnInitDialog();
  // Binds control objects to the page's controls (also later, at each activation).
  virtual void DoDataExchange(CDataExchange*) {}
  // Runs each time the page becomes active. Return FALSE to refuse the activation. The base
  // repeats the data exchange at every activation after the first.
  virtual BOOL OnSetActive();
  // Return -1 to stay on the page, a dialog template id to go to that page, 0 for the
  // page after this one.
  virtual LRESULT OnWizardNext() { return 0; }
  // Return -1 to stay on the page, a dialog template id to go to that page, 0 for the
  // page before this one.
  virtual LRESULT OnWizardBack() { return 0; }
  // Return true when the message was handled; result is what its sender gets.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  friend class CPropertySheet;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleNotify(const NMHDR& header, LRESULT& result);
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  UINT templateId_;
  CPropertySheet* parentSheet_ = nullptr;
  bool firstSetActive_ = true;
};
