// Text rules of the uninstaller: its switch, the viewer's ProgIDs, folder comparison.
#include "payload/uninstaller/uninstall_rules.h"

#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kOwnProgIdPrefix[] = L"lumagrove.";

size_t WithoutFinalBackslash(const wchar_t* path) {
  size_t n = wcslen(path);
  return n > 0 && path[n - 1] == L'\\' ? n - 1 : n;
}

}  // namespace

bool WantsSilentRemoval(const wchar_t* arguments) {
  return arguments && wcsstr(arguments, L"/silent") != nullptr;
}

bool IsOwnProgId(const wchar_t* progId) {
  if (!progId) return false;
  size_t i = 0;
  for (; kOwnProgIdPrefix[i] != L'\0'; ++i)
    if (progId[i] == L'\0' || towlower(progId[i]) != kOwnProgIdPrefix[i]) return false;
  return progId[i] != L'\0';
}

bool IsSameFolder(const wchar_t* a, const wchar_t* b) {
  size_t n = WithoutFinalBackslash(a);
  if (n == 0 || n != WithoutFinalBackslash(b)) return false;
  for (size_t i = 0; i < n; ++i)
    if (towlower(a[i]) != towlower(b[i])) return false;
  return true;
}
