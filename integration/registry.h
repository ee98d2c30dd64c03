// The few registry operations the system integration needs, with keys owned by UniqueKey.
// A failed call leaves its registry error as the thread's last error.
#pragma once

#include <windows.h>

#include "base/handles.h"

// Sets the unnamed value of root\subkey, creating every missing key on the way.
bool SetDefaultValue(HKEY root, const wchar_t* subkey, const wchar_t* text);
// REG_SZ of (characters + 1) * 2 bytes: the terminator is part of the data.
bool SetNamedString(HKEY key, const wchar_t* name, const wchar_t* text);
bool SetNamedDword(HKEY key, const wchar_t* name, DWORD number);
// A string value (REG_SZ or REG_EXPAND_SZ, not expanded) into capacity characters, always
// terminated; false (and empty) when it is missing, of another type or longer.
bool ReadNamedString(HKEY key, const wchar_t* name, wchar_t* text, DWORD capacity);
// Opens root\subkey, creating it and its missing parents; empty on failure.
UniqueKey CreateKey(HKEY root, const wchar_t* subkey);
// Opens an existing key only; empty when it is missing or access is refused.
UniqueKey OpenKey(HKEY root, const wchar_t* subkey, REGSAM access);
// Removes a key without subkeys; a missing key is no error worth reporting.
void DeleteKey(HKEY root, const wchar_t* subkey);

// The writes of one group of keys (the uninstall entry, the file types, ...), counted for
// the run's full log: the group gets one line, and each failed write one line of its own
// naming the key and the system's text of the error.
struct RegistryTally {
  int written = 0;
  int failed = 0;
  // Counts one write of value (null: the default value) in root\subkey; returns ok.
  bool Count(bool ok, HKEY root, const wchar_t* subkey, const wchar_t* value = nullptr);
  // SetDefaultValue, counted.
  bool SetDefault(HKEY root, const wchar_t* subkey, const wchar_t* text);
  // "<group>: N Werte geschrieben[, M fehlgeschlagen]"
  void LogGroup(const wchar_t* group) const;
};
