#include "base/text_rules.h"

#include <cwchar>

void TrimBlanks(wchar_t* text) {
  size_t len = wcslen(text);
  while (len > 0 && text[len - 1] == L' ') text[--len] = L'\0';
  // Leading blanks go through a 264-character temporary; longer texts keep them.
  if (text[0] == L' ' && len < 260) {
    wchar_t temp[264];
    const wchar_t* start = text;
    while (*start == L' ') ++start;
    CopyText(temp, 264, start);
    CopyText(text, 264, temp);
  }
}

size_t CopyText(wchar_t* dest, size_t capacity, const wchar_t* src) {
  if (capacity == 0) return 0;
  size_t n = 0;
  while (n + 1 < capacity && src[n] != L'\0') {
    dest[n] = src[n];
    ++n;
  }
  dest[n] = L'\0';
  return n;
}

bool AppendText(wchar_t* dest, size_t capacity, const wchar_t* src) {
  size_t len = wcslen(dest);
  if (len >= capacity) return false;
  size_t copied = CopyText(dest + len, capacity - len, src);
  return src[copied] == L'\0';
}

bool EndsWith(const wchar_t* text, wchar_t c) {
  size_t len = wcslen(text);
  return len > 0 && text[len - 1] == c;
}

bool AppendBackslash(wchar_t* dest, size_t capacity) {
  if (EndsWith(dest, L'\\')) return true;
  return AppendText(dest, capacity, L"\\");
}

bool Contains(const wchar_t* text, const wchar_t* part) { return wcsstr(text, part) != nullptr; }

bool ParseOpenCommandFolder(const wchar_t* command, wchar_t* folder, size_t capacity) {
  if (capacity == 0) return false;
  folder[0] = L'\0';
  if (command[0] == L'\0' || !Contains(command, L"lg_show64.exe")) return false;
  const wchar_t* start;
  size_t len;
  if (command[0] == L'"') {
    // The quoted program path: from the second character up to the next quote.
    start = command + 1;
    const wchar_t* end = wcschr(start, L'"');
    len = end ? static_cast<size_t>(end - start) : wcslen(start);
  } else {
    // Unquoted (not written by us): the path ends with the program's name, so a blank
    // in the folder or an argument after it cannot shift the cut.
    start = command;
    len = static_cast<size_t>(wcsstr(command, L"lg_show64.exe") - command) + 13;
  }
  size_t cut = 0;
  for (size_t i = 0; i < len; ++i)
    if (start[i] == L'\\' || start[i] == L'/') cut = i + 1;
  if (cut == 0 && len >= 2 && start[1] == L':') cut = 2;  // "C:name" keeps its drive
  if (cut + 2 > capacity) cut = capacity >= 2 ? capacity - 2 : 0;  // room for the backslash
  for (size_t i = 0; i < cut; ++i) folder[i] = start[i];
  folder[cut] = L'\0';
  AppendBackslash(folder, capacity);
  return true;
}
