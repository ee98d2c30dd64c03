#include "base/system_helpers.h"

#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/text_rules.h"

namespace {

using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);

// A string value read with a bounded size and always terminated.
bool ReadRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* name, wchar_t* text,
                        DWORD capacity) {
  text[0] = L'\0';
  UniqueKey key;
  if (RegOpenKeyExW(root, subkey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  DWORD bytes = (capacity - 1) * sizeof(wchar_t);
  LSTATUS status = RegQueryValueExW(key.get(), name, nullptr, &type,
                                    reinterpret_cast<BYTE*>(text), &bytes);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
    text[0] = L'\0';
    return false;
  }
  text[bytes / sizeof(wchar_t)] = L'\0';
  return true;
}

}  // namespace

bool ReadMachineString(const wchar_t* subkey, const wchar_t* name, wchar_t* text, DWORD capacity) {
  return ReadRegistryString(HKEY_LOCAL_MACHINE, subkey, name, text, capacity);
}

bool SystemLibraryPath(const wchar_t* name, wchar_t* path, int capacity) {
  UINT len = GetSystemDirectoryW(path, static_cast<UINT>(capacity));
  if (len == 0 || len >= static_cast<UINT>(capacity)) {
    path[0] = L'\0';
    return false;
  }
  return AppendBackslash(path, capacity) && AppendText(path, capacity, name);
}

void HardenDllSearchPath() {
  wchar_t path[kMaxPath];
  if (!SystemLibraryPath(L"kernel32.dll", path, kMaxPath)) return;
  HMODULE kernel = GetModuleHandleW(path);
  if (!kernel) return;
  auto setDirs = reinterpret_cast<SetDefaultDllDirectoriesFn>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (setDirs) setDirs(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

bool IsWindowsVersionAtLeast(uint16_t minor) {
  OSVERSIONINFOEXW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  info.dwMajorVersion = 6;
  info.dwMinorVersion = minor;
  info.wServicePackMajor = 0;
  ULONGLONG mask = 0;
  mask = VerSetConditionMask(mask, VER_MAJORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_MINORVERSION, VER_GREATER_EQUAL);
  mask = VerSetConditionMask(mask, VER_SERVICEPACKMAJOR, VER_GREATER_EQUAL);
  return VerifyVersionInfoW(&info, VER_MAJORVERSION | VER_MINORVERSION | VER_SERVICEPACKMAJOR,
                            mask) != FALSE;
}

int GetDefaultInstallFolder(wchar_t* folder) {
  CopyText(folder, kLongPath, L"C:\\Lumagrove\\");
  wchar_t programFiles[kMaxPath];
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion",
                          L"ProgramFilesDir", programFiles, kMaxPath))
    return 1;
  CopyText(folder, kLongPath, programFiles);
  AppendBackslash(folder, kLongPath);
  AppendText(folder, kLongPath, L"Lumagrove");
  return 1;
}

int FindExistingInstallation(wchar_t* folder) {
  folder[0] = L'\0';
  wchar_t command[kMaxPath];
  if (!ReadRegistryString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Lumagrove\\shell\\open\\command",
                          nullptr, command, kMaxPath))
    return 0;
  return ParseOpenCommandFolder(command, folder, kLongPath) ? 1 : 0;
}

void LoadResourceString(unsigned id, wchar_t* text, int capacity) {
  if (LoadStringW(GetModuleHandleW(nullptr), id, text, capacity) <= 0) text[0] = L'\0';
}

void FormatWin32Error(DWORD code, wchar_t* text, int capacity) {
  if (capacity <= 0) return;
  wchar_t message[512];
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, message, 512, nullptr);
  // The system's texts end in a full stop and a line break; the log wants one line.
  while (n > 0 && (message[n - 1] == L'\r' || message[n - 1] == L'\n' ||
                   message[n - 1] == L' ' || message[n - 1] == L'.'))
    --n;
  for (DWORD i = 0; i < n; ++i)
    if (message[i] == L'\r' || message[i] == L'\n') message[i] = L' ';
  message[n < 512 ? n : 511] = L'\0';
  if (n == 0)
    swprintf(text, capacity, L"Fehler %lu", code);
  else
    swprintf(text, capacity, L"%ls (Fehler %lu)", message, code);
}
