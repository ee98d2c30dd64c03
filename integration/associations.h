// File associations: ProgIDs, extension keys, capabilities and user choices of the file types.
#pragma once

#include <cstdint>

inline constexpr wchar_t kCapabilitiesKey[] = L"SOFTWARE\\Lumagrove\\Capabilities";
inline constexpr wchar_t kFileAssociationsKey[] =
    L"SOFTWARE\\Lumagrove\\Capabilities\\FileAssociations";

// Every extension of every row of the FileTypeTable; selection entry i belongs to row i.
void RegisterFileTypes(const wchar_t* viewerExePath, const wchar_t* openCommand,
                       const int32_t* associationSelection);

// The keys of one extension; selected takes over the extension and the user's choice.
void WriteFileAssociation(const wchar_t* extension, const wchar_t* progIdStem,
                          const wchar_t* command, const wchar_t* defaultIcon, int32_t selected);

// ".ext" = ProgID under the application's FileAssociations key, if that key exists.
void AddCapabilityAssociation(const wchar_t* extension, const wchar_t* progIdStem);

// Keeps the picture apps of Windows 8 and later out of the "Open with" list.
void DisableAppXOpenWith();

// With associationMode set: the AppX values (Windows 8 on), icon reload, shell notification.
void RefreshShellAssociations(int32_t associationMode);
