// Removing what the setup wrote: registry entries, shell links, the payload's files.
#pragma once

#include <windows.h>

#include <cstdint>

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
// group folder when it is empty.
void RemoveShellLinks();

// The payload's files and folders below installFolder (final backslash), except the
// running program (skip, may be null); folders only when empty. Returns the number of
// files that exist but could not be deleted.
int RemovePayloadFiles(const wchar_t* installFolder, const wchar_t* skip);

// Takes the running program out of its folder: moved aside into the temporary folder and
// deleted there, or at the next start of Windows when it cannot be deleted while it runs.
// False when it had to stay where it is until then.
bool RemoveRunningProgram(const wchar_t* programPath);

// The install folder goes when it is empty; else (user files) it stays.
void RemoveFolderIfEmpty(const wchar_t* folder, bool atReboot);
