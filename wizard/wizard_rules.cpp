// The wizard's text rules: template filling, the folder checks and the path building.
#include "wizard/wizard_rules.h"

#include <cwchar>
#include <cwctype>

#include "base/text_rules.h"

namespace {

bool AppendChar(wchar_t* out, size_t capacity, size_t& length, wchar_t c) {
  if (length + 1 >= capacity) return false;
  out[length++] = c;
  out[length] = L'\0';
  return true;
}

wchar_t LowerAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; }

bool EqualsIgnoringAsciiCase(const wchar_t* a, const wchar_t* b) {
  for (; *a && *b; ++a, ++b)
    if (LowerAscii(*a) != LowerAscii(*b)) return false;
  return *a == *b;
}

}  // namespace

bool FormatTemplateText(const wchar_t* format, const wchar_t* const* args, size_t argCount,
                        wchar_t* out, size_t capacity) {
  if (capacity == 0) return false;
  out[0] = L'\0';
  size_t length = 0;
  size_t next = 0;
  for (const wchar_t* p = format; *p; ++p) {
    if (p[0] == L'%' && p[1] == L's') {
      const wchar_t* arg = next < argCount ? args[next] : L"";
      ++next;
      for (const wchar_t* a = arg; *a; ++a)
        if (!AppendChar(out, capacity, length, *a)) return false;
      ++p;
    } else if (p[0] == L'%' && p[1] == L'%') {
      if (!AppendChar(out, capacity, length, L'%')) return false;
      ++p;
    } else if (!AppendChar(out, capacity, length, *p)) {
      return false;
    }
  }
  return true;
}

bool TargetTextHasDrive(const wchar_t* text) {
  constexpr size_t kPartLimit = 255;
  size_t length = wcslen(text);
  if (length < 2 || text[1] != L':') return false;
  const wchar_t* rest = text + 2;
  const wchar_t* name = rest;
  for (const wchar_t* p = rest; *p; ++p)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  const wchar_t* dot = wcsrchr(name, L'.');
  size_t folderLength = static_cast<size_t>(name - rest);
  size_t nameLength = dot ? static_cast<size_t>(dot - name) : wcslen(name);
  size_t extensionLength = dot ? wcslen(dot) : 0;
  return folderLength <= kPartLimit && nameLength <= kPartLimit && extensionLength <= kPartLimit;
}

bool CompleteBrowsedFolder(wchar_t* path, size_t capacity) {
  if (capacity == 0) return false;
  size_t original = wcslen(path);
  if (!AppendBackslash(path, capacity)) return false;
  size_t length = wcslen(path);
  long previous = -1;
  for (long i = static_cast<long>(length) - 2; i >= 0; --i)
    if (path[i] == L'\\') {
      previous = i;
      break;
    }
  bool append = previous > 0 ? !EqualsIgnoringAsciiCase(path + previous, L"\\lumagrove\\")
                             : length == 3;
  if (append && !AppendText(path, capacity, L"Lumagrove\\")) {
    path[original] = L'\0';
    return false;
  }
  return true;
}

void BrowserStartFolder(const wchar_t* text, wchar_t* out, size_t capacity) {
  size_t length = CopyText(out, capacity, text);
  if (length > 3 && out[length - 1] == L'\\') out[length - 1] = L'\0';
}

bool BuildViewerPath(const wchar_t* folderText, wchar_t* path, size_t capacity) {
  if (CopyText(path, capacity, folderText) != wcslen(folderText)) return false;
  TrimBlanks(path);
  return path[0] != L'\0' && AppendBackslash(path, capacity) &&
         AppendText(path, capacity, L"lg_show64.exe");
}

void StripReleaseNotesTail(wchar_t* text) {
  for (size_t length = wcslen(text); length > 0 && !iswalnum(text[length - 1]); --length)
    text[length - 1] = L'\0';
}
