// Registering the installed viewer: links, application keys, uninstall entry, file types.
#pragma once

#include <cstddef>
#include <cstdint>

// Keys and values of the application's registration (HKLM, Applications under HKCR).
inline constexpr wchar_t kBrowseVerb[] = L"Durchsuchen mit &Lumagrove";
inline constexpr const wchar_t* kBrowseVerbKeyFormats[] = {
    L"SOFTWARE\\Classes\\Directory\\shell\\%ls",
    L"SOFTWARE\\Classes\\Drive\\shell\\%ls",
};
inline constexpr wchar_t kApplicationClassKey[] = L"SOFTWARE\\Classes\\Lumagrove";
inline constexpr wchar_t kApplicationsEntryKey[] = L"Applications\\lg_show64.exe";
inline constexpr wchar_t kUninstallKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumagrove64";
inline constexpr wchar_t kInstallLocationValue[] = L"InstallLocation";
inline constexpr wchar_t kApplicationKey[] = L"SOFTWARE\\Lumagrove";
inline constexpr wchar_t kRegisteredApplicationsKey[] = L"SOFTWARE\\RegisteredApplications";

void IntegrateWithSystem(int32_t associationMode, const wchar_t* targetFolder,
                         int32_t startMenuShortcuts, int32_t desktopShortcut,
                         int32_t thumbnailsShortcut, int32_t allUsers,
                         const int32_t* associationSelection);

// The DisplayVersion of the uninstall entry as an installation left it; false (and empty)
// when there is none.
bool ReadRegisteredVersion(wchar_t* version, size_t capacity);

// Whether every path derived from the folder (blanks trimmed, final backslash) still fits
// the 260-character buffers of the integration and the payload's longest path.
bool TargetFolderFits(const wchar_t* targetFolder);
