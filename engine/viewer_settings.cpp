#include "engine/viewer_settings.h"

void WriteViewerSettings(const wchar_t*, wchar_t*, int, wchar_t* settingsFile) {
  settingsFile[0] = L'\0';
}

int ConvertSettingsToUnicode(const wchar_t*, FILE* source) {
  fclose(source);
  return 1;
}
