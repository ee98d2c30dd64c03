// The complete input of one installation, as both the silent start and the wizard fill it.
#pragma once

#include <cstdint>

#include "base/text_rules.h"

constexpr int kSelectionCount = 62;   // associationSelection; the 61 rows use 0 to 60

struct InstallOptions {
  wchar_t targetFolder[kLongPath] = {};
  int32_t startMenuShortcuts = 0;
  int32_t desktopShortcut = 0;
  int32_t thumbnailsShortcut = 0;
  int32_t allUsers = 0;
  wchar_t iniFolder[kLongPath] = {};
  int32_t associationSelection[kSelectionCount] = {};
  int32_t associationMode = 0;
  int32_t silentMode = 1;
  wchar_t setupTitle[kMaxPath] = {};
};

inline constexpr wchar_t kSetupTitle[] = L"Lumagrove 64-bit Setup";
inline constexpr wchar_t kDefaultIniFolder[] = L"%APPDATA%\\Lumagrove";
