// Building the install folder and the paths and commands derived from it, always bounded.
#include "integration/install_paths.h"

#include <cwchar>

#include "base/text_rules.h"

size_t MakeInstallFolder(const wchar_t* targetFolder, wchar_t* installFolder) {
  CopyText(installFolder, kLongPath, targetFolder);
  TrimBlanks(installFolder);
  AppendBackslash(installFolder, kLongPath);
  return wcslen(installFolder);
}

bool FormatPath(wchar_t* out, const wchar_t* format, const wchar_t* argument) {
  out[0] = L'\0';
  if (FormatOverhead(format) + wcslen(argument) > kMaxPath - 1) return false;
  swprintf(out, kMaxPath, format, argument);
  return true;
}

bool BuildInstallStrings(const wchar_t* targetFolder, InstallStrings& strings) {
  wchar_t folder[kLongPath];
  if (MakeInstallFolder(targetFolder, folder) > kLongestInstallFolder) return false;
  CopyText(strings.installFolder, kMaxPath, folder);
  CopyText(strings.viewerExePath, kMaxPath, folder);
  return AppendText(strings.viewerExePath, kMaxPath, kViewerExeName) &&
         FormatPath(strings.openCommand, kOpenCommandFormat, strings.viewerExePath);
}
