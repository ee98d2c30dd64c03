// Whether the viewer is running, as the setup, the wizard and the uninstaller ask it, and
// the request to close it (/closeviewer=N).
#pragma once

#include <cstddef>
#include <cstdint>

// True while a top-level window of the viewer's class "Lumagrove" exists on this desktop,
// or, given the install folder, while a process in any session or desktop runs
// <installFolder>lg_show64.exe (found by its image path, and through the Restart Manager
// where the system offers it).
bool IsViewerRunning(const wchar_t* installFolder /* may be null: window check only */);

// The longest wait of /closeviewer=N; larger values wait this long.
constexpr int32_t kMaxCloseViewerSeconds = 3600;

// Asks every running viewer (as IsViewerRunning finds them) to close: WM_CLOSE to its
// top-level windows, and the Restart Manager's shutdown where available. Then waits up to
// seconds (0 or less: checks once) for all of them to end. seconds < 0 (no /closeviewer=)
// only checks, asking nothing. True when no viewer runs any more.
bool CloseRunningViewers(const wchar_t* installFolder, int32_t seconds);

// --- The rules under them ---

// <installFolder>lg_show64.exe: the folder without blanks around it, one backslash after
// it unless it ends in one. False for an empty folder or a path longer than capacity.
bool ViewerImagePath(const wchar_t* installFolder, wchar_t* path, size_t capacity);

// Whether two full paths name the same file: letter case does not count (as in file
// names), and "/" and "\" are the same separator.
bool IsSameImagePath(const wchar_t* a, const wchar_t* b);

// The wait of /closeviewer=N in milliseconds: 0 for N <= 0, at most kMaxCloseViewerSeconds.
uint32_t CloseViewerWaitMilliseconds(int32_t seconds);

// What the image path of a process says about it.
enum class ProcessImage { Viewer, Other, Unknown /* the process cannot be asked */ };

// Whether a process that the Restart Manager reports as using the viewer's file counts as
// a running viewer. appType is its RM_APP_TYPE: the shell, services and critical processes
// only read the file (icons, scanning, indexing) unless their image is the viewer.
bool RestartManagerEntryIsViewer(int appType, ProcessImage image);
