// The wizard's custom label controls, part one: the web link.
//
// Classes in this file:
//   CHyperLink  a static text shown as a link: link colours, underline on hover, hand
//               cursor, and a click that opens its URL in the browser
#pragma once

#include <windows.h>

#include "framework/message_map.h"
#include "framework/static_control.h"

class CHyperLink : public CStatic {
 public:
  static constexpr int UnderlineHover = -1;
  static constexpr int UnderlineNone = 0;
  static constexpr int UnderlineAlways = 1;

  CHyperLink() = default;
  ~CHyperLink() override;

  void SetLinkUrl(const wchar_t* link);
  void SetUnderlineMode(int mode);
  // Kills the hover timer, then destroys the window.
  BOOL DestroyWindow() override;

  // Opens link in the browser; the shell's (or the fallback's) result, above 32 on success.
  static INT_PTR OpenLink(const wchar_t* link);

  COLORREF linkColour = RGB(0, 0, 238);
  COLORREF visitedColour = RGB(85, 26, 139);
  COLORREF hoverColour = RGB(255, 0, 0);
  int mouseOver = 0;
  int visited = 0;
  int underlineMode = UnderlineHover;
  int adjustToFit = 1;
  wchar_t url[2 * MAX_PATH] = {};
  CFont underlineFont;
  CFont standardFont;
  HCURSOR handCursor = nullptr;
  int hoverTimerId = 100;

 protected:
  void PreSubclassWindow() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  HBRUSH CtlColor(HDC dc);
  bool OnSetCursor(WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool OnMouseMove(WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool OnTimer(WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool OnEraseBackground(WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnClicked();
  void FitWindowToText();
  void LoadHandCursor();
  void SelectFont(const CFont& font);

  static const MessageEntry<CHyperLink> kMessageMap[];
};
