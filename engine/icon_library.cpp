#include "engine/icon_library.h"

#include <windows.h>

#include <cstring>
#include <cwchar>

#include "base/handles.h"
#include "base/system_helpers.h"
#include "base/text_rules.h"
#include "engine/version_resource.h"
#include "engine/version_rules.h"

namespace {

constexpr wchar_t kIconLibraryName[] = L"Icons.dll";
constexpr DWORD kLargestLibrary = 64u << 20;

using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

QueryFn Lookup(HMODULE module, const char* name) {
  return reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// A copy of the version resource, zeroed beyond it as the version functions expect of a
// block they filled; empty when the library has none or its first length does not fit.
HeapBlock VersionBlock(const std::string& library) {
  size_t offset = 0, length = 0;
  if (!FindVersionResource(reinterpret_cast<const unsigned char*>(library.data()), library.size(),
                           offset, length) ||
      length < 6 || length > kLargestLibrary)
    return HeapBlock();
  auto* data = reinterpret_cast<const unsigned char*>(library.data()) + offset;
  if (static_cast<size_t>(data[0] | (data[1] << 8)) > length) return HeapBlock();
  HeapBlock block = AllocateZeroed(length * 2);
  if (block) std::memcpy(block.get(), data, length);
  return block;
}

}  // namespace

int ReadVersionInfo(const std::string& library, wchar_t* versionText, wchar_t* companyName) {
  versionText[0] = L'\0';
  if (companyName) companyName[0] = L'\0';
  HeapBlock block = VersionBlock(library);
  if (!block) return 0;
  wchar_t libraryPath[kMaxPath];
  if (!SystemLibraryPath(L"version.dll", libraryPath, kMaxPath)) return 0;
  UniqueModule versionDll(LoadLibraryW(libraryPath));
  if (!versionDll) return 0;
  QueryFn query = Lookup(versionDll.get(), "VerQueryValueW");
  if (!query) return 0;

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedLen = 0;
  if (!query(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLen) || !fixed ||
      fixedLen < sizeof(VS_FIXEDFILEINFO))
    return 0;
  swprintf(versionText, kMaxPath, L"%d.%d%d", static_cast<int>(HIWORD(fixed->dwProductVersionMS)),
           static_cast<int>(LOWORD(fixed->dwProductVersionMS)),
           static_cast<int>(HIWORD(fixed->dwFileVersionLS)));
  if (companyName) {
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

bool ShouldReplaceIconLibrary(const GuardedFolder& plugins) {
  if (!plugins.IsOpen()) return true;  // no folder, so no library to keep
  std::string library;
  if (ReadWholeFile(plugins, kIconLibraryName, library, kLargestLibrary) != FileStatus::Done)
    return true;
  wchar_t version[kMaxPath] = {};
  wchar_t company[kMaxPath] = {};
  if (ReadVersionInfo(library, version, company) != 1) return true;
  return IconLibraryReplaceable(VersionTextNumber(version), company,
                                static_cast<long long>(library.size()));
}
