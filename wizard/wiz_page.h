// The one page class of the setup wizard and the helpers its page branches share.
//
// Classes in this file:
//   CWizPropertyPage  a wizard page made from one of the templates 101, 108, 104, 109, 110;
//                     every overridable runs the branch of the page it belongs to
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/install_options.h"
#include "framework/message_map.h"
#include "framework/property_page.h"

class CWizPropertySheet;

class CWizPropertyPage : public CPropertyPage {
 public:
  explicit CWizPropertyPage(UINT templateId) : CPropertyPage(templateId) {}

  // The template id of the nearest included page after (forward) or before the active
  // page; -1 when there is none.
  virtual LRESULT GetAdjacentPageId(bool forward);

  // Shows a message of the string table, owned by the page, with the sheet's caption.
  int ShowMessage(unsigned messageId, UINT flags);

  int32_t firstActivation = 1;
  COLORREF listBackColour = 0;
  COLORREF listTextColour = CLR_INVALID;  // nothing saved yet
  int32_t included = 1;
  CWizPropertySheet* sheet = nullptr;

 protected:
  // Binds the sheet's labels to the licence link (welcome) and the progress label (ready).
  void DoDataExchange(CDataExchange* dx) override;
  // Sets up the page that becomes active; returns the base's result.
  BOOL OnSetActive() override;
  // Return -1 to stay on the page, else the template id of the page to go to.
  LRESULT OnWizardBack() override;
  // Return -1 to stay on the page, else the template id of the page to go to.
  LRESULT OnWizardNext() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  int ActiveIndex() const;
  // A viewer window is open, or the viewer in the welcome page's target folder runs.
  bool ViewerRunning();

  // Welcome and options page.
  void SetUpWelcome();
  void BindLicenceLink(CDataExchange* dx);
  bool TargetFolderAccepted();
  void OnBrowse();
  void OnShortcutBox();
  void OnNoShortcuts();
  // File associations page.
  void SetUpTypeList();
  void OnRegistryBox();
  void OnImagesOnly();
  void OnMarkAll();
  void OnMarkNone();
  // Ready page.
  void SetUpReady();
  void BindProgressLabel(CDataExchange* dx);
  bool InstallFromPages();
  void ReadOptions(InstallOptions& options);
  // Finish page.
  void SetUpFinish();

  static const MessageEntry<CWizPropertyPage> kMessageMap[];
};

// Shared by the page branches.
void LoadWhatsNewText(CWizPropertyPage& page);
void AddTypeListRow(HWND list, const wchar_t* extensionLabel, const wchar_t* displayName,
                    int index);
void EnableTypeList(CWizPropertyPage& page, HWND list, bool enable, COLORREF background,
                    COLORREF text);
// Sets the state image (1 unchecked, 2 checked) of a row of the file type list.
void SetTypeListMark(HWND list, int row, int stateImage);
// The association choice from the marks, when the list is enabled.
void ReadTypeListSelection(HWND list, int32_t* selection, int32_t* associationMode);
// Opens the folder browser on path; 1 with the chosen folder (final backslash) in path,
// 0 when nothing was chosen.
int BrowseForTargetFolder(HWND owner, wchar_t* path, size_t capacity);
