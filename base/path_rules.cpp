#include "base/path_rules.h"

#include <cwchar>

namespace {

wchar_t FoldAscii(wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; }

bool SameText(const wchar_t* a, const wchar_t* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  return true;
}

std::wstring WithoutFinalBackslash(std::wstring path) {
  // A drive root keeps its backslash only as "C:"; the comparisons add one themselves.
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

std::wstring ShownFolder(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring PlainFinalPath(const wchar_t* finalPath) {
  std::wstring path = finalPath ? finalPath : L"";
  if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0)
    path = L"\\\\" + path.substr(8);
  else if (path.compare(0, 4, L"\\\\?\\") == 0)
    path = path.substr(4);
  return WithoutFinalBackslash(path);
}

bool IsSamePath(const std::wstring& a, const std::wstring& b) {
  std::wstring x = WithoutFinalBackslash(a), y = WithoutFinalBackslash(b);
  return !x.empty() && x.size() == y.size() && SameText(x.c_str(), y.c_str(), x.size());
}

bool IsPathOf(const std::wstring& child, const std::wstring& folder, const std::wstring& name) {
  std::wstring base = WithoutFinalBackslash(folder);
  if (base.empty() || name.empty() || name[0] == L'\\') return false;
  return IsSamePath(child, base + L"\\" + name);
}

bool IsPathBelow(const std::wstring& path, const std::wstring& folder) {
  std::wstring base = WithoutFinalBackslash(folder);
  std::wstring p = WithoutFinalBackslash(path);
  if (base.empty() || p.size() <= base.size() + 1 || p[base.size()] != L'\\') return false;
  return SameText(p.c_str(), base.c_str(), base.size());
}

bool IsPlainFileName(const wchar_t* name) {
  if (!name || name[0] == L'\0') return false;
  if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) return false;
  for (const wchar_t* c = name; *c; ++c)
    if (*c == L'\\' || *c == L'/' || *c == L':') return false;
  return true;
}
