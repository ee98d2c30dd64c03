// Registering the installed viewer: links, application keys, uninstall entry, file types.
#pragma once

#include <cstdint>

void IntegrateWithSystem(int32_t associationMode, const wchar_t* targetFolder,
                         int32_t startMenuShortcuts, int32_t desktopShortcut,
                         int32_t thumbnailsShortcut, int32_t allUsers,
                         const int32_t* associationSelection);

// Whether every path derived from the folder (blanks trimmed, final backslash) still fits
// the 260-character buffers of the integration and the payload's longest path.
bool TargetFolderFits(const wchar_t* targetFolder);
