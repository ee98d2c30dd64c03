// Removing what the setup wrote: registry entries, shell links, the payload's files.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/safe_files.h"
#include "payload/uninstaller/uninstall_rules.h"

// One key of a tree the setup creates, named below the tree's top ("" is the top), with
// the values the setup writes there (L"" the default value; nullptr: every value is ours).
struct OwnedKey {
  const wchar_t* subkey;
  const wchar_t* const* values;
};

// Deletes the keys of a tree, deepest first as listed, each only when it holds nothing
// but the setup's values and no subkeys: whatever another program added keeps its key
// and every key above it. Returns true when the top is gone (or was never there).
bool RemoveOwnedTree(HKEY root, const wchar_t* top, const OwnedKey* keys, int count);

// Deletes one value, then the key itself when nothing is left in it.
void RemoveValueAndEmptyKey(HKEY root, const wchar_t* key, const wchar_t* value);

// The registered installation folder (InstallLocation); false when there is none.
bool ReadRegisteredFolder(wchar_t* folder /* MAX_PATH */);

// The registry entries of an installation except the uninstall entry: file types (only
// where they still name the viewer), application keys, capabilities, browse verbs.
void RemoveRegistration();
// The uninstall entry, the last thing to go.
void RemoveUninstallEntry();

// The group's and the desktop's links in the user's and the common folders, then the
// group folder when it is empty. The group folder is the top of a guarded tree (nothing
// in it is deleted when it is a link); the desktop is guarded from where it leads.
void RemoveShellLinks();

// The payload's files and folders in the installation folder, each folder opened guarded
// and only removed when empty; a payload folder that is a link is not entered. skipName
// (the running program, may be null) stays for RemoveRunningProgram. What exists but
// stays is added to left.
void RemovePayloadFiles(const GuardedFolder& installFolder, const wchar_t* skipName,
                        LeftItems& left);

// The program folder's settings file goes when it holds nothing but the setup's pointer
// to the settings folder; the user's settings stay.
void RemoveSettingsPointer(const GuardedFolder& installFolder, LeftItems& left);

enum class ProgramRemoval {
  Gone,       // moved out of its folder (deleted, or at the next start where users cannot reach)
  AtRestart,  // deleted at the next start where it is: a folder users cannot write
  Stays,      // left where it is: it could not be moved, and users can write its folder
};

// Takes the running program out of its folder: moved into a private folder only
// administrators can reach and deleted there, or at the next start of Windows when it
// cannot be deleted while it runs. No delete at restart is ever left in a folder users
// can write, where a link put in its place would turn it against another file.
ProgramRemoval RemoveRunningProgram(const GuardedFolder& installFolder, const wchar_t* name);

// The installation folder goes when it is empty (the guard is given up); with atRestart,
// a folder users cannot write that still holds the program goes at the next start.
void RemoveFolderIfEmpty(GuardedFolder& folder, bool atRestart);
