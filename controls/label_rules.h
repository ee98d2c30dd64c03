// Geometry and text rules of the hyperlink and coloured labels; no Win32 calls, so they
// build natively for fuzzing too.
#pragma once

#include <cstddef>
#include <cstdint>

// Static-control styles the rules look at (the values of SS_CENTER, SS_RIGHT, SS_CENTERIMAGE).
constexpr uint32_t kStyleCenter = 0x1;
constexpr uint32_t kStyleRight = 0x2;
constexpr uint32_t kStyleCenterImage = 0x200;

// DrawText flags the coloured label uses (the values of DT_LEFT, DT_CENTER, DT_RIGHT,
// DT_VCENTER, DT_WORDBREAK, DT_SINGLELINE).
constexpr uint32_t kDrawLeft = 0x0;
constexpr uint32_t kDrawCenter = 0x1;
constexpr uint32_t kDrawRight = 0x2;
constexpr uint32_t kDrawVCenter = 0x4;
constexpr uint32_t kDrawWordBreak = 0x10;
constexpr uint32_t kDrawSingleLine = 0x20;

struct LabelRect {
  long left, top, right, bottom;
};

// The link label's rectangle resized to its text: the needed size is the text plus the
// frame (window minus client size); the style decides which edges stay.
LabelRect FitLabelRect(LabelRect window, LabelRect client, long textWidth, long textHeight,
                       uint32_t style);

// How the coloured label draws its text for a static-control style.
uint32_t LabelDrawFlags(uint32_t style);

// The browser command for url from the command of the .htm handler: cut at the quoted
// "%1" (or a bare %1), then a blank and the url. False when it does not fit.
bool BuildBrowserCommand(const wchar_t* handlerCommand, const wchar_t* url, wchar_t* command,
                         size_t capacity);
