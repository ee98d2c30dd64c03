// Unpacking the payload archive (resource "ZIP" 1974) into the target folder.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/safe_files.h"
#include "unzip.h"

// Names of file entries as the archive gives them ("Html/Vorlage_Bild.htm").
using LeftOutFiles = std::vector<std::wstring>;

// What became of the entries the walk could not simply write, and why it stopped early.
struct ExtractionReport {
  LeftOutFiles leftOut;            // could not be written: the walk went on without them
  LeftOutFiles replacedAtRestart;  // held open: the new file waits beside it for the restart
  size_t written = 0;              // new files
  size_t replaced = 0;             // files that were there and now hold the payload's bytes
  std::wstring refusedFolder;      // the folder that stopped the walk with kFolderRefused
  FileStatus refusedStatus = FileStatus::Done;  // and why (Link or Outside)
};

// The walk's status when the target or a folder below it is a link or leads elsewhere.
inline constexpr int kFolderRefused = -200;

// 0 when the walk reached the end; -1 when the resource, the archive or the target folder
// could not be used; kFolderRefused; else the status that stopped the walk.
int ExtractPayload(const wchar_t* targetFolder, int skipIconLibrary,
                   ExtractionReport* report = nullptr);

// The same for an archive file (tests, measurements): read through a mapping, not unpacked
// by path.
int ExtractArchive(const wchar_t* zipPath, const wchar_t* targetFolder, int skipIconLibrary,
                   ExtractionReport* report = nullptr);

// Opens the archive in memory, opens targetFolder as the top of a guarded tree, makes it
// current (and leaves it so) and walks the entries.
int ExtractFromMemory(const void* data, size_t size, const wchar_t* targetFolder,
                      int skipIconLibrary, ExtractionReport* report = nullptr);

// Every entry below target: folders opened without following links, files written as
// scratch files and committed over their names.
int ExtractEntries(unzFile archive, const GuardedFolder& target, int skipIconLibrary,
                   ExtractionReport& report);

// Creation and last-write time from the entry's DOS date (high word) and time (low word),
// taken as local time; the last-access time stays.
void SetFileTimeFromEntry(HANDLE file, unsigned long dosDateTime);
