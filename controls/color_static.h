// The wizard's custom label controls, part two: the coloured label.
//
// Classes in this file:
//   CXColorStatic  a static text that paints itself in its own colours and font (bold, or
//                  Arial of a given height)
#pragma once

#include <windows.h>

#include "base/handles.h"
#include "framework/message_map.h"
#include "framework/static_control.h"

class CXColorStatic : public CStatic {
 public:
  CXColorStatic();
  ~CXColorStatic() override = default;

  // Bold from now on: the window's font made bold.
  void SetBold();
  // Arial with the given cell height (logical units), weight after bold.
  void SetFontHeight(int height);
  // Replaces the label's font by the description with the weight after bold; redraws now.
  void ApplyLogFont(const LOGFONTW& description);

  CFont labelFont;
  COLORREF textColour;  // takes effect at the next paint
  COLORREF backgroundColour;
  UniqueGdiObject backgroundBrush;
  int bold = 0;
  int marginX = 0;
  int marginY = 0;
  HICON icon = nullptr;

 protected:
  void PreSubclassWindow() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  bool OnPaint(WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool OnEraseBackground(WPARAM wParam, LPARAM lParam, LRESULT& result);

  static const MessageEntry<CXColorStatic> kMessageMap[];
};
