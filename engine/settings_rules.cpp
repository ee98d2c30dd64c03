#include "engine/settings_rules.h"

#include <cwchar>

#include "base/text_rules.h"

bool ExpandEnvironmentNames(const wchar_t* text, wchar_t* out, size_t capacity,
                            const EnvironmentLookup& lookup) {
  if (capacity == 0) return false;
  std::wstring result;
  for (const wchar_t* p = text; *p;) {
    if (*p != L'%') {
      result += *p++;
      continue;
    }
    const wchar_t* nameStart = ++p;
    while (*p && *p != L'%') ++p;
    std::wstring name(nameStart, p);
    if (*p == L'%') ++p;
    std::wstring value;
    if (!name.empty() && lookup.Get(name, value)) result += value;
  }
  out[0] = L'\0';
  if (result.size() >= capacity) return false;
  CopyText(out, capacity, result.c_str());
  return true;
}

ToolbarSkin ChooseToolbarSkin(int height, int scale) {
  if (height >= 1600 || scale >= 170) return {L"gnome-colors-human_48.png", L"48"};
  if (height > 1200 || scale >= 150) return {L"gnome-colors-wise_32.png", L"32"};
  if (height >= 768) return {L"Hallvik_24.png", L"24"};
  return {L"Orlund_16.png", L"16"};
}

bool IsPackagedLayout(const wchar_t* iniFolder, const wchar_t* settingsFile) {
  return iniFolder[0] != L'\0' &&
         (Contains(settingsFile, L"Lumagrove32_App") || Contains(settingsFile, L"Lumagrove64_App"));
}
