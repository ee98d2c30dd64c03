// Helper program: lists the plug-in libraries of a folder (default: its own folder) with
// version, maker and purpose, one line each, sorted by name.
//   lg_pluginfo.exe [FOLDER]
// The version is read the way the setup reads it from Icons.dll ("%d.%d%d").
#include <windows.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cwchar>

#include "base/handles.h"
#include "base/text_rules.h"
#include "payload/common/console_text.h"

namespace {

constexpr size_t kPathChars = 1024;
constexpr int kMaxLibraries = 128;

using PluginInfoFunction = const wchar_t* (*)();

struct VersionText {
  wchar_t version[32] = L"-";
  wchar_t company[128] = L"-";
  wchar_t description[256] = L"";
};

void QueryString(void* block, const wchar_t* name, wchar_t* out, size_t capacity) {
  wchar_t key[96];
  swprintf(key, 96, L"\\StringFileInfo\\040904E4\\%ls", name);
  wchar_t* value = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block, key, reinterpret_cast<void**>(&value), &length) && value && length)
    CopyText(out, capacity, value);
}

VersionText ReadVersion(const wchar_t* path) {
  VersionText text;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (!size) return text;
  HeapBlock block = AllocateZeroed(size);
  if (!block || !GetFileVersionInfoW(path, 0, size, block.get())) return text;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
    swprintf(text.version, 32, L"%d.%d%d", int(HIWORD(fixed->dwProductVersionMS)),
             int(LOWORD(fixed->dwProductVersionMS)), int(HIWORD(fixed->dwFileVersionLS)));
  QueryString(block.get(), L"CompanyName", text.company, 128);
  QueryString(block.get(), L"FileDescription", text.description, 256);
  return text;
}

// A library that exports LgPluginInfo says best what it does; others (resources only)
// are described by their version block.
void Describe(const wchar_t* path, VersionText& text) {
  UniqueModule library(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) return;
  auto info = reinterpret_cast<PluginInfoFunction>(
      reinterpret_cast<void*>(GetProcAddress(library.get(), "LgPluginInfo")));
  if (info && info()) CopyText(text.description, 256, info());
}

int CompareNames(const void* a, const void* b) {
  return _wcsicmp(static_cast<const wchar_t*>(a), static_cast<const wchar_t*>(b));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t folder[kPathChars];
  if (argc > 1) {
    CopyText(folder, kPathChars, argv[1]);
  } else {
    if (!GetModuleFileNameW(nullptr, folder, kPathChars)) return 1;
    PathRemoveFileSpecW(folder);
  }
  wchar_t pattern[kPathChars];
  CopyText(pattern, kPathChars, folder);
  if (!AppendBackslash(pattern, kPathChars) || !AppendText(pattern, kPathChars, L"*.dll"))
    return 1;

  static wchar_t names[kMaxLibraries][MAX_PATH];
  int count = 0;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) {
    WriteError(L"Keine Plugins gefunden.\r\n");
    return 1;
  }
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && count < kMaxLibraries)
      CopyText(names[count++], MAX_PATH, found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  qsort(names, size_t(count), sizeof(names[0]), CompareNames);

  for (int i = 0; i < count; ++i) {
    wchar_t path[kPathChars];
    CopyText(path, kPathChars, folder);
    if (!AppendBackslash(path, kPathChars) || !AppendText(path, kPathChars, names[i])) continue;
    VersionText text = ReadVersion(path);
    Describe(path, text);
    wchar_t line[kPathChars];
    swprintf(line, kPathChars, L"%-18ls %-6ls %-10ls %ls\r\n", names[i], text.version,
             text.company, text.description);
    WriteOut(line);
  }
  return 0;
}
