// Thin wrappers over the wide registry calls, so callers never size string data by hand.
#include "integration/registry.h"

#include <cwchar>

namespace {

DWORD StringBytes(const wchar_t* text) {
  return static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
}

}  // namespace

bool SetDefaultValue(HKEY root, const wchar_t* subkey, const wchar_t* text) {
  return RegSetValueW(root, subkey, REG_SZ, text, StringBytes(text)) == ERROR_SUCCESS;
}

bool SetNamedString(HKEY key, const wchar_t* name, const wchar_t* text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        StringBytes(text)) == ERROR_SUCCESS;
}

bool SetNamedDword(HKEY key, const wchar_t* name, DWORD number) {
  return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                        sizeof(number)) == ERROR_SUCCESS;
}

bool ReadNamedString(HKEY key, const wchar_t* name, wchar_t* text, DWORD capacity) {
  if (capacity == 0) return false;
  text[0] = L'\0';
  DWORD type = 0;
  DWORD bytes = capacity * sizeof(wchar_t);
  bool read = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text),
                               &bytes) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ);
  // The data need not end in a terminator; a text that leaves no room for one is refused.
  size_t chars = bytes / sizeof(wchar_t);
  if (read && chars > 0 && text[chars - 1] == L'\0') return true;
  if (read && chars < capacity) {
    text[chars] = L'\0';
    return true;
  }
  text[0] = L'\0';
  return false;
}

UniqueKey CreateKey(HKEY root, const wchar_t* subkey) {
  UniqueKey key;
  if (RegCreateKeyW(root, subkey, key.put()) != ERROR_SUCCESS) key.release();
  return key;
}

UniqueKey OpenKey(HKEY root, const wchar_t* subkey, REGSAM access) {
  UniqueKey key;
  if (RegOpenKeyExW(root, subkey, 0, access, key.put()) != ERROR_SUCCESS) key.release();
  return key;
}

void DeleteKey(HKEY root, const wchar_t* subkey) { RegDeleteKeyW(root, subkey); }
