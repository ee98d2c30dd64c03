// Text rules of the uninstaller and the exit codes of its outcomes; no Win32 calls.
#pragma once

enum class UninstallOutcome {
  Removed,
  ViewerRunning,    // nothing removed
  Declined,         // the user answered No; nothing removed
  FilesLeft,        // removed, but files in use elsewhere could not be deleted
  NotThisFolder,    // no installation here, or the registered one is elsewhere
};

// The one place that turns outcomes into exit codes (documented in docs/deployment.md).
constexpr int UninstallExitCode(UninstallOutcome outcome) {
  switch (outcome) {
    case UninstallOutcome::Removed: return 0;
    case UninstallOutcome::ViewerRunning: return 1;
    case UninstallOutcome::Declined: return 2;
    case UninstallOutcome::FilesLeft: return 3;
    case UninstallOutcome::NotThisFolder: return 4;
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
