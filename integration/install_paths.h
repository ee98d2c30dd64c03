// Names and formats of everything derived from the install folder, and the longest folder
// for which all of them still fit a 260-character buffer.
#pragma once

#include <algorithm>
#include <cstddef>

#include "base/text_rules.h"
#include "payload_files.h"  // generated from payload/layout.txt

inline constexpr wchar_t kProductName[] = L"Lumagrove";
inline constexpr int kVersionMajor = 4;
inline constexpr int kVersionMinor = 58;

inline constexpr wchar_t kViewerExeName[] = L"lg_show64.exe";
inline constexpr wchar_t kOpenCommandFormat[] = L"\"%ls\" \"%%1\"";
inline constexpr wchar_t kBrowseCommandFormat[] = L"\"%ls\" \"%%1\" /thumbs";
inline constexpr wchar_t kQuotedViewerFormat[] = L"\"%ls\"";
inline constexpr wchar_t kUninstallStringFormat[] = L"\"%lslgr_uninstall.exe\"";
inline constexpr wchar_t kQuietUninstallStringFormat[] = L"\"%lslgr_uninstall.exe\" /silent";
// The folder already ends in a backslash; the second one is what installed links have
// always pointed to, and the shell reads it as one.
inline constexpr wchar_t kHelpTargetFormat[] = L"%ls\\help\\lg_show32_deutsch.chm";
inline constexpr wchar_t kViewerIcon0Format[] = L"%ls,0";
inline constexpr wchar_t kViewerIcon8Format[] = L"%ls,8";
inline constexpr wchar_t kViewerIcon9Format[] = L"%ls,9";

// Characters a format prints besides its %ls arguments ("%%" prints one character).
constexpr size_t FormatOverhead(const wchar_t* format) {
  size_t n = 0;
  for (size_t i = 0; format[i] != L'\0';) {
    if (format[i] == L'%' && format[i + 1] == L'l' && format[i + 2] == L's') {
      i += 3;
      continue;
    }
    i += format[i] == L'%' && format[i + 1] == L'%' ? 2 : 1;
    ++n;
  }
  return n;
}

constexpr size_t TextLength(const wchar_t* text) {
  size_t n = 0;
  while (text[n] != L'\0') ++n;
  return n;
}

// The longest path below the install folder that the payload unpacks to.
constexpr size_t LongestPayloadPath() {
  size_t longest = 0;
  for (const wchar_t* path : kPayloadPaths)
    if (TextLength(path) > longest) longest = TextLength(path);
  return longest;
}

// The longest text, beyond the folder itself, that anything below the folder needs.
inline constexpr size_t kLongestFolderSuffix = std::max({
    TextLength(kViewerExeName),                                           // viewerExePath
    FormatOverhead(kOpenCommandFormat) + TextLength(kViewerExeName),      // openCommand
    FormatOverhead(kBrowseCommandFormat) + TextLength(kViewerExeName),    // browse command
    FormatOverhead(kViewerIcon0Format) + TextLength(kViewerExeName),      // icon texts
    FormatOverhead(kUninstallStringFormat),                               // UninstallString
    FormatOverhead(kQuietUninstallStringFormat),                          // QuietUninstallString
    FormatOverhead(kHelpTargetFormat),                                    // help link target
    LongestPayloadPath(),                                                 // unpacked files
});

// The longest install folder (final backslash included) whose derived paths fit kMaxPath.
inline constexpr size_t kLongestInstallFolder = (kMaxPath - 1) - kLongestFolderSuffix;
static_assert(kLongestFolderSuffix < kMaxPath / 2, "derived paths leave room for a folder");

// The shared strings of one installation, each in a MAX_PATH buffer.
struct InstallStrings {
  wchar_t installFolder[kMaxPath];  // blanks trimmed, final backslash
  wchar_t viewerExePath[kMaxPath];
  wchar_t openCommand[kMaxPath];
};

// The target folder with blanks trimmed and a final backslash, in a kLongPath buffer.
size_t MakeInstallFolder(const wchar_t* targetFolder, wchar_t* installFolder);

// Fills strings from targetFolder; false (and nothing usable) when the folder is too long.
bool BuildInstallStrings(const wchar_t* targetFolder, InstallStrings& strings);

// format with one %ls argument into a MAX_PATH buffer; false when it would not fit.
bool FormatPath(wchar_t* out, const wchar_t* format, const wchar_t* argument);
