#include "engine/icon_library.h"

#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/install_options.h"
#include "engine/version_rules.h"

namespace {

using GetSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

long long FileSizeOf(const wchar_t* path) {
  UniqueHandle file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(file.get(), &size)) return -1;
  return size.QuadPart;
}

}  // namespace

int ReadVersionInfo(const wchar_t* path, wchar_t* versionText, wchar_t* companyName) {
  versionText[0] = L'\0';
  wchar_t libraryPath[kMaxPath];
  if (!SystemLibraryPath(L"version.dll", libraryPath, kMaxPath)) return 0;
  UniqueModule library(LoadLibraryW(libraryPath));
  if (!library) return 0;
  auto getSize = Lookup<GetSizeFn>(library.get(), "GetFileVersionInfoSizeW");
  auto getInfo = Lookup<GetInfoFn>(library.get(), "GetFileVersionInfoW");
  auto query = Lookup<QueryFn>(library.get(), "VerQueryValueW");
  if (!getSize || !getInfo || !query) return 0;

  DWORD handle = 0;
  DWORD size = getSize(path, &handle);
  if (size == 0) return 0;
  HeapBlock block = AllocateZeroed(static_cast<SIZE_T>(size) * 2);
  if (!block || !getInfo(path, 0, size, block.get())) return 0;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedLen = 0;
  if (!query(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLen) || !fixed ||
      fixedLen < sizeof(VS_FIXEDFILEINFO))
    return 0;
  swprintf(versionText, kMaxPath, L"%d.%d%d", static_cast<int>(HIWORD(fixed->dwProductVersionMS)),
           static_cast<int>(LOWORD(fixed->dwProductVersionMS)),
           static_cast<int>(HIWORD(fixed->dwFileVersionLS)));
  if (companyName) {
    companyName[0] = L'\0';
    wchar_t* company = nullptr;
    UINT companyLen = 0;
    if (query(block.get(), L"\\StringFileInfo\\040904E4\\CompanyName",
              reinterpret_cast<void**>(&company), &companyLen) &&
        company) {
      size_t n = companyLen < kMaxPath ? companyLen : kMaxPath - 1;
      wcsncpy(companyName, company, n);
      companyName[n] = L'\0';
    }
  }
  return 1;
}

bool ShouldReplaceIconLibrary(const wchar_t* path) {
  wchar_t version[kMaxPath] = {};
  wchar_t company[kMaxPath] = {};
  if (ReadVersionInfo(path, version, company) != 1) return true;
  int number = VersionTextNumber(version);
  long long size = number == VersionTextNumber(L"4.30") ? FileSizeOf(path) : -1;
  return IconLibraryReplaceable(number, company, size);
}
