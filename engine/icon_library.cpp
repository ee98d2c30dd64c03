#include "engine/icon_library.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>

#include "app/install_options.h"
#include "app/system_helpers.h"
#include "app/text_rules.h"
#include "framework/handles.h"

namespace {

using GetSizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetInfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

constexpr long long kReplaceableSize = 226816;  // the 4.30 library as we shipped it

bool EqualsVestalor(const wchar_t* company) {
  static const wchar_t kName[] = L"vestalor";
  size_t i = 0;
  for (; company[i] && kName[i]; ++i) {
    wchar_t c = company[i];
    if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    if (c != kName[i]) return false;
  }
  return company[i] == L'\0' && kName[i] == L'\0';
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

int VersionTextNumber(const wchar_t* text) {
  // Digits, an optional point and digits; the rest of the text does not count.
  char number[64];
  size_t n = 0;
  bool point = false;
  for (; n + 1 < sizeof(number); ++text) {
    if (*text >= L'0' && *text <= L'9') {
      number[n++] = static_cast<char>(*text);
    } else if (*text == L'.' && !point) {
      point = true;
      number[n++] = '.';
    } else {
      break;
    }
  }
  number[n] = '\0';
  float scaled = static_cast<float>(strtod(number, nullptr)) * 1000.0f;
  return scaled < 2147483520.0f ? static_cast<int>(scaled) : 2147483520;  // no overflow
}

bool IconLibraryReplaceable(int installedNumber, const wchar_t* companyName, long long fileSize) {
  const int threshold = VersionTextNumber(L"4.30");
  if (installedNumber > threshold) return false;
  if (installedNumber < threshold) return EqualsVestalor(companyName);
  return fileSize == kReplaceableSize && EqualsVestalor(companyName);
}

bool ShouldReplaceIconLibrary(const wchar_t* path) {
  wchar_t version[kMaxPath] = {};
  wchar_t company[kMaxPath] = {};
  if (ReadVersionInfo(path, version, company) != 1) return true;
  int number = VersionTextNumber(version);
  long long size = number == VersionTextNumber(L"4.30") ? FileSizeOf(path) : -1;
  return IconLibraryReplaceable(number, company, size);
}
