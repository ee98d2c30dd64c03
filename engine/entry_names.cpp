#include "engine/entry_names.h"

#include <cstring>

namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

}  // namespace

bool IsSafeEntryName(const char* name) {
  if (name[0] == '\0' || IsSeparator(name[0])) return false;
  if (std::strchr(name, ':')) return false;
  const char* part = name;
  for (const char* p = name;; ++p) {
    if (*p == '\0' || IsSeparator(*p)) {
      // Windows drops trailing dots and blanks, so "..." and ".. " name the parent too.
      bool onlyDots = p - part >= 2;
      for (const char* q = part; q < p && onlyDots; ++q) onlyDots = *q == '.' || *q == ' ';
      if (onlyDots && part[0] == '.' && part[1] == '.') return false;
      if (*p == '\0') return true;
      part = p + 1;
    }
  }
}

bool NamesIconLibrary(const char* name) {
  static const char kNeedle[] = "icons.dll";
  size_t len = std::strlen(name);
  for (size_t i = 0; i + sizeof(kNeedle) - 1 <= len; ++i) {
    size_t j = 0;
    while (j < sizeof(kNeedle) - 1 && LowerAscii(name[i + j]) == kNeedle[j]) ++j;
    if (j == sizeof(kNeedle) - 1) return true;
  }
  return false;
}

unsigned BareNameOffset(const char* name) {
  unsigned offset = 0;
  for (unsigned i = 0; name[i]; ++i)
    if (IsSeparator(name[i])) offset = i + 1;
  return offset;
}
