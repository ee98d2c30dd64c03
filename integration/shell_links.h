// Shell links of an installation: the start-menu group and the desktop links.
#pragma once

#include <cstdint>
#include <string>

#include "base/safe_files.h"
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

// What a link holds; arguments, iconPath and description may be null.
struct ShellLinkFields {
  const wchar_t* target;
  const wchar_t* arguments = nullptr;
  const wchar_t* iconPath = nullptr;
  int iconIndex = 0;
  const wchar_t* description = nullptr;
};

// The bytes of a .lnk file for the fields, made in memory by the ShellLink class, with
// its own CoInitialize/CoUninitialize. False when the shell could not make them.
bool ShellLinkBytes(const ShellLinkFields& fields, std::string& bytes);

// Writes the link name into the guarded folder through a scratch file renamed over the
// name: a file or a link planted under that name is replaced, never written through.
FileStatus WriteShellLink(const GuardedFolder& folder, const wchar_t* name,
                          const ShellLinkFields& fields);

// A special folder (CSIDL) with a final backslash; the Windows folder when the shell
// cannot name it. MAX_PATH buffer.
void GetSpecialFolder(int csidl, wchar_t* folder);
// The desktop or Programs folder of the current user (allUsers 0) or of all users.
void GetDesktopFolder(int32_t allUsers, wchar_t* folder);
void GetProgramsFolder(int32_t allUsers, wchar_t* folder);

// Links 1 to 9 in the "Lumagrove" group; the viewer links of 4.57 and 4.56 go. The group
// folder is the top of a guarded tree: when it is a link, no link is written there. What
// is refused or fails goes to the problem log.
void CreateProgramGroup(const wchar_t* installFolder, int32_t allUsers);

// The two desktop links: the viewer, and the viewer in its thumbnails mode. The desktop
// may be redirected; it is guarded from where it leads.
void CreateDesktopViewerLink(const wchar_t* viewerExePath, int32_t allUsers);
void CreateDesktopThumbnailsLink(const wchar_t* viewerExePath, int32_t allUsers);
