// Unpacking the payload archive (resource "ZIP" 1974) into the target folder.
#pragma once

#include <string>
#include <vector>

#include "unzip.h"

// Names of file entries that could not be created and were left out of the walk.
using LeftOutFiles = std::vector<std::wstring>;

inline constexpr wchar_t kPayloadTempName[] = L"lgshowg_x64.zip";

// 0 when the walk reached the end; -1 when resource, temporary copy, archive or target
// folder could not be used; else the status that stopped the walk.
int ExtractPayload(const wchar_t* targetFolder, int skipIconLibrary,
                   LeftOutFiles* leftOut = nullptr);

// Opens the archive, makes targetFolder current (and leaves it so) and walks the entries.
int ExtractArchive(const wchar_t* zipPath, const wchar_t* targetFolder, int skipIconLibrary,
                   LeftOutFiles* leftOut = nullptr);

int ExtractEntries(unzFile archive, int skipIconLibrary, LeftOutFiles* leftOut = nullptr);

// Creates every level of a relative folder path: 1, 0 when a parent is missing, -104
// without memory.
int MakeParentFolders(const wchar_t* path);

// Creation and last-write time from the entry's DOS date (high word) and time (low word),
// taken as local time.
void SetFileTimeFromEntry(const wchar_t* fileName, unsigned long dosDateTime);
