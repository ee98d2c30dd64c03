// Start-up helpers that ask Windows: DLL search path, version test, default folders.
#pragma once

#include <cstdint>

// From here on, libraries loaded by name come from the system folder only.
void HardenDllSearchPath();

// True when Windows reports version 6.minor or later.
bool IsWindowsVersionAtLeast(uint16_t minor);

// The Program Files folder followed by "\Lumagrove" (no final backslash), else C:\Lumagrove\.
int GetDefaultInstallFolder(wchar_t* folder /* 520 */);

// The folder of an installed viewer, taken from its open command; 0 and empty if none.
int FindExistingInstallation(wchar_t* folder /* 520 */);

// The system folder with a final backslash, then name; false when it does not fit.
bool SystemLibraryPath(const wchar_t* name, wchar_t* path, int capacity);

// A string value below HKEY_LOCAL_MACHINE, bounded and always terminated; false if absent.
bool ReadMachineString(const wchar_t* subkey, const wchar_t* name, wchar_t* text,
                       unsigned long capacity);

// A string of the program's string table (empty when missing).
void LoadResourceString(unsigned id, wchar_t* text, int capacity);

// The system's text for a Win32 error code and the number, "Zugriff verweigert (Fehler 5)",
// on one line and always terminated; "Fehler 5" alone when Windows has no text for it.
void FormatWin32Error(unsigned long code, wchar_t* text, int capacity);
