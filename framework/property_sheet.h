// A property sheet in wizard mode whose pages are CPropertyPage objects.
//
// Classes in this file:
//   CPropertySheet  builds the sheet from its pages and runs it modally; knows which page
//                   is active (also while a page is being created or activated) and gets
//                   the sheet window's commands through a subclass
#pragma once

#include <windows.h>
#include <prsht.h>

#include "framework/window.h"

class CPropertyPage;

class CPropertySheet : public CWnd {
 public:
  static constexpr int kMaxPages = 8;

  CPropertySheet(const wchar_t* caption, HWND parent, UINT startPage);
  ~CPropertySheet() override;

  // Adds the page after the pages added before; false when the sheet is full.
  bool AddPage(CPropertyPage* page);
  int GetPageCount() const { return pageCount_; }
  CPropertyPage* GetPage(int index) const;
  // The position of the page in the sheet, -1 when it is not one of its pages.
  int GetPageIndex(const CPropertyPage* page) const;
  // The index of the active page: while a page is being created or activated, that page.
  int GetActiveIndex() const;
  // One of the sheet's buttons (Back 12323, Next 12324, Cancel 2), null without a window.
  HWND GetButton(int id) const { return hwnd_ ? ::GetDlgItem(hwnd_, id) : nullptr; }

  void SetWizardMode() { wizard_ = true; }
  // The title that every page gives the sheet when it becomes active: in wizard mode the
  // sheet shows the active page's title, so all pages carry the sheet's caption.
  void SetPageCaption(const wchar_t* caption);

  // Runs the sheet until it is closed; returns PropertySheetW's result.
  INT_PTR DoModal();

 protected:
  // Runs once, when the sheet's window exists with its buttons and before its first page is
  // set up. Returns TRUE.
  virtual BOOL OnInitDialog() { return TRUE; }
  // A command for the sheet window. Return TRUE when it was consumed. The base lets the
  // sheet's own procedure carry it out.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // Return true when the message was handled; result is what its sender gets.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // The system command's default processing.
  void OnSysCommand(UINT command, LPARAM lParam);

 private:
  friend class CPropertyPage;

  // Marks a page as the active one while it is created or activated.
  class Activation {
   public:
    Activation(CPropertySheet* sheet, CPropertyPage* page);
    ~Activation();
    Activation(const Activation&) = delete;
    Activation& operator=(const Activation&) = delete;

   private:
    CPropertySheet* sheet_;
    CPropertyPage* previous_;
  };

  // Called by a page when its window is created: the first one attaches the sheet window.
  void AttachWindow(HWND sheetWindow);
  void Detach();
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

  wchar_t caption_[MAX_PATH] = {};
  wchar_t pageCaption_[MAX_PATH] = {};
  HWND parent_;
  UINT startPage_;
  bool wizard_ = false;
  CPropertyPage* pages_[kMaxPages] = {};
  int pageCount_ = 0;
  CPropertyPage* activating_ = nullptr;
};
