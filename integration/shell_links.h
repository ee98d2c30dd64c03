// Shell links of an installation: the start-menu group and the desktop links.
#pragma once

#include <cstdint>

// Saves a .lnk at linkPath; arguments, iconPath and description may be null. Each call
// has its own CoInitialize/CoUninitialize. True when the file was saved.
bool CreateShellLink(const wchar_t* linkPath, const wchar_t* target,
                     const wchar_t* arguments = nullptr, const wchar_t* iconPath = nullptr,
                     int iconIndex = 0, const wchar_t* description = nullptr);

// A special folder (CSIDL) with a final backslash; the Windows folder when the shell
// cannot name it. MAX_PATH buffer.
void GetSpecialFolder(int csidl, wchar_t* folder);
// The desktop or Programs folder of the current user (allUsers 0) or of all users.
void GetDesktopFolder(int32_t allUsers, wchar_t* folder);
void GetProgramsFolder(int32_t allUsers, wchar_t* folder);

// Links 1 to 9 in the "Lumagrove" group; the viewer links of 4.57 and 4.56 go.
void CreateProgramGroup(const wchar_t* installFolder, int32_t allUsers);

// The two desktop links: the viewer, and the viewer in its thumbnails mode.
void CreateDesktopViewerLink(const wchar_t* viewerExePath, int32_t allUsers);
void CreateDesktopThumbnailsLink(const wchar_t* viewerExePath, int32_t allUsers);
