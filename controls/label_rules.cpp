// Rectangle fitting, draw flags and the browser fallback command of the labels.
#include "controls/label_rules.h"

#include <cwchar>

#include "base/text_rules.h"

namespace {

// Grows or shrinks [low, high] to size, keeping the low edge, the high edge or the centre.
void Resize(long& low, long& high, long size, bool centre, bool keepHigh) {
  long current = high - low;
  if (centre) {
    long half = (size - current) / 2;
    low -= half;
    high += half;
  } else if (keepHigh) {
    low = high - size;
  } else {
    high = low + size;
  }
}

}  // namespace

LabelRect FitLabelRect(LabelRect window, LabelRect client, long textWidth, long textHeight,
                       uint32_t style) {
  long width = textWidth + (window.right - window.left) - (client.right - client.left);
  long height = textHeight + (window.bottom - window.top) - (client.bottom - client.top);
  LabelRect fitted = window;
  Resize(fitted.top, fitted.bottom, height, (style & kStyleCenterImage) != 0, false);
  Resize(fitted.left, fitted.right, width, (style & kStyleCenter) != 0,
         (style & kStyleRight) != 0);
  return fitted;
}

uint32_t LabelDrawFlags(uint32_t style) {
  uint32_t flags = kDrawLeft;
  if (style & kStyleCenter)
    flags = kDrawCenter;
  else if (style & kStyleRight)
    flags = kDrawRight;
  if (style & kStyleCenterImage)
    flags |= kDrawVCenter | kDrawSingleLine;
  else
    flags |= kDrawWordBreak;
  return flags;
}

bool BuildBrowserCommand(const wchar_t* handlerCommand, const wchar_t* url, wchar_t* command,
                         size_t capacity) {
  if (capacity == 0) return false;
  size_t cut = wcslen(handlerCommand);
  if (const wchar_t* quoted = wcsstr(handlerCommand, L"\"%1\""))
    cut = static_cast<size_t>(quoted - handlerCommand);
  else if (const wchar_t* bare = wcsstr(handlerCommand, L"%1"))
    cut = static_cast<size_t>(bare - handlerCommand);
  if (cut + 1 > capacity) return false;
  for (size_t i = 0; i < cut; ++i) command[i] = handlerCommand[i];
  command[cut] = L'\0';
  return AppendText(command, capacity, L" ") && AppendText(command, capacity, url);
}
