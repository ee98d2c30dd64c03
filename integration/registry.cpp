// Thin wrappers over the wide registry calls, so callers never size string data by hand.
#include "integration/registry.h"

#include <cwchar>

#include "base/run_log.h"
#include "base/system_helpers.h"

namespace {

DWORD StringBytes(const wchar_t* text) {
  return static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t));
}

// The registry functions return their error instead of setting it.
bool Succeeded(LSTATUS status) {
  if (status == ERROR_SUCCESS) return true;
  SetLastError(static_cast<DWORD>(status));
  return false;
}

const wchar_t* RootName(HKEY root) {
  if (root == HKEY_LOCAL_MACHINE) return L"HKLM";
  if (root == HKEY_CURRENT_USER) return L"HKCU";
  if (root == HKEY_CLASSES_ROOT) return L"HKCR";
  return L"?";
}

}  // namespace

bool SetDefaultValue(HKEY root, const wchar_t* subkey, const wchar_t* text) {
  return Succeeded(RegSetValueW(root, subkey, REG_SZ, text, StringBytes(text)));
}

bool SetNamedString(HKEY key, const wchar_t* name, const wchar_t* text) {
  return Succeeded(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                                  StringBytes(text)));
}

bool SetNamedDword(HKEY key, const wchar_t* name, DWORD number) {
  return Succeeded(RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                  sizeof(number)));
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
  if (!Succeeded(RegCreateKeyW(root, subkey, key.put()))) key.release();
  return key;
}

UniqueKey OpenKey(HKEY root, const wchar_t* subkey, REGSAM access) {
  UniqueKey key;
  if (!Succeeded(RegOpenKeyExW(root, subkey, 0, access, key.put()))) key.release();
  return key;
}

void DeleteKey(HKEY root, const wchar_t* subkey) { RegDeleteKeyW(root, subkey); }

bool RegistryTally::Count(bool ok, HKEY root, const wchar_t* subkey, const wchar_t* value) {
  if (ok) {
    ++written;
    return true;
  }
  ++failed;
  wchar_t error[600];
  FormatWin32Error(GetLastError(), error, 600);
  LogStep(L"Registrierung fehlgeschlagen: %ls\\%ls, Wert %ls (%ls)", RootName(root), subkey,
          value ? value : L"(Standard)", error);
  return false;
}

bool RegistryTally::SetDefault(HKEY root, const wchar_t* subkey, const wchar_t* text) {
  return Count(SetDefaultValue(root, subkey, text), root, subkey);
}

void RegistryTally::LogGroup(const wchar_t* group) const {
  if (failed)
    LogStep(L"%ls: %d Werte geschrieben, %d fehlgeschlagen", group, written, failed);
  else
    LogStep(L"%ls: %d Werte geschrieben", group, written);
}
