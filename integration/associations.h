// File associations: ProgIDs, extension keys, capabilities and user choices of the file types.
#pragma once

#include <cstdint>

#include "integration/registry.h"

inline constexpr wchar_t kCapabilitiesKey[] = L"SOFTWARE\\Lumagrove\\Capabilities";
inline constexpr wchar_t kFileAssociationsKey[] =
    L"SOFTWARE\\Lumagrove\\Capabilities\\FileAssociations";

// Keys and values of one extension (HKLM, except the user's choice under HKCU).
inline constexpr wchar_t kProgIdFormat[] = L"%ls.%ls";  // product name, stem
inline constexpr wchar_t kExtensionKeyFormat[] = L"SOFTWARE\\Classes\\.%ls";
inline constexpr wchar_t kProgIdKeyFormat[] = L"SOFTWARE\\Classes\\%ls";
inline constexpr wchar_t kProgIdCommandKeyFormat[] = L"SOFTWARE\\Classes\\%ls\\shell\\open\\command";
inline constexpr wchar_t kProgIdIconKeyFormat[] = L"SOFTWARE\\Classes\\%ls\\DefaultIcon";
inline constexpr wchar_t kUserChoiceKeyFormat[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.%ls\\UserChoice";
inline constexpr wchar_t kProgIdValue[] = L"Progid";

// HKCU keys of the picture apps of Windows 8 and later, each given "NoOpenWith".
inline constexpr wchar_t kNoOpenWithValue[] = L"NoOpenWith";
inline constexpr const wchar_t* kAppXProgIds[] = {
    L"SOFTWARE\\Classes\\AppXvhc4p7vz4b485xfp46hhk3fq3grkdgjg",
    L"SOFTWARE\\Classes\\AppXk0g4vb8gvt7b93tg50ybcy892pge6jmt",
    L"SOFTWARE\\Classes\\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc",
    L"SOFTWARE\\Classes\\AppX9rkaq77s0jzh1tyccadx9ghba15r6t3h",
    L"SOFTWARE\\Classes\\AppX6eg8h5sxqq90pv53845wmnbewywdqq5h",
};

// Every extension of every row of the FileTypeTable; selection entry i belongs to row i.
void RegisterFileTypes(const wchar_t* viewerExePath, const wchar_t* openCommand,
                       const int32_t* associationSelection);

// The keys of one extension; selected takes over the extension and the user's choice. The
// writes are counted in tally when one is given.
void WriteFileAssociation(const wchar_t* extension, const wchar_t* progIdStem,
                          const wchar_t* command, const wchar_t* defaultIcon, int32_t selected,
                          RegistryTally* tally = nullptr);

// ".ext" = ProgID under the application's FileAssociations key, if that key exists.
void AddCapabilityAssociation(const wchar_t* extension, const wchar_t* progIdStem,
                              RegistryTally* tally = nullptr);

// Keeps the picture apps of Windows 8 and later out of the "Open with" list.
void DisableAppXOpenWith();

// With associationMode set: the AppX values (Windows 8 on), icon reload, shell notification.
void RefreshShellAssociations(int32_t associationMode);
