// Shell links of an installation: the start-menu group and the desktop links.
#pragma once

#include <cstdint>

#include "integration/install_paths.h"

// The group folder's name below the Programs folder, and the names of the links.
inline constexpr wchar_t kProgramGroupName[] = L"Lumagrove";
inline constexpr wchar_t kGroupViewerLinkFormat[] = L"Lumagrove 64 %d.%2d.lnk";
inline constexpr wchar_t kDesktopViewerLink[] = L"Lumagrove 64.lnk";
inline constexpr wchar_t kDesktopThumbnailsLink[] = L"Lumagrove 64 Thumbnails.lnk";

// The group's links after the first, in the order they are written. Targets are formats
// over installFolder; none means the viewer.
struct GroupLink {
  const wchar_t* fileName;
  const wchar_t* targetFormat;
  bool thumbnails;            // "/thumbs" and the viewer's icon 7
  bool onlyBeforeWindows8;    // Windows 8 lists its own uninstall entry
};

inline constexpr GroupLink kGroupLinks[] = {
    {L"Lumagrove - Thumbnails.lnk", nullptr, true, false},
    {L"Lumagrove deinstallieren.lnk", L"%lslgr_uninstall.exe", false, true},
    {L"Über Lumagrove.lnk", L"%lslg_about.txt", false, false},
    {L"Was ist neu.lnk", L"%lslg_changes.txt", false, false},
    {L"Kommandozeilen-Optionen.lnk", L"%lslg_options.txt", false, false},
    {L"Verfügbare PlugIns.lnk", L"%lslg_plugins.txt", false, false},
    {L"Verfügbare Sprachen.lnk", L"%lslg_languages.txt", false, false},
    {L"Lumagrove Hilfe.lnk", kHelpTargetFormat, false, false},
};

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
