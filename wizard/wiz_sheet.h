// The setup wizard's frame.
//
// Classes in this file:
//   CWizPropertySheet  the property sheet in wizard mode with the five pages: caption,
//                      "&Beenden", the question before the setup is abandoned, and the
//                      finish actions (FAQ page, viewer start)
#pragma once

#include <windows.h>

#include "controls/color_static.h"
#include "controls/hyperlink.h"
#include "engine/run_outcome.h"
#include "framework/message_map.h"
#include "framework/property_sheet.h"
#include "integration/web_pages.h"

// Page indices of the sheet, in the order start-up adds them.
constexpr int kWelcomePage = 0;
constexpr int kWhatsNewPage = 1;
constexpr int kAssociationsPage = 2;
constexpr int kReadyPage = 3;
constexpr int kFinishPage = 4;

class CWizPropertySheet : public CPropertySheet {
 public:
  CWizPropertySheet();
  ~CWizPropertySheet() override = default;

  // Asks "Installation beenden?"; true when the user answered Yes.
  bool ConfirmQuit();

  CFont titleFont;
  HWND fileTypeList = nullptr;
  CHyperLink eulaLink;
  CXColorStatic progressLabel;
  wchar_t titleText[MAX_PATH] = {};
  // Set by the ready page when its installation went through, with what it ended with:
  // complete, complete after a restart, or with files left out.
  bool installationSucceeded = false;
  RunOutcome installationOutcome = RunOutcome::Installed;

 protected:
  // Sets the caption and the Cancel text; returns the base's result.
  BOOL OnInitDialog() override;
  // Cancel (and Escape): asks before abandoning, or runs the finish actions on the finish
  // page. Returns TRUE when the command was consumed.
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // The close command asks the same question before pages 0 to 3 are abandoned.
  void OnSysCommand(UINT command, LPARAM lParam);

 private:
  void RunFinishActions();
  void StartViewer();

  static const MessageEntry<CWizPropertySheet> kMessageMap[];
};
