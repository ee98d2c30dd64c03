// Text rules of the uninstaller and the exit codes of its outcomes; no Win32 calls.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

enum class UninstallOutcome {
  Removed,
  ViewerRunning,    // nothing removed
  Declined,         // the user answered No; nothing removed
  FilesLeft,        // removed, but files in use elsewhere could not be deleted
  NotThisFolder,    // no installation here, or the registered one is elsewhere
  FolderIsLink,     // the installation folder is a link or junction: nothing removed
};

// The one place that turns outcomes into exit codes (documented in docs/deployment.md).
constexpr int UninstallExitCode(UninstallOutcome outcome) {
  switch (outcome) {
    case UninstallOutcome::Removed: return 0;
    case UninstallOutcome::ViewerRunning: return 1;
    case UninstallOutcome::Declined: return 2;
    case UninstallOutcome::FilesLeft: return 3;
    case UninstallOutcome::NotThisFolder: return 4;
    case UninstallOutcome::FolderIsLink: return 7;
  }
  return 4;
}

// "/silent" anywhere in the arguments, in this letter case, as the setup reads it.
bool WantsSilentRemoval(const wchar_t* arguments);

// Whether a ProgID is one of the viewer's ("Lumagrove." and a stem, any letter case).
bool IsOwnProgId(const wchar_t* progId);

// Whether two folder paths name the same folder: letter case and one final backslash
// do not count.
bool IsSameFolder(const wchar_t* a, const wchar_t* b);

// Whether a settings file holds nothing but the setup's pointer to the settings folder:
// one non-empty INI_Folder in section Others, besides blank lines and the header the
// setup's UTF-16 conversion writes. 8-bit text, or UTF-16 after its byte-order mark.
bool IsOnlySettingsPointer(const void* bytes, size_t size);

// What the removal left in place, and why (a short German reason).
struct LeftItem {
  std::wstring path;
  const wchar_t* reason;
};
using LeftItems = std::vector<LeftItem>;

// One "path: reason" line per item, at most maxLines of them; "..." stands for the rest.
std::wstring ListLeftItems(const LeftItems& items, size_t maxLines);
