// The coloured label: its fonts and its own painting.
#include "controls/color_static.h"

#include "base/text_rules.h"
#include "controls/label_rules.h"

static_assert(kDrawCenter == DT_CENTER && kDrawRight == DT_RIGHT && kDrawLeft == DT_LEFT &&
              kDrawVCenter == DT_VCENTER && kDrawWordBreak == DT_WORDBREAK &&
              kDrawSingleLine == DT_SINGLELINE);
static_assert(kStyleCenter == SS_CENTER && kStyleRight == SS_RIGHT &&
              kStyleCenterImage == SS_CENTERIMAGE);

const MessageEntry<CXColorStatic> CXColorStatic::kMessageMap[] = {
    OnAnyMessage<&CXColorStatic::OnPaint>(WM_PAINT),
    OnAnyMessage<&CXColorStatic::OnEraseBackground>(WM_ERASEBKGND),
};

CXColorStatic::CXColorStatic()
    : textColour(GetSysColor(COLOR_BTNTEXT)),
      backgroundColour(GetSysColor(COLOR_BTNFACE)),
      backgroundBrush(CreateSolidBrush(backgroundColour)) {}

bool CXColorStatic::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  return RouteMessage(*this, kMessageMap, message, wParam, lParam, result) ||
         CStatic::OnMessage(message, wParam, lParam, result);
}

void CXColorStatic::PreSubclassWindow() {
  labelFont.CreateFontIndirect(WindowFontDescription(hwnd_));
}

void CXColorStatic::SetBold() {
  bold = 1;
  LOGFONTW description = WindowFontDescription(hwnd_);
  description.lfWeight = FW_BOLD;
  ApplyLogFont(description);
}

void CXColorStatic::SetFontHeight(int height) {
  LOGFONTW description = {};
  CopyText(description.lfFaceName, LF_FACESIZE, L"Arial");
  description.lfHeight = height;
  description.lfQuality = ANTIALIASED_QUALITY;
  ApplyLogFont(description);
}

void CXColorStatic::ApplyLogFont(const LOGFONTW& description) {
  LOGFONTW copy = description;
  copy.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  labelFont.CreateFontIndirect(copy);
  if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

bool CXColorStatic::OnPaint(WPARAM, LPARAM, LRESULT& result) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd_, &paint);
  int saved = SaveDC(dc);
  SetTextColor(dc, textColour);
  SetBkColor(dc, backgroundColour);
  SetBkMode(dc, OPAQUE);
  SelectObject(dc, backgroundBrush.get());
  RECT rect;
  GetClientRect(hwnd_, &rect);
  if (icon) {
    int cx = GetSystemMetrics(SM_CXICON);
    int cy = GetSystemMetrics(SM_CYICON);
    DrawIconEx(dc, rect.left + (rect.right - rect.left - cx) / 2,
               rect.top + (rect.bottom - rect.top - cy) / 2, icon, cx, cy, 0, nullptr, DI_NORMAL);
  } else {
    SelectObject(dc, labelFont.Get());
    wchar_t text[2 * MAX_PATH];
    int length = GetWindowTextW(hwnd_, text, 2 * MAX_PATH);
    rect.left += marginX;
    rect.top += marginY;
    UINT flags = LabelDrawFlags(static_cast<uint32_t>(GetWindowLongPtrW(hwnd_, GWL_STYLE)));
    DrawTextW(dc, text, length, &rect, flags);
  }
  RestoreDC(dc, saved);
  EndPaint(hwnd_, &paint);
  result = 0;
  return true;
}

bool CXColorStatic::OnEraseBackground(WPARAM wParam, LPARAM, LRESULT& result) {
  RECT client;
  GetClientRect(hwnd_, &client);
  FillRect(reinterpret_cast<HDC>(wParam), &client, static_cast<HBRUSH>(backgroundBrush.get()));
  result = TRUE;
  return true;
}
