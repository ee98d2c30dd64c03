// Reading back what the system integration wrote: registry values with their exact bytes,
// shell links through IShellLinkW, and removing all of it between tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace itest {

struct RegValue {
  bool found = false;
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

RegValue ReadValue(HKEY root, const std::wstring& key, const wchar_t* name);
bool KeyExists(HKEY root, const std::wstring& key);
// Names of the values of a key ("" for the default value); empty when the key is missing.
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key);
std::vector<std::wstring> SubkeyNames(HKEY root, const std::wstring& key);
void CreateEmptyKey(HKEY root, const std::wstring& key);

// REG_SZ of exactly (characters + 1) * 2 bytes with this text.
::testing::AssertionResult IsString(HKEY root, const std::wstring& key, const wchar_t* name,
                                    const std::wstring& expected);
::testing::AssertionResult IsDword(HKEY root, const std::wstring& key, const wchar_t* name,
                                   DWORD expected);

struct LinkInfo {
  bool loaded = false;
  std::wstring target, arguments, icon, description;
  int iconIndex = 0;
};
LinkInfo ReadLink(const std::wstring& path);
// The .lnk file names of a folder, sorted.
std::vector<std::wstring> LinkFiles(const std::wstring& folder);

// A special folder as the shell names it, with a final backslash.
std::wstring ShellFolder(int csidl);

// Removes every key, value and link an installation writes.
void RemoveIntegration();

}  // namespace itest
